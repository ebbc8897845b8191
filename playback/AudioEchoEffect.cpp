#include "playback/AudioEchoEffect.h"

#include "playback/MixSample.h"

#include <algorithm>
#include <new>

AudioEchoEffect::AudioEchoEffect(Kind kind) : kind_(kind) {}

void AudioEchoEffect::SetStatus(int status) {
    CriticalSection::Lock lock(lock_);
    enabled_ = status;
    BuildRing();
}

void AudioEchoEffect::SetDelay(int delay) {
    CriticalSection::Lock lock(lock_);
    delay_ = std::clamp(delay, 0, EchoReverbEffect::kMaxDelay);
    BuildRing();
}

void AudioEchoEffect::SetRate(int rate) {
    CriticalSection::Lock lock(lock_);
    rate_ = rate;
    BuildRing();
}

int AudioEchoEffect::GetStatus() const {
    CriticalSection::Lock lock(lock_);
    return enabled_;
}

int AudioEchoEffect::GetDelay() const {
    CriticalSection::Lock lock(lock_);
    return delay_;
}

int AudioEchoEffect::GetRate() const {
    CriticalSection::Lock lock(lock_);
    return rate_;
}

void AudioEchoEffect::Prepare(int sampleRate) {
    CriticalSection::Lock lock(lock_);
    sampleRate_ = sampleRate < 0 ? 0 : sampleRate;
    BuildRing();
}

void AudioEchoEffect::Release() {
    CriticalSection::Lock lock(lock_);
    sampleRate_ = 0;
    BuildRing();
}

void AudioEchoEffect::ClearHistory() {
    CriticalSection::Lock lock(lock_);
    std::fill(ring_.begin(), ring_.end(), 0);
    read_ = ring_.empty() ? 0 : 1;
    write_ = 0;
}

void AudioEchoEffect::BuildRing() {
    std::vector<int32_t>().swap(ring_);
    read_ = 0;
    write_ = 0;
    if (enabled_ != 1 || rate_ == 0)
        return;
    const size_t length = EchoReverbEffect::RingLength(2, sampleRate_, delay_);
    if (length == 0)
        return;
    try {
        ring_.assign(length, 0);
    } catch (const std::bad_alloc&) {
        std::vector<int32_t>().swap(ring_);
        return;
    }
    read_ = 1;
}

void AudioEchoEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    CriticalSection::Lock lock(lock_);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (enabled_ != 1 || ring_.empty() || width == 0 || data == nullptr)
        return;
    for (size_t samples = bytes / (2 * width) * 2; samples > 0; --samples, data += width) {
        const int32_t x = mix::Read(data, width);
        mix::Write(
            data, width,
            EchoReverbEffect::Step(kind_, rate_, ring_.data(), ring_.size(), read_, write_, x));
    }
}
