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
    std::lock_guard lock(m_lock);
    SetRateLocked(rate);
}

void AudioAmplifier::SetRateLocked(int rate) {
    m_rate = rate;
    const float factor = static_cast<float>(rate) * (1.0f / 31.0f);
    m_factor = static_cast<int64_t>(std::ldexp(static_cast<double>(factor), kFactorBits));
    m_active = m_status == 1 && static_cast<float>(rate) / 31.0f != 1.0f;
}

void AudioAmplifier::SetStatus(int status) {
    std::lock_guard lock(m_lock);
    m_status = status;
    SetRateLocked(m_rate);
}

int AudioAmplifier::GetRate() const {
    std::lock_guard lock(m_lock);
    return m_rate;
}

int AudioAmplifier::GetStatus() const {
    std::lock_guard lock(m_lock);
    return m_status;
}

void AudioAmplifier::Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame) {
    std::lock_guard lock(m_lock);
    if (!m_active || data == nullptr)
        return;
    // Division truncates toward zero, as the product of the floating-point factor would.
    const int64_t one = int64_t{1} << kFactorBits;
    if (bytesPerStereoFrame == 2) {
        for (size_t i = 0; i < bytes / 2 * 2; ++i) {
            const int64_t s = static_cast<int8_t>(data[i]);
            data[i] =
                static_cast<uint8_t>(static_cast<int8_t>(Clamp(s * m_factor / one, -128, 127)));
        }
    } else if (bytesPerStereoFrame == 4) {
        for (size_t i = 0; i < bytes / 4 * 2; ++i) {
            int16_t s;
            std::memcpy(&s, data + 2 * i, sizeof s);
            s = static_cast<int16_t>(Clamp(s * m_factor / one, -32768, 32767));
            std::memcpy(data + 2 * i, &s, sizeof s);
        }
    } else if (bytesPerStereoFrame == 8) {
        for (size_t i = 0; i < bytes / 8 * 2; ++i) {
            int32_t s;
            std::memcpy(&s, data + 4 * i, sizeof s);
            s = static_cast<int32_t>(Clamp(s * m_factor / one, -32768, 32767));
            std::memcpy(data + 4 * i, &s, sizeof s);
        }
    }
}
