#include "engine/effects/SurroundEffect.h"

#include "PcmBuffers.h"

#include <gtest/gtest.h>

namespace {

void Enable(SurroundEffect& surround, int enabled, int rate) {
    surround.SetParams({enabled, 0, rate});
    surround.Prepare(2, 44100);
}

TEST(SurroundEffect, DefaultsAndStoredParams) {
    SurroundEffect surround;
    EffectParams p = surround.GetParams();
    EXPECT_EQ(p.enabled, 0);
    EXPECT_EQ(p.delay, 0);
    EXPECT_EQ(p.rate, 20);

    surround.SetParams({1, 150, 45});
    p = surround.GetParams();
    EXPECT_EQ(p.enabled, 1);
    EXPECT_EQ(p.delay, 0);
    EXPECT_EQ(p.rate, 45);

    surround.SetParams({1, 0, 250});
    EXPECT_EQ(surround.GetParams().rate, 100);
    surround.SetParams({1, 0, -3});
    EXPECT_EQ(surround.GetParams().rate, 0);
}

TEST(SurroundEffect, WidensStereoWithDefaultGain) {
    SurroundEffect surround;
    surround.SetParams({1, 0, 20}); // gain 92
    // L' = 92 × (1000 + 20 × 2000 / 100) / 100
    EXPECT_EQ(Run16(surround, {1000, -1000, 0, 0}), (std::vector<int>{1288, -1288, 0, 0}));
}

TEST(SurroundEffect, FullRateOnEqualChannelsOnlyLowersTheLevel) {
    SurroundEffect surround;
    surround.SetParams({1, 0, 100}); // gain 66
    // Truncation toward zero: -1001 × 66 / 100 = -660.66 gives -660.
    EXPECT_EQ(Run16(surround, {1000, 1000, -1001, -1001, 32767, 32767}),
              (std::vector<int>{660, 660, -660, -660, 21626, 21626}));
}

TEST(SurroundEffect, ClampsTo16Bits) {
    SurroundEffect surround;
    Enable(surround, 1, 100);
    EXPECT_EQ(Run16(surround, {30000, -30000}), (std::vector<int>{32767, -32768}));
}

TEST(SurroundEffect, EightBitIsCentredAndScaled) {
    SurroundEffect surround;
    Enable(surround, 1, 100);
    // L: 66 × (18432 + 25600) / 100 = 29061 -> 113 + 128; R: -21626 -> -85 + 128.
    EXPECT_EQ(Run8(surround, {200, 100, 128, 128}), (std::vector<uint8_t>{241, 43, 128, 128}));
}

TEST(SurroundEffect, LeavesDataAloneWhenOffOrMono) {
    const std::vector<int> input{1000, -1000, 5, 7};
    SurroundEffect surround;
    Enable(surround, 0, 50);
    EXPECT_EQ(Run16(surround, input), input);
    Enable(surround, 1, 0);
    EXPECT_EQ(Run16(surround, input), input);
    Enable(surround, 1, 50);
    surround.Prepare(1, 44100);
    EXPECT_EQ(Run16(surround, input), input);
}

} // namespace
