#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// The 3D chorus on the run-time library's stereo mix buffer. Its 32-bit results are not
// clamped.
class Audio3DChorusEffect {
public:
    Audio3DChorusEffect();
    Audio3DChorusEffect(const Audio3DChorusEffect&) = delete;
    Audio3DChorusEffect& operator=(const Audio3DChorusEffect&) = delete;

    // Enabled when the status word is 1.
    void SetStatus(int status);
    // The level, held to 0..100.
    void SetValue(int level);
    int GetStatus() const;
    int GetValue() const;

    // Allocates the two delay lines of `rate` entries while the effect is switched on (switching
    // it on or off later allocates or frees them); a rate below 2 frees them.
    void Prepare(int rate);
    void Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame);
    void ClearHistory();
    void Release();

private:
    void BuildLines();
    void ClearLocked();

    mutable std::mutex m_lock;
    int m_enabled = 0;
    int m_level = 50;
    int m_gain = 100;

    int m_rate = 0; // while prepared
    int m_length = 0;
    int m_baseDelay = 0;
    std::vector<int32_t> m_lines[2];
    int m_write[2] = {0, 0};
    int m_phase[2] = {0, 0};
};
