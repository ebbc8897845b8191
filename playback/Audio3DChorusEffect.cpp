#include "playback/Audio3DChorusEffect.h"

#include "engine/effects/Chorus3DEffect.h"
#include "playback/MixSample.h"

#include <algorithm>
#include <new>

Audio3DChorusEffect::Audio3DChorusEffect() {
    gain_ = Chorus3DEffect::Gain(level_);
}

void Audio3DChorusEffect::SetStatus(int status) {
    CriticalSection::Lock lock(lock_);
    enabled_ = status;
}

void Audio3DChorusEffect::SetValue(int level) {
    CriticalSection::Lock lock(lock_);
    level_ = std::clamp(level, 0, 100);
    gain_ = Chorus3DEffect::Gain(level_);
}

int Audio3DChorusEffect::GetStatus() const {
    CriticalSection::Lock lock(lock_);
    return enabled_;
}

int Audio3DChorusEffect::GetValue() const {
    CriticalSection::Lock lock(lock_);
    return level_;
}

void Audio3DChorusEffect::Prepare(int rate) {
    CriticalSection::Lock lock(lock_);
    length_ = 0;
    for (auto& line : lines_)
        std::vector<int32_t>().swap(line);
    if (rate < 2)
        return;
    try {
        for (auto& line : lines_)
            line.assign(static_cast<size_t>(rate), 0);
    } catch (const std::bad_alloc&) {
        for (auto& line : lines_)
            std::vector<int32_t>().swap(line);
        return;
    }
    length_ = rate;
    baseDelay_ = Chorus3DEffect::BaseDelay(rate);
    ClearLocked();
}

void Audio3DChorusEffect::ClearHistory() {
    CriticalSection::Lock lock(lock_);
    ClearLocked();
}

void Audio3DChorusEffect::ClearLocked() {
    gain_ = Chorus3DEffect::Gain(level_);
    write_[0] = write_[1] = 0;
    phase_[0] = 0;
    phase_[1] = length_ / 2;
    for (auto& line : lines_)
        std::fill(line.begin(), line.end(), 0);
}

void Audio3DChorusEffect::Release() {
    CriticalSection::Lock lock(lock_);
    length_ = 0;
    for (auto& line : lines_)
        std::vector<int32_t>().swap(line);
}

void Audio3DChorusEffect::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    CriticalSection::Lock lock(lock_);
    const int width = mix::SampleBytes(bytesPerStereoFrame);
    if (enabled_ != 1 || level_ == 0 || length_ == 0 || width == 0 || data == nullptr)
        return;
    for (size_t frames = bytes / (2 * width); frames > 0; --frames) {
        for (int c = 0; c < 2; ++c, data += width) {
            const int64_t y =
                Chorus3DEffect::Sweep(lines_[c].data(), length_, baseDelay_, level_, gain_,
                                      write_[c], phase_[c], mix::Read(data, width));
            mix::Write(data, width, y);
        }
    }
}
