#pragma once

#include "platform/CriticalSection.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The numbers that shape the bass boost's low shelf. The defaults are the engine's.
struct BassBoostConstants {
    double cornerHz = 145.0;   // f0
    double k = 0.00875;        // A = 10^(k × level): the shelf gains 40 × k dB per level step
    double inverseS = 1.0 / 7; // 1/S, the shelf slope term
    int coefficientBits = 24;  // coefficients are stored as value × 2^coefficientBits
};

// Biquad coefficients in fixed point (value × 2^coefficientBits), for
// y = b0 x + b1 x1 + b2 x2 - a1 y1 - a2 y2.
struct BassBoostCoefficients {
    int64_t b0 = 0;
    int64_t b1 = 0;
    int64_t b2 = 0;
    int64_t a1 = 0;
    int64_t a2 = 0;
};

// The last two inputs and outputs of one channel's filter.
struct BassBoostHistory {
    int64_t x1 = 0;
    int64_t x2 = 0;
    int64_t y1 = 0;
    int64_t y2 = 0;
};

// A low-shelf boost of the bass (direct form I), followed by an output gain that keeps the
// louder bass from clipping. Level 0 (off) to 20.
class BassBoostEffect {
public:
    static constexpr int kMaxLevel = 20;

    explicit BassBoostEffect(const BassBoostConstants& constants = {});
    BassBoostEffect(const BassBoostEffect&) = delete;
    BassBoostEffect& operator=(const BassBoostEffect&) = delete;

    // Held to 0..20.
    void SetLevel(int level);
    int GetLevel() const;

    void Prepare(int channels, int rate);
    void Process(int bits, uint8_t* data, size_t bytes);
    void ClearHistory();
    void Release();

    // The shelf for a level at a sampling rate; all zero for a rate of 0 or less.
    static BassBoostCoefficients Design(const BassBoostConstants& constants, int level, int rate);
    // 100 × 10^(-0.02 × level), truncated.
    static int OutputGain(int level);
    // One sample in the 16-bit range through the filter: x = sample × 2^(coefficientBits - 16),
    // y = (...) >> coefficientBits, result (y >> (coefficientBits - 16)) × gain / 100 clamped to
    // the 16-bit range. Shifts the history.
    static int32_t Filter(const BassBoostConstants& constants,
                          const BassBoostCoefficients& coefficients, int gain, BassBoostHistory& h,
                          int32_t sample);

private:
    using History = BassBoostHistory;

    void UpdateFilter();

    mutable CriticalSection m_lock;
    const BassBoostConstants m_constants;
    int m_level = 0;
    int m_channels = 0;
    int m_rate = 0;
    int m_gain = 100;
    BassBoostCoefficients m_coefficients;
    std::vector<History> m_histories; // one per channel
};
