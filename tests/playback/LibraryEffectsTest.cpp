#include "playback/LibraryEffects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace {

// Mix buffers of each width, in native byte order.
template <typename T> std::vector<uint8_t> Pack(const std::vector<T>& samples) {
    std::vector<uint8_t> bytes(samples.size() * sizeof(T));
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

template <typename T> std::vector<T> Unpack(const std::vector<uint8_t>& bytes) {
    std::vector<T> samples(bytes.size() / sizeof(T));
    std::memcpy(samples.data(), bytes.data(), bytes.size());
    return samples;
}

template <typename T, typename Effect>
std::vector<T> Apply(Effect& effect, std::vector<T> samples) {
    std::vector<uint8_t> bytes = Pack(samples);
    effect.Process(bytes.data(), bytes.size(), static_cast<int>(2 * sizeof(T)));
    return Unpack<T>(bytes);
}

using S8 = std::vector<int8_t>;
using S16 = std::vector<int16_t>;
using S32 = std::vector<int32_t>;

} // namespace

// gain = trunc(100 × 10^(-0.0875)) = 81 at rate 50.
TEST(AudioSurroundEffect, KnownVectorsForAllWidths) {
    AudioSurroundEffect surround;
    surround.SetStatus(1);
    surround.SetValue(50);
    EXPECT_EQ(surround.GetGain(), 81);
    // L' = 81 × (1000 + 50 × 800 / 100) / 100 = 1134; R' = 81 × (200 - 400) / 100 = -162.
    EXPECT_EQ(Apply(surround, S16{1000, 200}), (S16{1134, -162}));
    // 8-bit as s × 256: 81 × 1408 / 100 = 1140 >> 8 = 4; 81 × -128 / 100 = -103 >> 8 = -1.
    EXPECT_EQ(Apply(surround, S8{4, 1}), (S8{4, -1}));
    // 32-bit: 81 × 60000 / 100 = 48600 clamped to 32767; 81 × -20000 / 100 = -16200.
    EXPECT_EQ(Apply(surround, S32{40000, 0}), (S32{32767, -16200}));
}

TEST(AudioSurroundEffect, RateIsHeldAndRateZeroDoesNothing) {
    AudioSurroundEffect surround;
    surround.SetValue(150);
    EXPECT_EQ(surround.GetValue(), 100);
    EXPECT_EQ(surround.GetGain(), 66);
    surround.SetStatus(1);
    surround.SetValue(0);
    EXPECT_EQ(Apply(surround, S16{1000, 200}), (S16{1000, 200}));
}

// Level 50 (the default): gain 81. The first frame reads an empty line, so y = x × 256 × 81 /
// 100 >> 8.
TEST(Audio3DChorusEffect, FirstFrameKnownVectorsForAllWidths) {
    Audio3DChorusEffect chorus;
    EXPECT_EQ(chorus.GetValue(), 50);
    chorus.SetStatus(1);
    chorus.Prepare(1000);
    EXPECT_EQ(Apply(chorus, S16{1000, -1000}), (S16{810, -810}));
    chorus.ClearHistory();
    // 2560 × 256 × 81 / 100 = 530841 >> 8 = 2073 >> 8 = 8.
    EXPECT_EQ(Apply(chorus, S8{10, 10}), (S8{8, 8}));
    chorus.ClearHistory();
    // 32-bit results are not clamped: 100000 → 81000.
    EXPECT_EQ(Apply(chorus, S32{100000, -100000}), (S32{81000, -81000}));
}

// Rate 1000: D0 = 6, L = 1000. At frame 6 the left read position is -6 + 1000 × 256 - 256 =
// 255738: i = 998, f = 250, and b = buf[0] (index L - 1 wraps to 0) = 1000, so
// delayed = 1000 × 250 × 50 / 100 = 125000, y = -125000 × 81 / 100 >> 8 = -101250 >> 8 = -396.
// At frame 7 the position is 7 × 256 - 7 - 6 × 256 = 249: a = 1000, b = 0, f = 249,
// delayed = 1000 × 7 × 50 / 100 = 3500, y = -3500 × 81 / 100 >> 8 = -2835 >> 8 = -12.
TEST(Audio3DChorusEffect, ImpulseComesBackSubtractedAfterTheBaseDelay) {
    // Switched on before or after the mixer is prepared (the delay lines come with the switch).
    for (const bool onFirst : {true, false}) {
        Audio3DChorusEffect chorus;
        if (onFirst)
            chorus.SetStatus(1);
        chorus.Prepare(1000);
        chorus.SetStatus(1);
        S16 in(18, 0);
        in[0] = 1000;
        const S16 out = Apply(chorus, in);
        EXPECT_EQ(out[0], 810);
        for (int frame = 1; frame < 6; ++frame)
            EXPECT_EQ(out[2 * frame], 0) << frame;
        EXPECT_EQ(out[12], -396);
        EXPECT_EQ(out[14], -12);
        EXPECT_EQ(out[16], 0);
    }
}

