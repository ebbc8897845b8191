#include "playback/AudioBassBoostEffect.h"

#include "engine/effects/EffectMath.h"
#include "playback/MixSample.h"

#include <algorithm>

const BassBoostConstants AudioBassBoostEffect::kConstants{140.0, 0.0125, 1.0 / 3, 28};

void AudioBassBoostEffect::SetStatus(int status) {
    CriticalSection::Lock lock(lock_);
    enabled_ = status;
}

void AudioBassBoostEffect::SetLevel(int level) {
    CriticalSection::Lock lock(lock_);
    level_ = std::clamp(level, 0, BassBoostEffect::kMaxLevel);
    UpdateFilter();
}

int AudioBassBoostEffect::GetStatus() const {
    CriticalSection::Lock lock(lock_);
    return enabled_;
}

int AudioBassBoostEffect::GetLevel() const {
    CriticalSection::Lock lock(lock_);
    return level_;
}

void AudioBassBoostEffect::Prepare(int rate) {
    CriticalSection::Lock lock(lock_);
    rate_ = rate < 0 ? 0 : rate;
    UpdateFilter();
    std::fill(std::begin(histories_), std::end(histories_), BassBoostHistory{});
}

void AudioBassBoostEffect::ClearHistory() {
    CriticalSection::Lock lock(lock_);
    std::fill(std::begin(histories_), std::end(histories_), BassBoostHistory{});
}

void AudioBassBoostEffect::UpdateFilter() {
    coefficients_ = BassBoostEffect::Design(kConstants, level_, rate_);
    gain_ = BassBoostEffect::OutputGain(level_);
}

void AudioBassBoostEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame, int rate) {
    CriticalSection::Lock lock(lock_);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (enabled_ != 1 || level_ == 0 || rate <= 0 || width == 0 || data == nullptr)
        return;
    if (rate != rate_) {
        rate_ = rate;
        UpdateFilter();
    }
    for (size_t frames = bytes / (2 * width); frames > 0; --frames) {
        for (int c = 0; c < 2; ++c, data += width) {
            // 32-bit samples are held to the 16-bit range on the way in, so that the 64-bit
            // products cannot overflow.
            const int32_t x = pcm::Clamp16(mix::Read(data, width));
            mix::Write(data, width,
                       BassBoostEffect::Filter(kConstants, coefficients_, gain_, histories_[c], x));
        }
    }
}
