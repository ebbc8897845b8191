#pragma once

#include <cstddef>
#include <cstdint>

// The plain 44-byte header of a PCM WAV file: "RIFF", the format chunk, the "data" chunk.
class WavFileHeader {
public:
    static constexpr size_t kBytes = 44;
    // The RIFF size field must fit 32 bits.
    static constexpr uint64_t kMaxDataBytes = 0xFFFFFFFFull - 36;
    // Where the two size fields sit.
    static constexpr size_t kRiffSizeAt = 4;
    static constexpr size_t kDataSizeAt = 40;

    // Fills `header` (kBytes) for 16-bit-style PCM of this format holding `dataBytes`.
    static void Make(uint8_t* header, int channels, int rate, int bits, uint32_t dataBytes);
    // The little-endian bytes of the RIFF size and of the data size for `dataBytes`.
    static void Sizes(uint32_t dataBytes, uint8_t riffSize[4], uint8_t dataSize[4]);
};
