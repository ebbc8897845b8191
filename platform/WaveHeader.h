#pragma once

#include <cstdint>

// One block of PCM handed to the wave-out device: the device's block header layout (data
// pointer, buffer length, bytes used, user word, flags, loops, next, reserved), with native
// pointer sizes.
struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;
    uint32_t bytesUsed = 0;
    uintptr_t user = 0;
    uint32_t flags = 0;
    uint32_t loops = 0;
    WaveHeader* next = nullptr;
    uintptr_t reserved = 0;
};

// Header flags.
inline constexpr uint32_t WHDR_DONE = 0x01;
inline constexpr uint32_t WHDR_PREPARED = 0x02;
inline constexpr uint32_t WHDR_INQUEUE = 0x10;
