#include "playback/AudioSurroundEffect.h"

#include "engine/effects/EffectMath.h"
#include "engine/effects/SurroundEffect.h"
#include "playback/MixSample.h"

AudioSurroundEffect::AudioSurroundEffect() {
    m_gain = pcm::GainPercent(0.00175, m_rate);
}

void AudioSurroundEffect::SetStatus(int status) {
    std::lock_guard lock(m_lock);
    m_enabled = status;
}

void AudioSurroundEffect::SetValue(int rate) {
    std::lock_guard lock(m_lock);
    m_rate = rate < 1 ? 0 : (rate > 99 ? 100 : rate);
    m_gain = pcm::GainPercent(0.00175, m_rate);
}

int AudioSurroundEffect::GetStatus() const {
    std::lock_guard lock(m_lock);
    return m_enabled;
}

int AudioSurroundEffect::GetValue() const {
    std::lock_guard lock(m_lock);
    return m_rate;
}

int AudioSurroundEffect::GetGain() const {
    std::lock_guard lock(m_lock);
    return m_gain;
}

void AudioSurroundEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    std::lock_guard lock(m_lock);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (m_enabled != 1 || m_rate == 0 || width == 0 || data == nullptr)
        return;
    for (size_t frames = bytes / (2 * width); frames > 0; --frames, data += 2 * width) {
        const int32_t left = mix::Read(data, width);
        const int32_t right = mix::Read(data + width, width);
        mix::Write(data, width, SurroundEffect::Mix(m_gain, m_rate, left, right));
        mix::Write(data + width, width, SurroundEffect::Mix(m_gain, m_rate, right, left));
    }
}
