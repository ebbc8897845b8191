#include "engine/effects/BassBoostEffect.h"

#include "PcmBuffers.h"

#include <gtest/gtest.h>

namespace {

std::vector<int> Impulse(int value, size_t length, size_t channels = 1) {
    std::vector<int> samples(length * channels, 0);
    samples[0] = value;
    return samples;
}

TEST(BassBoostEffect, LevelIsHeldToRange) {
    BassBoostEffect bass;
    EXPECT_EQ(bass.GetLevel(), 0);
    bass.SetLevel(25);
    EXPECT_EQ(bass.GetLevel(), 20);
    bass.SetLevel(-4);
    EXPECT_EQ(bass.GetLevel(), 0);
    bass.SetLevel(7);
    EXPECT_EQ(bass.GetLevel(), 7);
}

TEST(BassBoostEffect, ShelfCoefficientsAndOutputGain) {
    const BassBoostCoefficients k = BassBoostEffect::Design({}, 20, 44100);
    EXPECT_EQ(k.b0, 16805345);
    EXPECT_EQ(k.b1, -33439289);
    EXPECT_EQ(k.b2, 16644623);
    EXPECT_EQ(k.a1, -33442244);
    EXPECT_EQ(k.a2, 16669798);
    EXPECT_EQ(BassBoostEffect::OutputGain(20), 39);
    EXPECT_EQ(BassBoostEffect::OutputGain(10), 63);
    EXPECT_EQ(BassBoostEffect::OutputGain(0), 100);
}

TEST(BassBoostEffect, ImpulseResponse16Bit) {
    BassBoostEffect bass;
    bass.Prepare(1, 44100);
    bass.SetLevel(20);
    EXPECT_EQ(Run16(bass, Impulse(10000, 8)), (std::vector<int>{3906, 13, 14, 15, 17, 18, 19, 21}));
    bass.ClearHistory();
    // Negative values are shifted down (arithmetic shift), then divided toward zero.
    EXPECT_EQ(Run16(bass, Impulse(-10000, 8)),
              (std::vector<int>{-3906, -14, -15, -16, -17, -19, -20, -21}));
}

TEST(BassBoostEffect, ImpulseResponse8Bit) {
    BassBoostEffect bass;
    bass.SetLevel(10);
    bass.Prepare(1, 22050);
    std::vector<uint8_t> input(8, 128);
    input[0] = 228;
    EXPECT_EQ(Run8(bass, input), (std::vector<uint8_t>{191, 128, 128, 128, 128, 128, 128, 128}));
    bass.ClearHistory();
    input[0] = 28;
    EXPECT_EQ(Run8(bass, input), (std::vector<uint8_t>{64, 127, 127, 127, 127, 127, 127, 127}));
}

TEST(BassBoostEffect, SteadySignalSettlesAtShelfGainTimesOutputGain) {
    BassBoostEffect bass;
    bass.SetLevel(20);
    bass.Prepare(1, 44100);
    // +7 dB (× 2.239) at 39 %.
    EXPECT_EQ(Run16(bass, std::vector<int>(20000, 10000)).back(), 8730);
    bass.ClearHistory();
    const std::vector<int> loud = Run16(bass, std::vector<int>(20000, 30000));
    EXPECT_EQ(loud.back(), 26188);
    for (int s : loud)
        ASSERT_LE(s, 32767);
}

TEST(BassBoostEffect, ClearHistoryGivesTheSameResponseAgain) {
    BassBoostEffect bass;
    bass.SetLevel(15);
    bass.Prepare(2, 48000);
    const std::vector<int> input = Impulse(12000, 64, 2);
    const std::vector<int> first = Run16(bass, input);
    EXPECT_NE(Run16(bass, input), first);
    bass.ClearHistory();
    EXPECT_EQ(Run16(bass, input), first);
}

TEST(BassBoostEffect, ChannelsKeepSeparateHistories) {
    BassBoostEffect bass;
    bass.SetLevel(20);
    bass.Prepare(2, 44100);
    const std::vector<int> out = Run16(bass, Impulse(10000, 8, 2));
    for (size_t i = 0; i < out.size(); i += 2) {
        EXPECT_EQ(out[i + 1], 0);
    }
    EXPECT_EQ(out[0], 3906);
    EXPECT_EQ(out[2], 13);
}

TEST(BassBoostEffect, LeavesDataAloneWhenOffOrUnprepared) {
    const std::vector<int> input{1000, -1000, 500, 700};
    BassBoostEffect bass;
    bass.SetLevel(20);
    EXPECT_EQ(Run16(bass, input), input);
    bass.Prepare(2, 44100);
    bass.SetLevel(0);
    EXPECT_EQ(Run16(bass, input), input);
    bass.SetLevel(20);
    EXPECT_NE(Run16(bass, input), input);
    bass.Release();
    EXPECT_EQ(Run16(bass, input), input);
}

} // namespace