namespace {
// b0 × 2^28 from the low-shelf formulas at 140 Hz, k 0.0125, 1/S 1/3.
int64_t ExpectedB0(int level, int rate) {
    const double w = 2 * std::numbers::pi * 140.0 / rate;
    const double A = std::pow(10.0, 0.0125 * level);
    const double beta = std::sqrt((A * A + 1) / 3 - (A - 1) * (A - 1));
    const double a0 = (A + 1) + (A - 1) * std::cos(w) + beta * std::sin(w);
    const double b0 = A * ((A + 1) - (A - 1) * std::cos(w) + beta * std::sin(w)) / a0;
    return static_cast<int64_t>(b0 * 268435456.0);
}

// First sample: y = b0 × s × 4096 >> 28, output (y >> 12) × 39 / 100.
int64_t FirstOutput(int32_t s) {
    const int64_t y = ExpectedB0(20, 44100) * (int64_t{s} * 4096) >> 28;
    return (y >> 12) * 39 / 100;
}
} // namespace

TEST(AudioBassBoostEffect, DesignUsesTheLibraryConstants) {
    const BassBoostCoefficients k =
        BassBoostEffect::Design(AudioBassBoostEffect::kConstants, 20, 44100);
    EXPECT_EQ(k.b0, ExpectedB0(20, 44100));
    EXPECT_EQ(BassBoostEffect::OutputGain(20), 39);
}

TEST(AudioBassBoostEffect, FirstSampleKnownVectorsForAllWidths) {
    AudioBassBoostEffect bass;
    bass.SetStatus(1);
    bass.SetLevel(25);
    EXPECT_EQ(bass.GetLevel(), 20);
    bass.Prepare(44100);
    auto run = [&bass](auto samples) {
        std::vector<uint8_t> bytes = Pack(samples);
        bass.Process(bytes.data(), bytes.size(), static_cast<int>(2 * sizeof(samples[0])), 44100);
        bass.ClearHistory();
        return Unpack<typename decltype(samples)::value_type>(bytes);
    };
    const S16 out16 = run(S16{10000, -10000});
    EXPECT_EQ(out16[0], FirstOutput(10000));
    EXPECT_EQ(out16[1], FirstOutput(-10000));
    EXPECT_NE(out16[0], 10000);
    // 8-bit: s × 256 in, result >> 8.
    const S8 out8 = run(S8{40, -40});
    EXPECT_EQ(out8[0], FirstOutput(40 * 256) >> 8);
    EXPECT_EQ(out8[1], FirstOutput(-40 * 256) >> 8);
    // 32-bit samples are held to the 16-bit range.
    const S32 out32 = run(S32{10000, 1000000});
    EXPECT_EQ(out32[0], FirstOutput(10000));
    EXPECT_EQ(out32[1], FirstOutput(32767));
}

// 1000 Hz, 2 ms: n = 2 × 2 = 4, a ring of 5; the repeat comes 2 frames later.
TEST(AudioEchoEffect, EchoKnownVectorsForAllWidths) {
    AudioEchoEffect echo(AudioEchoEffect::Kind::Echo);
    EXPECT_EQ(echo.GetDelay(), 100);
    EXPECT_EQ(echo.GetRate(), 20);
    echo.SetStatus(1);
    echo.SetDelay(2);
    echo.Prepare(1000);
    EXPECT_EQ(Apply(echo, S16{1000, 2000, 0, 0, 0, 0, 0, 0, 0, 0}),
              (S16{1000, 2000, 0, 0, 200, 400, 0, 0, 0, 0}));
    echo.ClearHistory();
    // 8-bit: 50 × 256 = 12800 → 2560 >> 8 = 10; -100 × 256 → -5120 >> 8 = -20.
    EXPECT_EQ(Apply(echo, S8{50, -100, 0, 0, 0, 0}), (S8{50, -100, 0, 0, 10, -20}));
    echo.ClearHistory();
    // 32-bit: clamped on output; the ring keeps the dry 100000, so the repeat is 20000.
    EXPECT_EQ(Apply(echo, S32{100000, 0, 0, 0, 0, 0}), (S32{32767, 0, 0, 0, 20000, 0}));
}

