#pragma once

#include <cstdint>

// One MPEG audio frame header, decoded.
struct MpegHeaderInfo {
    int32_t version = 0;  // 1 MPEG-1, 2 MPEG-2, 3 MPEG-2.5
    int32_t layer = 0;    // 1..3
    int32_t channels = 0; // 1 when the mode bits are 11, else 2
    int32_t rate = 0;     // Hz
    int32_t bitrate = 0;  // kbit/s
    int32_t frameLength = 0;
    int32_t samplesPerFrame = 0;
};

// The frame-header parser used for probing, length and seeking (the decoding itself is
// libmad's). Free-format frames (bitrate index 0) are not accepted.
class MpegHeader {
public:
    // The big-endian 32-bit word at `bytes` (four bytes must be readable).
    static uint32_t Read(const uint8_t* bytes);
    // Sync bits set, layer not 00, bitrate index neither 0 nor 15, rate index not 3.
    static bool IsValid(uint32_t header);
    // The same rules on the first three bytes.
    static bool QuickTest(const uint8_t* bytes);
    // Fills `info`; false when the header is not valid or a table gives 0 (the reserved
    // version bits 01 have no rates).
    static bool Parse(uint32_t header, MpegHeaderInfo& info);
    // Bytes of Layer III side information after the 4-byte header.
    static int SideInfoSize(const MpegHeaderInfo& info);
    // Same version, layer and sampling rate: frames of one stream.
    static bool SameStream(const MpegHeaderInfo& a, const MpegHeaderInfo& b);
};
