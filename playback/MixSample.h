#pragma once

#include "engine/effects/EffectMath.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Reading and writing samples of the run-time library's stereo mix buffer, in native byte
// order. The bytes per stereo frame give the width: 2 (8-bit signed), 4 (16-bit), 8 (32-bit).
// 8-bit samples are worked on as s × 256 without centring and written back >> 8.
namespace mix {

// Bytes of one sample; 0 for a frame size that is not 2, 4 or 8.
inline int SampleBytes(int bytesPerStereoFrame) {
    return bytesPerStereoFrame == 2 || bytesPerStereoFrame == 4 || bytesPerStereoFrame == 8
               ? bytesPerStereoFrame / 2
               : 0;
}

inline int32_t Read(const uint8_t* p, int sampleBytes) {
    if (sampleBytes == 1)
        return static_cast<int8_t>(p[0]) * 256;
    if (sampleBytes == 2) {
        int16_t s;
        std::memcpy(&s, p, sizeof s);
        return s;
    }
    int32_t s;
    std::memcpy(&s, p, sizeof s);
    return s;
}

// 8- and 16-bit values are clamped to the 16-bit range first; 32-bit values are stored as given.
inline void Write(uint8_t* p, int sampleBytes, int64_t value) {
    if (sampleBytes == 1) {
        p[0] = static_cast<uint8_t>(static_cast<int8_t>(pcm::Clamp16(value) >> 8));
    } else if (sampleBytes == 2) {
        const int16_t s = static_cast<int16_t>(pcm::Clamp16(value));
        std::memcpy(p, &s, sizeof s);
    } else {
        const int32_t s = static_cast<int32_t>(value);
        std::memcpy(p, &s, sizeof s);
    }
}

} // namespace mix
