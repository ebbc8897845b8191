#include "platform/WavFileHeader.h"

#include <cstring>

namespace {

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

} // namespace

void WavFileHeader::Make(uint8_t* header, int channels, int rate, int bits, uint32_t dataBytes) {
    const auto align = static_cast<uint32_t>(channels * bits / 8);
    std::memcpy(header, "RIFF", 4);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    Put32(header + 16, 16);
    Put16(header + 20, 1); // PCM
    Put16(header + 22, static_cast<uint32_t>(channels));
    Put32(header + 24, static_cast<uint32_t>(rate));
    Put32(header + 28, static_cast<uint32_t>(rate) * align);
    Put16(header + 32, align);
    Put16(header + 34, static_cast<uint32_t>(bits));
    std::memcpy(header + 36, "data", 4);
    Sizes(dataBytes, header + kRiffSizeAt, header + kDataSizeAt);
}

void WavFileHeader::Sizes(uint32_t dataBytes, uint8_t riffSize[4], uint8_t dataSize[4]) {
    Put32(riffSize, 36 + dataBytes);
    Put32(dataSize, dataBytes);
}
