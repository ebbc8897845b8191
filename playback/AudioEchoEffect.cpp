#include "playback/AudioEchoEffect.h"

#include "playback/MixSample.h"

#include <algorithm>
#include <new>

AudioEchoEffect::AudioEchoEffect(Kind kind) : m_kind(kind) {}

void AudioEchoEffect::SetStatus(int status) {
    std::lock_guard lock(m_lock);
    m_enabled = status;
    BuildRing();
}

void AudioEchoEffect::SetDelay(int delay) {
    std::lock_guard lock(m_lock);
    m_delay = std::clamp(delay, 0, EchoReverbEffect::kMaxDelay);
    BuildRing();
}

void AudioEchoEffect::SetRate(int rate) {
    std::lock_guard lock(m_lock);
    m_rate = rate;
    BuildRing();
}

int AudioEchoEffect::GetStatus() const {
    std::lock_guard lock(m_lock);
    return m_enabled;
}

int AudioEchoEffect::GetDelay() const {
    std::lock_guard lock(m_lock);
    return m_delay;
}

int AudioEchoEffect::GetRate() const {
    std::lock_guard lock(m_lock);
    return m_rate;
}

void AudioEchoEffect::Prepare(int sampleRate) {
    std::lock_guard lock(m_lock);
    m_sampleRate = sampleRate < 0 ? 0 : sampleRate;
    BuildRing();
}

void AudioEchoEffect::Release() {
    std::lock_guard lock(m_lock);
    m_sampleRate = 0;
    BuildRing();
}

void AudioEchoEffect::ClearHistory() {
    std::lock_guard lock(m_lock);
    std::fill(m_ring.begin(), m_ring.end(), 0);
    m_read = m_ring.empty() ? 0 : 1;
    m_write = 0;
}

void AudioEchoEffect::BuildRing() {
    std::vector<int32_t>().swap(m_ring);
    m_read = 0;
    m_write = 0;
    if (m_enabled != 1 || m_rate == 0)
        return;
    const size_t length = EchoReverbEffect::RingLength(2, m_sampleRate, m_delay);
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

void AudioEchoEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    std::lock_guard lock(m_lock);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (m_enabled != 1 || m_ring.empty() || width == 0 || data == nullptr)
        return;
    for (size_t samples = bytes / (2 * width) * 2; samples > 0; --samples, data += width) {
        const int32_t x = mix::Read(data, width);
        mix::Write(data, width,
                   EchoReverbEffect::Step(m_kind, m_rate, m_ring.data(), m_ring.size(), m_read,
                                          m_write, x));
    }
}
