#include "engine/effects/EchoReverbEffect.h"

#include "engine/effects/EffectMath.h"

#include <algorithm>
#include <new>

EchoReverbEffect::EchoReverbEffect(Kind kind) : m_kind(kind) {}

void EchoReverbEffect::SetParams(const EffectParams& params) {
    CriticalSection::Lock lock(m_lock);
    m_enabled = params.enabled;
    m_delay = std::clamp(params.delay, 0, kMaxDelay);
    m_rate = params.rate;
    if (m_prepared)
        BuildRing();
}

EffectParams EchoReverbEffect::GetParams() const {
    CriticalSection::Lock lock(m_lock);
    return EffectParams{m_enabled, m_delay, m_rate};
}

void EchoReverbEffect::Prepare(int channels, int rate) {
    CriticalSection::Lock lock(m_lock);
    m_channels = channels;
    m_sampleRate = rate;
    m_prepared = true;
    BuildRing();
}

void EchoReverbEffect::Release() {
    CriticalSection::Lock lock(m_lock);
    m_prepared = false;
    std::vector<int32_t>().swap(m_ring);
}

void EchoReverbEffect::ClearHistory() {
    CriticalSection::Lock lock(m_lock);
    std::fill(m_ring.begin(), m_ring.end(), 0);
    m_read = m_ring.empty() ? 0 : 1;
    m_write = 0;
}

size_t EchoReverbEffect::RingLength(int channels, int rate, int delay) {
    if (channels <= 0 || rate <= 0 || delay <= 0)
        return 0;
    int64_t n = static_cast<int64_t>(channels) * (static_cast<int64_t>(rate) * delay / 1000);
    if (n % 2 != 0)
        n = (n & ~int64_t{15}) + 1;
    // Shorter than one sample there is nothing to delay.
    return n < 1 ? 0 : static_cast<size_t>(n) + 1;
}

void EchoReverbEffect::BuildRing() {
    std::vector<int32_t>().swap(m_ring);
    m_read = 0;
    m_write = 0;
    if (m_enabled != 1 || m_rate == 0)
        return;
    const size_t length = RingLength(m_channels, m_sampleRate, m_delay);
    if (length == 0)
        return;
    try {
        m_ring.assign(length, 0);
    } catch (const std::bad_alloc&) {
        std::vector<int32_t>().swap(m_ring);
        return;
    }
    m_read = 1;
}

int32_t EchoReverbEffect::Step(Kind kind, int rate, int32_t* ring, size_t length, size_t& read,
                               size_t& write, int32_t x) {
    if (kind == Echo) {
        ring[write] = x;
        if (++write == length)
            write = 0;
    }
    const int32_t y = pcm::Clamp16(x + static_cast<int64_t>(rate) * ring[read] / 100);
    if (++read == length)
        read = 0;
    if (kind == Reverb) {
        ring[write] = y;
        if (++write == length)
            write = 0;
    }
    return y;
}

void EchoReverbEffect::Process(int bits, uint8_t* data, size_t bytes) {
    CriticalSection::Lock lock(m_lock);
    if (m_enabled != 1 || m_ring.empty() || data == nullptr)
        return;
    // Whole frames only, so the channels stay in step within the ring.
    const size_t frameBytes = static_cast<size_t>(m_channels) * (bits == 16 ? 2 : 1);
    const size_t samples = bytes / frameBytes * static_cast<size_t>(m_channels);
    if (bits == 16) {
        for (size_t i = 0; i < samples; ++i, data += 2)
            pcm::Write16(data, Step(m_kind, m_rate, m_ring.data(), m_ring.size(), m_read, m_write,
                                    pcm::Read16(data)));
    } else if (bits == 8) {
        for (size_t i = 0; i < samples; ++i, ++data)
            pcm::Write8(data, Step(m_kind, m_rate, m_ring.data(), m_ring.size(), m_read, m_write,
                                   pcm::Read8(data)));
    }
}
