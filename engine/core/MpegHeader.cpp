#include "engine/core/MpegHeader.h"

namespace {

// Sampling rates by the version bits (00 MPEG-2.5, 01 reserved, 10 MPEG-2, 11 MPEG-1) and the
// rate index.
constexpr int32_t kRates[4][3] = {
    {11025, 12000, 8000},
    {0, 0, 0},
    {22050, 24000, 16000},
    {44100, 48000, 32000},
};

// Bitrates in kbit/s by table and bitrate index.
constexpr int32_t kBitrates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // MPEG-1 layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // MPEG-1 layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // MPEG-1 layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // MPEG-2 layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // MPEG-2 II, III
};

} // namespace

uint32_t MpegHeader::Read(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
           uint32_t{bytes[3]};
}

bool MpegHeader::IsValid(uint32_t header) {
    const uint32_t layerBits = (header >> 17) & 3;
    const uint32_t bitrateIndex = (header >> 12) & 15;
    const uint32_t rateIndex = (header >> 10) & 3;
    return header >= 0xFFE00000u && layerBits != 0 && bitrateIndex != 0 && bitrateIndex != 15 &&
           rateIndex != 3;
}

bool MpegHeader::QuickTest(const uint8_t* bytes) {
    return bytes[0] == 0xFF && bytes[1] >= 0xE0 && (bytes[1] & 0x06) != 0 && bytes[2] < 0xF0 &&
           bytes[2] > 0x0F && (bytes[2] & 0x0C) != 0x0C;
}

bool MpegHeader::Parse(uint32_t header, MpegHeaderInfo& info) {
    if (!IsValid(header))
        return false;
    const uint32_t versionBits = (header >> 19) & 3;
    const int32_t version = versionBits == 3 ? 1 : versionBits == 2 ? 2 : 3;
    const int32_t layer = 4 - static_cast<int32_t>((header >> 17) & 3);
    const int32_t rate = kRates[versionBits][(header >> 10) & 3];
    const int table = version == 1 ? layer - 1 : layer == 1 ? 3 : 4;
    const int32_t bitrate = kBitrates[table][(header >> 12) & 15];
    if (rate == 0 || bitrate == 0)
        return false;
    const int32_t padding = (header >> 9) & 1;

    info.version = version;
    info.layer = layer;
    info.channels = ((header >> 6) & 3) == 3 ? 1 : 2;
    info.rate = rate;
    info.bitrate = bitrate;
    if (layer == 1) {
        info.frameLength = (12000 * bitrate / rate + padding) * 4;
        info.samplesPerFrame = 384;
    } else if (layer == 2 || version == 1) {
        info.frameLength = 144000 * bitrate / rate + padding;
        info.samplesPerFrame = 1152;
    } else {
        info.frameLength = 72000 * bitrate / rate + padding;
        info.samplesPerFrame = 576;
    }
    return true;
}

int MpegHeader::SideInfoSize(const MpegHeaderInfo& info) {
    if (info.version == 1)
        return info.channels == 1 ? 17 : 32;
    return info.channels == 1 ? 9 : 17;
}

bool MpegHeader::SameStream(const MpegHeaderInfo& a, const MpegHeaderInfo& b) {
    return a.version == b.version && a.layer == b.layer && a.rate == b.rate;
}
