#include "playback/AudioSurroundEffect.h"

#include "engine/effects/EffectMath.h"
#include "engine/effects/SurroundEffect.h"
#include "playback/MixSample.h"

AudioSurroundEffect::AudioSurroundEffect() {
    gain_ = pcm::GainPercent(0.00175, rate_);
}

void AudioSurroundEffect::SetStatus(int status) {
    CriticalSection::Lock lock(lock_);
    enabled_ = status;
}

void AudioSurroundEffect::SetValue(int rate) {
    CriticalSection::Lock lock(lock_);
    rate_ = rate < 1 ? 0 : (rate > 99 ? 100 : rate);
    gain_ = pcm::GainPercent(0.00175, rate_);
}

int AudioSurroundEffect::GetStatus() const {
    CriticalSection::Lock lock(lock_);
    return enabled_;
}

int AudioSurroundEffect::GetValue() const {
    CriticalSection::Lock lock(lock_);
    return rate_;
}

int AudioSurroundEffect::GetGain() const {
    CriticalSection::Lock lock(lock_);
    return gain_;
}

void AudioSurroundEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    CriticalSection::Lock lock(lock_);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (enabled_ != 1 || rate_ == 0 || width == 0 || data == nullptr)
        return;
    for (size_t frames = bytes / (2 * width); frames > 0; --frames, data += 2 * width) {
        const int32_t left = mix::Read(data, width);
        const int32_t right = mix::Read(data + width, width);
        mix::Write(data, width, SurroundEffect::Mix(gain_, rate_, left, right));
        mix::Write(data + width, width, SurroundEffect::Mix(gain_, rate_, right, left));
    }
}
