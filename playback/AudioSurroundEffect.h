#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

// The surround effect on the run-time library's stereo mix buffer.
class AudioSurroundEffect {
public:
    AudioSurroundEffect();
    virtual ~AudioSurroundEffect() = default;
    AudioSurroundEffect(const AudioSurroundEffect&) = delete;
    AudioSurroundEffect& operator=(const AudioSurroundEffect&) = delete;

    // Enabled when the status word is 1.
    void SetStatus(int status);
    // The rate: below 1 becomes 0, above 99 becomes 100.
    void SetValue(int rate);
    int GetStatus() const;
    int GetValue() const;
    int GetGain() const;

    void Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame);

private:
    mutable std::mutex m_lock;
    int m_enabled = 0;
    int m_rate = 20;
    int m_gain = 100;
};
