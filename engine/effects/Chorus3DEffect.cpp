#include "engine/effects/Chorus3DEffect.h"

#include "engine/effects/EffectMath.h"

#include <algorithm>
#include <new>

namespace {
constexpr double kGainPerLevel = 0.00175;
constexpr int kDepth = 1; // sweep depth, in 1/256 sample per LFO step
} // namespace

Chorus3DEffect::Chorus3DEffect() {
    m_gain = Gain(m_level);
}

void Chorus3DEffect::SetParams(const EffectParams& params) {
    CriticalSection::Lock lock(m_lock);
    m_enabled = params.enabled;
    m_level = params.rate < 0 ? 0 : (params.rate > 100 ? 100 : params.rate);
    m_gain = Gain(m_level);
}

EffectParams Chorus3DEffect::GetParams() const {
    CriticalSection::Lock lock(m_lock);
    return EffectParams{m_enabled, 0, m_level};
}

void Chorus3DEffect::Prepare(int channels, int rate) {
    CriticalSection::Lock lock(m_lock);
    m_length = 0;
    for (auto& line : m_lines)
        std::vector<int32_t>().swap(line);
    // The lines wrap at L - 1, so one second needs at least two entries.
    if (channels != 2 || rate < 2)
        return;
    try {
        for (auto& line : m_lines)
            line.assign(static_cast<size_t>(rate), 0);
    } catch (const std::bad_alloc&) {
        for (auto& line : m_lines)
            std::vector<int32_t>().swap(line);
        return;
    }
    m_length = rate;
    m_baseDelay = BaseDelay(rate);
    ClearLocked();
}

void Chorus3DEffect::ClearHistory() {
    CriticalSection::Lock lock(m_lock);
    ClearLocked();
}

void Chorus3DEffect::ClearLocked() {
    m_gain = Gain(m_level);
    m_write[0] = m_write[1] = 0;
    m_phase[0] = 0;
    m_phase[1] = m_length / 2;
    for (auto& line : m_lines)
        std::fill(line.begin(), line.end(), 0);
}

void Chorus3DEffect::Release() {
    CriticalSection::Lock lock(m_lock);
    m_length = 0;
    for (auto& line : m_lines)
        std::vector<int32_t>().swap(line);
}

int Chorus3DEffect::Gain(int level) {
    return pcm::GainPercent(kGainPerLevel, level);
}

int Chorus3DEffect::BaseDelay(int rate) {
    return static_cast<int>(static_cast<int64_t>(rate) * 6 / 1000);
}

int64_t Chorus3DEffect::Sweep(int32_t* line, int length, int baseDelay, int level, int gain,
                              int& write, int& phase, int32_t x) {
    const int half = length / 2;
    const int tri = phase < half ? phase : length - phase;
    // Read position in 1/256 samples.
    int64_t position = static_cast<int64_t>(write - baseDelay) * 256 - kDepth * tri;
    if (position < 0)
        position += static_cast<int64_t>(length) * 256 - 256;
    const int index = static_cast<int>(position >> 8);
    const int fraction = static_cast<int>(position & 255);
    const int64_t a = line[index];
    const int64_t b = line[index + 1 == length - 1 ? 0 : index + 1];
    line[write] = x;

    const int64_t delayed = (a * (256 - fraction) + b * fraction) * level / 100;
    const int64_t y = (static_cast<int64_t>(x) * 256 - delayed) * gain / 100 >> 8;

    if (++write >= length - 1)
        write = 0;
    if (++phase >= length - 1)
        phase = 0;
    return y;
}

int32_t Chorus3DEffect::Step(int channel, int32_t x) {
    return pcm::Clamp16(Sweep(m_lines[channel].data(), m_length, m_baseDelay, m_level, m_gain,
                              m_write[channel], m_phase[channel], x));
}

void Chorus3DEffect::Process(int bits, uint8_t* data, size_t bytes) {
    CriticalSection::Lock lock(m_lock);
    if (m_enabled != 1 || m_level == 0 || m_length == 0 || data == nullptr)
        return;
    if (bits == 16) {
        for (size_t frames = bytes / 4; frames > 0; --frames, data += 4) {
            pcm::Write16(data, Step(0, pcm::Read16(data)));
            pcm::Write16(data + 2, Step(1, pcm::Read16(data + 2)));
        }
    } else if (bits == 8) {
        for (size_t frames = bytes / 2; frames > 0; --frames, data += 2) {
            pcm::Write8(data, Step(0, pcm::Read8(data)));
            pcm::Write8(data + 1, Step(1, pcm::Read8(data + 1)));
        }
    }
}
