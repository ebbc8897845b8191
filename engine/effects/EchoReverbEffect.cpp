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
    std::vector<int32_t>().swap(ring_);
    read_ = 0;
    write_ = 0;
    if (enabled_ != 1 || rate_ == 0)
        return;
    const size_t length = RingLength(channels_, sampleRate_, delay_);
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
    CriticalSection::Lock lock(lock_);
    if (enabled_ != 1 || ring_.empty() || data == nullptr)
        return;
    // Whole frames only, so the channels stay in step within the ring.
    const size_t frameBytes = static_cast<size_t>(channels_) * (bits == 16 ? 2 : 1);
    const size_t samples = bytes / frameBytes * static_cast<size_t>(channels_);
    if (bits == 16) {
        for (size_t i = 0; i < samples; ++i, data += 2)
            pcm::Write16(data, Step(kind_, rate_, ring_.data(), ring_.size(), read_, write_,
                                    pcm::Read16(data)));
    } else if (bits == 8) {
        for (size_t i = 0; i < samples; ++i, ++data)
            pcm::Write8(data, Step(kind_, rate_, ring_.data(), ring_.size(), read_, write_,
                                   pcm::Read8(data)));
    }
}
