#include "playback/MeterFeed.h"

#include "playback/FmodLibrary.h"

#include <algorithm>
#include <chrono>

MeterFeed::~MeterFeed() {
    Stop();
}

bool MeterFeed::Start(const FmodFunctions& fsound) {
    Stop();
    Prepare(fsound.DSP_GetBufferLength(), fsound.DSP_GetBufferLengthTotal());
    m_unit = fsound.DSP_Create(&MeterFeed::Callback, kPriority, this);
    if (!m_unit)
        return false;
    m_fsound = &fsound;
    return true;
}

void MeterFeed::Stop() {
    if (!m_unit)
        return;
    SetHooks(false);
    m_fsound->DSP_Free(m_unit);
    m_unit = nullptr;
    m_fsound = nullptr;
}

void MeterFeed::Prepare(int blockFrames, int totalFrames) {
    std::lock_guard lock(m_lock);
    m_blockFrames = std::max(blockFrames, 1);
    m_totalFrames = std::max(totalFrames, m_blockFrames);
    m_ring.assign(kRingBlocks, Block{});
    for (Block& block : m_ring)
        block.mono.assign(static_cast<size_t>(m_blockFrames), 0);
    m_first = m_count = 0;
}

void MeterFeed::SetHooks(bool on) {
    if (!m_unit || on == m_hooksOn)
        return;
    m_hooksOn = on;
    if (FSOUND_DSPUNIT* fft = m_fsound->DSP_GetFFTUnit())
        m_fsound->DSP_SetActive(fft, on ? 1 : 0);
    m_fsound->DSP_SetActive(m_unit, on ? 1 : 0);
    if (!on) {
        std::lock_guard lock(m_lock);
        m_first = m_count = 0;
    }
}

int64_t MeterFeed::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void MeterFeed::Push(const int32_t* stereo, int frames, const float* spectrum, int latencyMs) {
    const int64_t due = NowMs() + std::max(latencyMs, 0);
    std::lock_guard lock(m_lock);
    if (m_ring.empty())
        return;
    const int size = static_cast<int>(m_ring.size());
    if (m_count == size) { // nobody took them: the oldest goes
        m_first = (m_first + 1) % size;
        --m_count;
    }
    Block& block = m_ring[(m_first + m_count) % size];
    ++m_count;
    block.dueMs = due;
    block.hasSpectrum = spectrum != nullptr;
    if (spectrum)
        std::copy(spectrum, spectrum + kBands, block.bands.begin());
    block.frames = stereo ? std::clamp(frames, 0, m_blockFrames) : 0;
    for (int i = 0; i < block.frames; ++i) {
        const int64_t mono = (int64_t{stereo[2 * i]} + stereo[2 * i + 1]) / 2;
        block.mono[i] = static_cast<int16_t>(std::clamp<int64_t>(mono, -32768, 32767));
    }
}

void MeterFeed::TakeDue(int64_t nowMs, const std::function<void(const Block&)>& take) {
    std::lock_guard lock(m_lock);
    const int size = static_cast<int>(m_ring.size());
    while (m_count > 0 && m_ring[m_first].dueMs <= nowMs) {
        take(m_ring[m_first]);
        m_first = (m_first + 1) % size;
        --m_count;
    }
}

std::optional<int64_t> MeterFeed::DueOf(int index) {
    std::lock_guard lock(m_lock);
    if (index < 0 || index >= m_count)
        return std::nullopt;
    return m_ring[(m_first + index) % static_cast<int>(m_ring.size())].dueMs;
}

void* MeterFeed::Callback(void*, void* buffer, int length, void* data) {
    auto* self = static_cast<MeterFeed*>(data);
    const FmodFunctions* fs = self->m_fsound;
    if (fs && buffer)
        self->Push(static_cast<const int32_t*>(buffer), length, fs->DSP_GetSpectrum(),
                   fs->DSP_GetLatency());
    return buffer;
}
