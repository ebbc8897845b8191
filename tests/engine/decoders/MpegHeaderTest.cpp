#include "engine/core/MpegHeader.h"

#include <gtest/gtest.h>

TEST(MpegHeader, FrameLengthsAndSamplesPerVersionAndLayer) {
    struct Case {
        uint32_t header;
        int32_t version, layer, channels, rate, bitrate, frameLength, samplesPerFrame;
    };
    const Case cases[] = {
        {0xFFF38000, 2, 3, 2, 22050, 64, 208, 576},  // MPEG-2 layer III
        {0xFFF38200, 2, 3, 2, 22050, 64, 209, 576},  // ... padded
        {0xFFF584C0, 2, 2, 1, 24000, 64, 384, 1152}, // MPEG-2 layer II, mono
        {0xFFFB9200, 1, 3, 2, 44100, 128, 418, 1152},
        {0xFFFFC000, 1, 1, 2, 44100, 384, 416, 384}, // layer I: whole 4-byte slots
        {0xFFE318C0, 3, 3, 1, 8000, 8, 72, 576},     // MPEG-2.5
    };
    for (const Case& c : cases) {
        MpegHeaderInfo info;
        ASSERT_TRUE(MpegHeader::Parse(c.header, info)) << std::hex << c.header;
        EXPECT_EQ(c.version, info.version);
        EXPECT_EQ(c.layer, info.layer);
        EXPECT_EQ(c.channels, info.channels);
        EXPECT_EQ(c.rate, info.rate);
        EXPECT_EQ(c.bitrate, info.bitrate);
        EXPECT_EQ(c.frameLength, info.frameLength) << std::hex << c.header;
        EXPECT_EQ(c.samplesPerFrame, info.samplesPerFrame);
        EXPECT_EQ(c.version == 1 ? (c.channels == 1 ? 17 : 32) : (c.channels == 1 ? 9 : 17),
                  MpegHeader::SideInfoSize(info));
    }
}

TEST(MpegHeader, RejectsInvalidHeadersAndTheQuickTestAgrees) {
    MpegHeaderInfo info;
    // Sync incomplete, layer 00, free format, bitrate index 15, rate index 3.
    for (const uint32_t header : {0xFFC39000u, 0xFFF99000u, 0xFFFB0000u, 0xFFFBF000u, 0xFFFB9C00u})
        EXPECT_FALSE(MpegHeader::IsValid(header) || MpegHeader::Parse(header, info)) << header;
    // The reserved version bits pass the bit rules but have no rates.
    EXPECT_TRUE(MpegHeader::IsValid(0xFFEB9000));
    EXPECT_FALSE(MpegHeader::Parse(0xFFEB9000, info));

    for (int second = 0; second < 256; ++second) {
        for (int third = 0; third < 256; ++third) {
            const uint8_t bytes[4] = {0xFF, uint8_t(second), uint8_t(third), 0};
            ASSERT_EQ(MpegHeader::IsValid(MpegHeader::Read(bytes)), MpegHeader::QuickTest(bytes));
        }
    }
}
