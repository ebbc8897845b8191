#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

// The amplifier on the run-time library's stereo mix buffer: with status 1 and rate / 31 not
// exactly 1, every sample is multiplied by rate × (1/31), truncated and clamped (8-bit to
// -128..127, 16- and 32-bit to -32768..32767).
class AudioAmplifier {
public:
    AudioAmplifier() = default;
    AudioAmplifier(const AudioAmplifier&) = delete;
    AudioAmplifier& operator=(const AudioAmplifier&) = delete;

    void SetRate(int rate);
    void SetStatus(int status);
    int GetRate() const;
    int GetStatus() const;

    void Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame);

private:
    void SetRateLocked(int rate);

    mutable std::mutex m_lock;
    int m_rate = 31;
    int m_status = 0;
    bool m_active = false; // status 1 and a factor other than exactly 1
    int64_t m_factor = 0;  // rate × (1/31) in single precision, times 2^24
};
