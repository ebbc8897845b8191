#include "engine/effects/Chorus3DEffect.h"

#include "PcmBuffers.h"

#include <gtest/gtest.h>

namespace {

// At 1000 Hz the lines hold 1000 entries and wrap at 999, the base delay is 6 samples, and the
// right channel's sweep starts at phase 500 (a delay of 6 + 500/256 samples).
void Enable(Chorus3DEffect& chorus, int level) {
    chorus.SetParams({1, 0, level});
    chorus.Prepare(2, 1000);
}

std::vector<int> Impulses(int left, int right, size_t frames) {
    std::vector<int> samples(frames * 2, 0);
    samples[0] = left;
    samples[1] = right;
    return samples;
}

TEST(Chorus3DEffect, DefaultsAndStoredParams) {
    Chorus3DEffect chorus;
    EffectParams p = chorus.GetParams();
    EXPECT_EQ(p.enabled, 0);
    EXPECT_EQ(p.delay, 0);
    EXPECT_EQ(p.rate, 20);
    chorus.SetParams({1, 80, 70});
    p = chorus.GetParams();
    EXPECT_EQ(p.enabled, 1);
    EXPECT_EQ(p.delay, 0);
    EXPECT_EQ(p.rate, 70);
}

TEST(Chorus3DEffect, SubtractsTheSweptDelayedCopy) {
    Chorus3DEffect chorus;
    Enable(chorus, 100); // gain 66
    std::vector<int> expected(20, 0);
    // Dry: 10000 × 256 × 66 / 100 >> 8.
    expected[0] = 6600;
    expected[1] = 6600;
    // Left, frame 6: the read position lies 6/256 before the impulse; the entry after the last
    // one wraps to the first (weight 250). Frame 7: weight 7.
    expected[12] = -6446;
    expected[14] = -181;
    // Right, half a sweep later: frames 7 (weight 19) and 8 (weight 236).
    expected[15] = -490;
    expected[17] = -6085;
    EXPECT_EQ(Run16(chorus, Impulses(10000, 10000, 10)), expected);
}

TEST(Chorus3DEffect, EightBit) {
    Chorus3DEffect chorus;
    Enable(chorus, 100);
    std::vector<uint8_t> input(20, 128);
    input[0] = 228; // +100 × 256
    std::vector<uint8_t> expected(20, 128);
    expected[0] = 128 + 66;
    expected[12] = 128 - 65; // -16500 >> 8
    expected[14] = 128 - 2;  // -462 >> 8
    EXPECT_EQ(Run8(chorus, input), expected);
}

TEST(Chorus3DEffect, FullLevelCancelsASteadySignal) {
    Chorus3DEffect chorus;
    Enable(chorus, 100);
    const std::vector<int> out = Run16(chorus, std::vector<int>(2 * 2000, 12345));
    for (size_t i = 2 * 1100; i < out.size(); ++i)
        ASSERT_EQ(out[i], 0) << i;
}

TEST(Chorus3DEffect, ClearHistoryRestartsTheSweep) {
    Chorus3DEffect chorus;
    Enable(chorus, 60);
    const std::vector<int> input = Impulses(-20000, 15000, 400);
    const std::vector<int> first = Run16(chorus, input);
    EXPECT_NE(Run16(chorus, input), first);
    chorus.ClearHistory();
    EXPECT_EQ(Run16(chorus, input), first);
}

TEST(Chorus3DEffect, LeavesDataAloneWhenOffMonoOrReleased) {
    const std::vector<int> input{1000, -1000, 500, 700, -3, 9};
    Chorus3DEffect chorus;
    chorus.SetParams({1, 0, 50});
    EXPECT_EQ(Run16(chorus, input), input); // not prepared
    chorus.Prepare(1, 44100);
    EXPECT_EQ(Run16(chorus, input), input);
    chorus.Prepare(2, 44100);
    chorus.SetParams({0, 0, 50});
    EXPECT_EQ(Run16(chorus, input), input);
    chorus.SetParams({1, 0, 0});
    EXPECT_EQ(Run16(chorus, input), input);
    chorus.SetParams({1, 0, 50});
    EXPECT_NE(Run16(chorus, input), input);
    chorus.Release();
    EXPECT_EQ(Run16(chorus, input), input);
}

} // namespace
