#pragma once

#include <cmath>
#include <cstdint>

// Helpers shared by the effects: reading and writing PCM samples in place, and percent gains.
// 16-bit samples are signed little-endian; 8-bit samples are unsigned around 128 and are worked
// on centred and scaled to the 16-bit range.
namespace pcm {

// 100 × 10^(-perStep × value), truncated. Parameter changes only; never per sample.
inline int GainPercent(double perStep, int value) {
    return static_cast<int>(100.0 * std::pow(10.0, -perStep * value));
}

inline int32_t Read16(const uint8_t* p) {
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

inline void Write16(uint8_t* p, int32_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

inline int32_t Clamp16(int64_t value) {
    if (value < -32768)
        return -32768;
    if (value > 32767)
        return 32767;
    return static_cast<int32_t>(value);
}

// (s - 128) × 256.
inline int32_t Read8(const uint8_t* p) {
    return (p[0] - 128) * 256;
}

// Takes a result in the 16-bit range, shifts it back by 8 bits and re-centres it on 128.
inline void Write8(uint8_t* p, int32_t value) {
    p[0] = static_cast<uint8_t>((Clamp16(value) >> 8) + 128);
}

} // namespace pcm
