#include "engine/effects/EchoReverbEffect.h"

#include "PcmBuffers.h"

#include <gtest/gtest.h>

namespace {

// Runs the samples through the effect in blocks of `blockSamples`, as the engine hands them over.
std::vector<int> RunInBlocks(EchoReverbEffect& effect, const std::vector<int>& samples,
                             size_t blockSamples) {
    std::vector<int> out;
    for (size_t i = 0; i < samples.size(); i += blockSamples) {
        const size_t end = std::min(samples.size(), i + blockSamples);
        const std::vector<int> block =
            Run16(effect, std::vector<int>(samples.begin() + i, samples.begin() + end));
        out.insert(out.end(), block.begin(), block.end());
    }
    return out;
}

// Indexes and values of the non-zero samples.
std::vector<std::pair<size_t, int>> NonZero(const std::vector<int>& samples) {
    std::vector<std::pair<size_t, int>> found;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (samples[i] != 0)
            found.emplace_back(i, samples[i]);
    }
    return found;
}

using Hits = std::vector<std::pair<size_t, int>>;

TEST(EchoReverbEffect, DefaultsAndStoredParams) {
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    EffectParams p = echo.GetParams();
    EXPECT_EQ(p.enabled, 0);
    EXPECT_EQ(p.delay, 100);
    EXPECT_EQ(p.rate, 20);
    echo.SetParams({1, 175, 28});
    p = echo.GetParams();
    EXPECT_EQ(p.enabled, 1);
    EXPECT_EQ(p.delay, 175);
    EXPECT_EQ(p.rate, 28);
    echo.SetParams({1, -5, 28});
    EXPECT_EQ(echo.GetParams().delay, 0);
    echo.SetParams({1, 1 << 30, 28});
    EXPECT_EQ(echo.GetParams().delay, EchoReverbEffect::kMaxDelay);
}

TEST(EchoReverbEffect, EchoRepeatsOnceAfterTheDelayInStereo) {
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    echo.SetParams({1, 100, 20});
    echo.Prepare(2, 44100);
    // 2 × 4410 samples of delay: a ring of 8821 entries.
    std::vector<int> input(3 * 8820, 0);
    input[0] = 10000;
    input[1] = -7;
    const Hits expected{{0, 10000}, {1, -7}, {8820, 2000}, {8821, -1}};
    EXPECT_EQ(NonZero(RunInBlocks(echo, input, 4096)), expected);
}

TEST(EchoReverbEffect, OddMonoDelayIsRounded) {
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    echo.SetParams({1, 100, 50});
    echo.Prepare(1, 22050);
    // 2205 samples is odd: the low four bits are cleared and 1 added, 2193.
    std::vector<int> input(3000, 0);
    input[0] = 1000;
    const Hits expected{{0, 1000}, {2193, 500}};
    EXPECT_EQ(NonZero(RunInBlocks(echo, input, 1000)), expected);
}

TEST(EchoReverbEffect, ReverbDecaysByRateEachRepeat) {
    EchoReverbEffect reverb(EchoReverbEffect::Reverb);
    reverb.SetParams({1, 10, 50});
    reverb.Prepare(1, 8000); // 80 samples
    std::vector<int> input(300, 0);
    input[0] = 10000;
    const Hits expected{{0, 10000}, {80, 5000}, {160, 2500}, {240, 1250}};
    EXPECT_EQ(NonZero(RunInBlocks(reverb, input, 64)), expected);
}

TEST(EchoReverbEffect, FullRateReverbRepeatsWithoutDecayAndStaysClamped) {
    EchoReverbEffect reverb(EchoReverbEffect::Reverb);
    reverb.SetParams({1, 10, 100});
    reverb.Prepare(1, 8000);
    std::vector<int> input(800, 0);
    input[0] = 10000;
    const std::vector<int> out = Run16(reverb, input);
    for (size_t i = 0; i < out.size(); ++i)
        ASSERT_EQ(out[i], i % 80 == 0 ? 10000 : 0) << i;

    reverb.ClearHistory();
    const std::vector<int> loud = Run16(reverb, std::vector<int>(800, 30000));
    EXPECT_EQ(loud[79], 30000);
    for (size_t i = 80; i < loud.size(); ++i)
        ASSERT_EQ(loud[i], 32767) << i;
    const std::vector<int> low = Run16(reverb, std::vector<int>(800, -30000));
    EXPECT_EQ(low.back(), -32768);
}

TEST(EchoReverbEffect, EightBit) {
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    echo.SetParams({1, 1, 50});
    echo.Prepare(1, 8000); // 8 samples
    std::vector<uint8_t> input(12, 128);
    input[0] = 200; // +18432
    input[1] = 28;  // -25600
    std::vector<uint8_t> expected = input;
    expected[8] = 128 + 36; // 9216 >> 8
    expected[9] = 128 - 50; // -12800 >> 8
    EXPECT_EQ(Run8(echo, input), expected);
}

TEST(EchoReverbEffect, NewParamsDuringPlaybackRebuildTheRing) {
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    echo.Prepare(1, 8000); // disabled: nothing built yet
    std::vector<int> input(40, 0);
    input[0] = 1000;
    EXPECT_EQ(NonZero(Run16(echo, input)), (Hits{{0, 1000}}));

    echo.SetParams({1, 1, 50});
    EXPECT_EQ(NonZero(Run16(echo, input)), (Hits{{0, 1000}, {8, 500}}));
    // A pending repeat is dropped with the old ring.
    std::vector<int> tail(8, 0);
    tail[4] = 1000;
    Run16(echo, tail);
    echo.SetParams({1, 2, 50});
    EXPECT_EQ(NonZero(Run16(echo, std::vector<int>(40, 0))), Hits{});
    EXPECT_EQ(NonZero(Run16(echo, input)), (Hits{{0, 1000}, {16, 500}}));
}

TEST(EchoReverbEffect, ClearHistoryDropsPendingRepeats) {
    EchoReverbEffect reverb(EchoReverbEffect::Reverb);
    reverb.SetParams({1, 10, 60});
    reverb.Prepare(2, 8000);
    std::vector<int> input(100, 0);
    input[0] = 1000;
    input[1] = 1000;
    const std::vector<int> first = Run16(reverb, input);
    reverb.ClearHistory();
    EXPECT_EQ(Run16(reverb, input), first);
    reverb.ClearHistory();
    EXPECT_EQ(NonZero(Run16(reverb, std::vector<int>(400, 0))), Hits{});
}

TEST(EchoReverbEffect, LeavesDataAloneWhenOffOrReleased) {
    std::vector<int> input(200, 0);
    input[0] = 1000;
    for (const EffectParams& params : {EffectParams{0, 10, 50}, EffectParams{1, 0, 50},
                                       EffectParams{1, 10, 0}, EffectParams{2, 10, 50}}) {
        EchoReverbEffect echo(EchoReverbEffect::Echo);
        echo.SetParams(params);
        echo.Prepare(1, 8000);
        EXPECT_EQ(Run16(echo, input), input);
    }
    EchoReverbEffect echo(EchoReverbEffect::Echo);
    echo.SetParams({1, 10, 50});
    echo.Prepare(1, 8000);
    echo.Release();
    EXPECT_EQ(Run16(echo, input), input);
    // A delay shorter than one sample builds nothing.
    echo.SetParams({1, 1, 50});
    echo.Prepare(1, 500);
    EXPECT_EQ(Run16(echo, input), input);
}

} // namespace
