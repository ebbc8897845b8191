#include "playback/AudioBassBoostEffect.h"

#include "engine/effects/EffectMath.h"
#include "playback/MixSample.h"

#include <algorithm>

const BassBoostConstants AudioBassBoostEffect::kConstants{140.0, 0.0125, 1.0 / 3, 28};

void AudioBassBoostEffect::SetStatus(int status) {
    std::lock_guard lock(m_lock);
    m_enabled = status;
}

void AudioBassBoostEffect::SetLevel(int level) {
    std::lock_guard lock(m_lock);
    m_level = std::clamp(level, 0, BassBoostEffect::kMaxLevel);
    UpdateFilter();
}

int AudioBassBoostEffect::GetStatus() const {
    std::lock_guard lock(m_lock);
    return m_enabled;
}

int AudioBassBoostEffect::GetLevel() const {
    std::lock_guard lock(m_lock);
    return m_level;
}

void AudioBassBoostEffect::Prepare(int rate) {
    std::lock_guard lock(m_lock);
    m_rate = rate < 0 ? 0 : rate;
    UpdateFilter();
    std::fill(std::begin(m_histories), std::end(m_histories), BassBoostHistory{});
}

void AudioBassBoostEffect::ClearHistory() {
    std::lock_guard lock(m_lock);
    std::fill(std::begin(m_histories), std::end(m_histories), BassBoostHistory{});
}

void AudioBassBoostEffect::UpdateFilter() {
    m_coefficients = BassBoostEffect::Design(kConstants, m_level, m_rate);
    m_gain = BassBoostEffect::OutputGain(m_level);
}

void AudioBassBoostEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame, int rate) {
    std::lock_guard lock(m_lock);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (m_enabled != 1 || m_level == 0 || rate <= 0 || width == 0 || data == nullptr)
        return;
    if (rate != m_rate) {
        m_rate = rate;
        UpdateFilter();
    }
    for (size_t frames = bytes / (2 * width); frames > 0; --frames) {
        for (int c = 0; c < 2; ++c, data += width) {
            // 32-bit samples are held to the 16-bit range on the way in, so that the 64-bit
            // products cannot overflow.
            const int32_t x = pcm::Clamp16(mix::Read(data, width));
            mix::Write(
                data, width,
                BassBoostEffect::Filter(kConstants, m_coefficients, m_gain, m_histories[c], x));
        }
    }
}
