#include "DecoderTestFiles.h"

#include "engine/decoders/MpegDecoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

EqualizerParams Equalizer(int32_t preamp, int32_t bands) {
    EqualizerParams eq{1, preamp, {}};
    std::fill(std::begin(eq.bands), std::end(eq.bands), bands);
    return eq;
}

} // namespace

TEST(MpegDecoder, MatchesTheReferenceDecodes) {
    // mpg123 does not output an Info/Xing frame, which decodes here as a frame of silence.
    const struct {
        const char* file;
        const char* reference;
        size_t offset;
    } cases[] = {
        {"mpeg1-l3-cbr-plain.mp3", "mpeg1-l3-cbr-plain", 0},
        {"mpeg1-l3-cbr-info.mp3", "mpeg1-l3-cbr-plain", 1152},
        {"mpeg1-l3-id3v2.mp3", "mpeg1-l3-cbr-plain", 1152},
        {"mpeg1-l3-vbr-xing.mp3", "mpeg1-l3-vbr-xing", 1152},
        {"mpeg2-l3-22050-mono.mp3", "mpeg2-l3-22050-mono", 576},
        {"mpeg1-l2-44100.mp2", "mpeg1-l2-44100", 0},
        {"mpeg2-l2-24000.mp2", "mpeg2-l2-24000", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const Pcm want = ReadWav(Fixture(std::string(c.reference) + ".ref.wav"));
        const Pcm ours = DecodeMpeg(Fixture(c.file));
        EXPECT_EQ(want.rate, ours.rate);
        EXPECT_EQ(want.Frames() + c.offset, ours.Frames());
        EXPECT_GE(SnrDb(ours, want, c.offset), 60.0);
    }
}

TEST(MpegDecoder, BlocksThatCutFramesGiveTheSameSamples) {
    // 1002 bytes hold 250.5 stereo frames: frames are split, and half a frame stays free.
    for (const char* name : {"mpeg1-l3-vbr-xing.mp3", "mpeg2-l3-22050-mono.mp3"})
        EXPECT_EQ(DecodeMpeg(Fixture(name)).samples,
                  DecodeMpeg(Fixture(name), nullptr, 1002).samples);

    // Pending samples go out first, and nothing is consumed for them.
    const std::string bytes = ReadBytes(Fixture("mpeg1-l2-44100.mp2"));
    const auto* in = reinterpret_cast<const uint8_t*>(bytes.data());
    MpegDecoder decoder;
    uint8_t out[4000];
    size_t consumed = 0, produced = 0;
    EXPECT_EQ(MpegDecoder::kBlockFull,
              decoder.Decode(in, bytes.size(), out, 4000, consumed, produced));
    EXPECT_EQ(626u, consumed);
    EXPECT_EQ(4000u, produced);
    EXPECT_EQ(MpegDecoder::kFitted, decoder.Decode(in + 626, 5000, out, 4000, consumed, produced));
    EXPECT_EQ(0u, consumed);
    EXPECT_EQ(1152u * 4 - 4000, produced);
    EXPECT_EQ(MpegDecoder::kNeedMore, decoder.Decode(in + 626, 300, out, 4000, consumed, produced));

    // Reset drops them and starts over as a fresh decoder would.
    decoder.Decode(in + 626, 5000, out, 100, consumed, produced);
    EXPECT_TRUE(decoder.HasPending());
    decoder.Reset();
    EXPECT_FALSE(decoder.HasPending());
    MpegDecoder fresh;
    uint8_t again[4608], first[4608];
    decoder.Decode(in, bytes.size(), again, sizeof again, consumed, produced);
    fresh.Decode(in, bytes.size(), first, sizeof first, consumed, produced);
    EXPECT_EQ(0, std::memcmp(first, again, sizeof first));
}

TEST(MpegDecoder, EqualizerGains) {
    MpegDecoder decoder;
    decoder.SetEqualizer(Equalizer(31, 31));
    EXPECT_TRUE(decoder.EqualizerOn());
    for (int subband = 0; subband < 32; ++subband)
        EXPECT_EQ(MpegDecoder::kUnityGain, decoder.Gains()[subband]);

    // Band 0 and preamp at level 0 (+20 dB each) are limited to +18 dB; band 9 (subbands 20-31)
    // at level 63 (-20 dB) cancels the preamp.
    EqualizerParams eq = Equalizer(0, 31);
    eq.bands[0] = 0;
    eq.bands[9] = 63;
    decoder.SetEqualizer(eq);
    const int32_t plus18 = static_cast<int32_t>(std::lround(std::pow(10.0, 0.9) * (1 << 28)));
    EXPECT_EQ(plus18, decoder.Gains()[0]);
    EXPECT_EQ(plus18, decoder.Gains()[19]);
    EXPECT_EQ(MpegDecoder::kUnityGain, decoder.Gains()[20]);
    EXPECT_EQ(INT32_MAX, MpegDecoder::ApplyGain(INT32_MAX, plus18));
}

TEST(MpegDecoder, EqualizerScalesTheDecodedSound) {
    // Layer III MPEG-1 and MPEG-2 (36 and 18 time slots), layer II; stereo and mono.
    for (const char* name :
         {"mpeg1-l3-cbr-plain.mp3", "mpeg2-l3-22050-mono.mp3", "mpeg1-l2-44100.mp2"}) {
        SCOPED_TRACE(name);
        const Pcm plain = DecodeMpeg(Fixture(name));
        const EqualizerParams flat = Equalizer(31, 31), quiet = Equalizer(31, 63);
        EXPECT_EQ(plain.samples, DecodeMpeg(Fixture(name), &flat).samples);
        Pcm tenth = plain; // every band at -20 dB
        for (int16_t& sample : tenth.samples)
            sample = static_cast<int16_t>(std::lround(sample * 0.1));
        EXPECT_GE(SnrDb(DecodeMpeg(Fixture(name), &quiet), tenth), 35.0);
    }
}

TEST(MpegDecoder, SixteenBitConversionRoundsAndClips) {
    const std::pair<int32_t, int16_t> cases[] = {
        {0, 0},
        {(1 << 12) - 1, 0},
        {1 << 12, 1},
        {-(1 << 12), 0},
        {-(1 << 12) - 1, -1},
        {1 << 27, 16384},
        {1 << 28, 32767},
        {INT32_MAX, 32767},
        {-(1 << 28), -32768},
        {INT32_MIN, -32768},
    };
    for (const auto& [sample, pcm] : cases)
        EXPECT_EQ(pcm, MpegDecoder::ToPcm16(sample)) << sample;
}

TEST(MpegDecoder, SurvivesGarbageAndTruncatedInput) {
    std::mt19937 random(11);
    const std::string good = ReadBytes(Fixture("mpeg1-l3-vbr-xing.mp3"));
    for (int round = 0; round < 20; ++round) {
        const size_t prefix = random() % good.size();
        std::string bytes = good.substr(0, prefix);
        // Valid headers (stereo and mono, two versions) with random payload, anywhere.
        for (int i = 0; i < 30; ++i) {
            std::string frame(i % 2 ? "\xFF\xFB\x90\x00" : "\xFF\xF3\x80\xC4", 4);
            for (int j = 0; j < 400; ++j)
                frame += static_cast<char>(random());
            bytes.insert(random() % (bytes.size() + 1), frame);
        }
        const Pcm pcm = DecodeMpegBytes(bytes, 1000 + round);
        if (prefix > 20000) {
            EXPECT_GT(pcm.samples.size(), 20000u);
        }
    }
}
