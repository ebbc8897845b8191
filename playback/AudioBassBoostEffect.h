#pragma once

#include "engine/effects/BassBoostEffect.h"

#include <cstddef>
#include <cstdint>
#include <mutex>

// The bass boost on the run-time library's stereo mix buffer: the engine's low shelf with its
// own corner, slope and step, and coefficients scaled by 2^28.
class AudioBassBoostEffect {
public:
    // f0 140 Hz, k 0.0125, 1/S 1/3, scale 2^28.
    static const BassBoostConstants kConstants;

    AudioBassBoostEffect() = default;
    AudioBassBoostEffect(const AudioBassBoostEffect&) = delete;
    AudioBassBoostEffect& operator=(const AudioBassBoostEffect&) = delete;

    // Enabled when the status word is 1.
    void SetStatus(int status);
    // Held to 0..20.
    void SetLevel(int level);
    int GetStatus() const;
    int GetLevel() const;

    // Designs the filter for a sampling rate.
    void Prepare(int rate);
    // A rate other than the prepared one designs the filter again before the block.
    void Process(uint8_t* data, size_t bytes, int bytesPerStereoFrame, int rate);
    void ClearHistory();

private:
    void UpdateFilter();

    mutable std::mutex m_lock;
    int m_enabled = 0;
    int m_level = 0;
    int m_rate = 0;
    int m_gain = 100;
    BassBoostCoefficients m_coefficients;
    BassBoostHistory m_histories[2];
};
