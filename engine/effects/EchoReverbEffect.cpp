#include "engine/effects/EchoReverbEffect.h"

#include "engine/effects/EffectMath.h"

#include <algorithm>
#include <new>

EchoReverbEffect::EchoReverbEffect(Kind kind) : kind_(kind) {}

void EchoReverbEffect::SetParams(const EffectParams& params) {
    CriticalSection::Lock lock(lock_);
    enabled_ = params.enabled;
    delay_ = std::clamp(params.delay, 0, kMaxDelay);
    rate_ = params.rate;
    if (prepared_)
        BuildRing();
}

EffectParams EchoReverbEffect::GetParams() const {
    CriticalSection::Lock lock(lock_);
    return EffectParams{enabled_, delay_, rate_};
}

void EchoReverbEffect::Prepare(int channels, int rate) {
    CriticalSection::Lock lock(lock_);
    channels_ = channels;
    sampleRate_ = rate;
    prepared_ = true;
    BuildRing();
}

void EchoReverbEffect::Release() {
    CriticalSection::Lock lock(lock_);
    prepared_ = false;
    std::vector<int32_t>().swap(ring_);
}

void EchoReverbEffect::ClearHistory() {
    CriticalSection::Lock lock(lock_);
    std::fill(ring_.begin(), ring_.end(), 0);
    read_ = ring_.empty() ? 0 : 1;
    write_ = 0;
}

void EchoReverbEffect::BuildRing() {
    std::vector<int32_t>().swap(ring_);
    read_ = 0;
    write_ = 0;
    if (enabled_ != 1 || delay_ <= 0 || rate_ == 0 || channels_ <= 0 || sampleRate_ <= 0)
        return;
    int64_t n =
        static_cast<int64_t>(channels_) * (static_cast<int64_t>(sampleRate_) * delay_ / 1000);
    if (n % 2 != 0)
        n = (n & ~int64_t{15}) + 1;
    // Shorter than one sample there is nothing to delay.
    if (n < 1)
        return;
    try {
        ring_.assign(static_cast<size_t>(n) + 1, 0);
    } catch (const std::bad_alloc&) {
        std::vector<int32_t>().swap(ring_);
        return;
    }
    read_ = 1;
}

int32_t EchoReverbEffect::Step(int32_t x) {
    if (kind_ == Echo) {
        ring_[write_] = x;
        if (++write_ == ring_.size())
            write_ = 0;
    }
    const int32_t y = pcm::Clamp16(x + static_cast<int64_t>(rate_) * ring_[read_] / 100);
    if (++read_ == ring_.size())
        read_ = 0;
    if (kind_ == Reverb) {
        ring_[write_] = y;
        if (++write_ == ring_.size())
            write_ = 0;
    }
    return y;
}

void EchoReverbEffect::Process(int bits, uint8_t* data, size_t bytes) {
    CriticalSection::Lock lock(lock_);
    if (enabled_ != 1 || ring_.empty() || data == nullptr)
        return;
    // Whole frames only, so the channels stay in step within the ring.
    const size_t frameBytes = static_cast<size_t>(channels_) * (bits == 16 ? 2 : 1);
    const size_t samples = bytes / frameBytes * static_cast<size_t>(channels_);
    if (bits == 16) {
        for (size_t i = 0; i < samples; ++i, data += 2)
            pcm::Write16(data, Step(pcm::Read16(data)));
    } else if (bits == 8) {
        for (size_t i = 0; i < samples; ++i, ++data)
            pcm::Write8(data, Step(pcm::Read8(data)));
    }
}
