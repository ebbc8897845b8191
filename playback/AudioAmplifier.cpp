#include "playback/AudioAmplifier.h"

#include <cmath>
#include <cstring>

namespace {
constexpr int kFactorBits = 24;

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
    return value < low ? low : (value > high ? high : value);
}
} // namespace

void AudioAmplifier::SetRate(int rate) {
    CriticalSection::Lock lock(lock_);
    rate_ = rate;
    const float factor = static_cast<float>(rate) * (1.0f / 31.0f);
    factor_ = static_cast<int64_t>(std::ldexp(static_cast<double>(factor), kFactorBits));
    active_ = status_ == 1 && static_cast<float>(rate) / 31.0f != 1.0f;
}

void AudioAmplifier::SetStatus(int status) {
    CriticalSection::Lock lock(lock_);
    status_ = status;
    SetRate(rate_);
}

int AudioAmplifier::GetRate() const {
    CriticalSection::Lock lock(lock_);
    return rate_;
}

int AudioAmplifier::GetStatus() const {
    CriticalSection::Lock lock(lock_);
    return status_;
}

void AudioAmplifier::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    CriticalSection::Lock lock(lock_);
    if (!active_ || data == nullptr)
        return;
    // Division truncates toward zero, as the product of the floating-point factor would.
    const int64_t one = int64_t{1} << kFactorBits;
    if (bytesPerStereoFrame == 2) {
        for (size_t i = 0; i < bytes / 2 * 2; ++i) {
            const int64_t s = static_cast<int8_t>(data[i]);
            data[i] =
                static_cast<uint8_t>(static_cast<int8_t>(Clamp(s * factor_ / one, -128, 127)));
        }
    } else if (bytesPerStereoFrame == 4) {
        for (size_t i = 0; i < bytes / 4 * 2; ++i) {
            int16_t s;
            std::memcpy(&s, data + 2 * i, sizeof s);
            s = static_cast<int16_t>(Clamp(s * factor_ / one, -32768, 32767));
            std::memcpy(data + 2 * i, &s, sizeof s);
        }
    } else if (bytesPerStereoFrame == 8) {
        for (size_t i = 0; i < bytes / 8 * 2; ++i) {
            int32_t s;
            std::memcpy(&s, data + 4 * i, sizeof s);
            s = static_cast<int32_t>(Clamp(s * factor_ / one, -32768, 32767));
            std::memcpy(data + 4 * i, &s, sizeof s);
        }
    }
}