TEST(AudioEchoEffect, ReverbRepeatsWithDecayForAllWidths) {
    AudioEchoEffect reverb(AudioEchoEffect::Kind::Reverb);
    reverb.SetStatus(1);
    reverb.SetDelay(2);
    reverb.Prepare(1000);
    EXPECT_EQ(Apply(reverb, S16{1000, 2000, 0, 0, 0, 0, 0, 0, 0, 0}),
              (S16{1000, 2000, 0, 0, 200, 400, 0, 0, 40, 80}));
    reverb.ClearHistory();
    // 12800 → 2560 → 512: 50, 10, 2.
    EXPECT_EQ(Apply(reverb, S8{50, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
              (S8{50, 0, 0, 0, 10, 0, 0, 0, 2, 0}));
    reverb.ClearHistory();
    // The ring holds the clamped 32767: 6553, then 1310.
    EXPECT_EQ(Apply(reverb, S32{100000, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
              (S32{32767, 0, 0, 0, 6553, 0, 0, 0, 1310, 0}));
}

TEST(AudioAmplifier, Rate31DoesNothing) {
    AudioAmplifier amp;
    amp.SetStatus(1);
    amp.SetRate(31);
    EXPECT_EQ(Apply(amp, S16{1000, -20000}), (S16{1000, -20000}));
    EXPECT_EQ(Apply(amp, S8{127, -128}), (S8{127, -128}));
    EXPECT_EQ(Apply(amp, S32{40000, -40000}), (S32{40000, -40000}));
}

TEST(AudioAmplifier, Rate62DoublesWithClamps) {
    AudioAmplifier amp;
    amp.SetRate(62);
    EXPECT_EQ(Apply(amp, S16{1000, -20000}), (S16{1000, -20000})); // status 0
    amp.SetStatus(1);
    EXPECT_EQ(Apply(amp, S16{1000, -20000}), (S16{2000, -32768}));
    EXPECT_EQ(Apply(amp, S8{50, -100, 127, -3}), (S8{100, -128, 127, -6}));
    EXPECT_EQ(Apply(amp, S32{40000, -3}), (S32{32767, -6}));
}

// 40 × (1/31) = 1.2903...: 100 → 129, -100 → -129 (truncated toward zero).
TEST(AudioAmplifier, OtherRatesTruncateTowardZero) {
    AudioAmplifier amp;
    amp.SetStatus(1);
    amp.SetRate(40);
    EXPECT_EQ(Apply(amp, S16{100, -100}), (S16{129, -129}));
    EXPECT_EQ(Apply(amp, S8{10, -10}), (S8{12, -12}));
}

TEST(LibraryEffects, DisabledEffectsLeaveEveryWidthUnchanged) {
    LibraryEffects effects;
    effects.Prepare(1000);
    effects.bassBoost.SetLevel(20);
    effects.amplifier.SetRate(62);
    const S16 in16{1000, -2000, 3000, 50};
    std::vector<uint8_t> b16 = Pack(in16);
    effects.Process(b16.data(), b16.size(), 4, 1000);
    EXPECT_EQ(Unpack<int16_t>(b16), in16);
    const S8 in8{10, -20, 30, -40};
    std::vector<uint8_t> b8 = Pack(in8);
    effects.Process(b8.data(), b8.size(), 2, 1000);
    EXPECT_EQ(Unpack<int8_t>(b8), in8);
    const S32 in32{100000, -2000, 3000, -100000};
    std::vector<uint8_t> b32 = Pack(in32);
    effects.Process(b32.data(), b32.size(), 8, 1000);
    EXPECT_EQ(Unpack<int32_t>(b32), in32);
}

// Surround before the amplifier: (20000, 0) → (24300, -8100) → (32767, -16200). The other way
// round the right channel would be 81 × -16383 / 100 = -13270.
TEST(LibraryEffects, SurroundRunsBeforeTheAmplifier) {
    LibraryEffects effects;
    effects.surround.SetStatus(1);
    effects.surround.SetValue(50);
    effects.amplifier.SetStatus(1);
    effects.amplifier.SetRate(62);
    std::vector<uint8_t> bytes = Pack(S16{20000, 0});
    effects.Process(bytes.data(), bytes.size(), 4, 44100);
    EXPECT_EQ(Unpack<int16_t>(bytes), (S16{32767, -16200}));
}

// Echo before the amplifier: the ring holds the dry 20000, so the repeat is 4000 × 2 = 8000
// (amplified first it would be 32767 × 20 / 100 = 6553).
TEST(LibraryEffects, EchoRunsBeforeTheAmplifier) {
    LibraryEffects effects;
    effects.echo.SetStatus(1);
    effects.echo.SetDelay(2);
    effects.amplifier.SetStatus(1);
    effects.amplifier.SetRate(62);
    effects.Prepare(1000);
    std::vector<uint8_t> bytes = Pack(S16{20000, 0, 0, 0, 0, 0});
    effects.Process(bytes.data(), bytes.size(), 4, 1000);
    EXPECT_EQ(Unpack<int16_t>(bytes), (S16{32767, 0, 0, 0, 8000, 0}));
}

// Echo before reverb; the clamp between them tells the order. Echo (2 frames, 100 %) gives
// 20000, 32767 (clamped), 20000 at frames 0, 2, 4; reverb (4 frames, 20 %) then adds
// 20000 × 20 / 100 at frame 4 and 32767 × 20 / 100 = 6553 at frame 6. Reverb first would give
// 8000 at frame 6.
TEST(LibraryEffects, EchoRunsBeforeReverb) {
    LibraryEffects effects;
    effects.echo.SetStatus(1);
    effects.echo.SetDelay(2);
    effects.echo.SetRate(100);
    effects.reverb.SetStatus(1);
    effects.reverb.SetDelay(4);
    effects.Prepare(1000);
    std::vector<uint8_t> bytes = Pack(S16{20000, 0, 0, 0, 20000, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    effects.Process(bytes.data(), bytes.size(), 4, 1000);
    EXPECT_EQ(Unpack<int16_t>(bytes),
              (S16{20000, 0, 0, 0, 32767, 0, 0, 0, 24000, 0, 0, 0, 6553, 0, 0, 0}));
}
