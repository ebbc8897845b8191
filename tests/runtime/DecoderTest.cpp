#include "engine/core/MpegHeader.h"
#include "runtime/StreamDecoder.h"
#include "runtime/fsound.h"
#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"
#include "tests/WavFile.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>

namespace {

std::string Fixture(const std::string& name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<StreamDecoder> OpenOk(const std::string& path, bool exact = false) {
    int error = -1;
    auto decoder = StreamDecoder::Open(path, exact, error);
    EXPECT_TRUE(decoder) << path << ": error " << error;
    EXPECT_EQ(decoder ? FMOD_ERR_NONE : error, error);
    return decoder;
}

// Reads to the end in blocks of `block` frames; stops after a bounded number of reads, so a
// decoder that never ends fails the test instead of hanging it.
std::vector<int16_t> ReadAll(StreamDecoder& decoder, int block = 1000) {
    std::vector<int16_t> all, buffer(static_cast<size_t>(block) * decoder.Channels());
    for (int reads = 0; reads < 100000; ++reads) {
        const int got = decoder.Read(buffer.data(), block);
        if (got <= 0)
            break;
        EXPECT_LE(got, block);
        all.insert(all.end(), buffer.begin(), buffer.begin() + got * decoder.Channels());
    }
    return all;
}

double SnrDb(const std::vector<int16_t>& ours, const std::vector<int16_t>& want) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < std::min(ours.size(), want.size()); ++i) {
        signal += double(want[i]) * want[i];
        noise += double(ours[i] - want[i]) * (ours[i] - want[i]);
    }
    return noise == 0 ? 200.0 : 10 * std::log10(signal / noise);
}

// Audio frames of an MPEG file counted by walking frame headers after any ID3v2 tag.
int64_t CountMpegSamples(const std::string& bytes) {
    const auto* b = reinterpret_cast<const uint8_t*>(bytes.data());
    size_t pos = 0;
    if (bytes.size() >= 10 && bytes.compare(0, 3, "ID3") == 0)
        pos = 10 + ((b[6] << 21) | (b[7] << 14) | (b[8] << 7) | b[9]);
    int64_t samples = 0;
    MpegHeaderInfo info;
    while (pos + 4 <= bytes.size() && MpegHeader::Parse(MpegHeader::Read(b + pos), info)) {
        samples += info.samplesPerFrame;
        pos += static_cast<size_t>(info.frameLength);
    }
    return samples;
}

} // namespace

TEST(StreamDecoder, DecodesLikeTheReferenceDecoders) {
    // The references were made by mpg123 without gapless trimming and by oggdec; an Info/Xing
    // frame carries no audio and is not output.
    // GSM 6.10 decodes in blocks of 320 samples, and libsndfile gives the last block whole.
    const struct {
        const char* file;
        const char* reference;
        size_t lengthSlack;
    } cases[] = {
        {"mpeg1-l3-cbr-plain.mp3", "mpeg1-l3-cbr-plain", 0},
        {"mpeg1-l3-cbr-info.mp3", "mpeg1-l3-cbr-plain", 0},
        {"mpeg1-l3-id3v2.mp3", "mpeg1-l3-cbr-plain", 0},
        {"mpeg1-l3-vbr-xing.mp3", "mpeg1-l3-vbr-xing", 0},
        {"mpeg2-l3-22050-mono.mp3", "mpeg2-l3-22050-mono", 0},
        {"mpeg1-l2-44100.mp2", "mpeg1-l2-44100", 0},
        {"mpeg2-l2-24000.mp2", "mpeg2-l2-24000", 0},
        {"vorbis-44100.ogg", "vorbis-44100", 0},
        {"vorbis-chained.ogg", "vorbis-chained", 0},
        {"wav-msadpcm-stereo.wav", "wav-msadpcm-stereo", 0},
        {"wav-imaadpcm-mono.wav", "wav-imaadpcm-mono", 0},
        {"wav-alaw-8000.wav", "wav-alaw-8000", 0},
        {"wav-mulaw-8000.wav", "wav-mulaw-8000", 0},
        {"wav-gsm-8000.wav", "wav-gsm-8000", 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        WavFile want;
        ASSERT_TRUE(want.Read(Fixture(std::string(c.reference) + ".ref.wav")));
        auto decoder = OpenOk(Fixture(c.file), true);
        if (!decoder)
            continue;
        EXPECT_EQ(want.rate, decoder->Rate());
        EXPECT_EQ(want.channels, decoder->Channels());
        EXPECT_NEAR(static_cast<double>(want.Frames()), decoder->LengthFrames(), c.lengthSlack);
        const std::vector<int16_t> ours = ReadAll(*decoder, 777);
        EXPECT_EQ(static_cast<size_t>(decoder->LengthFrames() * decoder->Channels()), ours.size());
        EXPECT_GE(SnrDb(ours, want.samples), 90.0);
    }
}

TEST(StreamDecoder, MpegAudioInAWavFileIsDecoded) {
    // libsndfile does not take layer II in a WAV file; mpg123 finds its frames.
    for (const char* name : {"wav-mp2-mono", "wav-mp3-mono"}) {
        SCOPED_TRACE(name);
        WavFile want;
        ASSERT_TRUE(want.Read(Fixture(std::string(name) + ".ref.wav")));
        auto decoder = OpenOk(Fixture(std::string(name) + ".wav"), false);
        ASSERT_TRUE(decoder);
        EXPECT_EQ(want.rate, decoder->Rate());
        EXPECT_EQ(want.channels, decoder->Channels());
        // Decoder delay may differ from the reference's by a frame.
        EXPECT_NEAR(static_cast<double>(want.Frames()), decoder->LengthFrames(), 1152.0);
        const std::vector<int16_t> ours = ReadAll(*decoder, 777);
        EXPECT_GT(*std::max_element(ours.begin(), ours.end()), 1000);
    }
}

TEST(StreamDecoder, PcmWavesComeOutAsStored) {
    for (const char* name : {"wav-pcm16-stereo.wav", "wav-pcm8-mono.wav"}) {
        SCOPED_TRACE(name);
        WavFile want;
        ASSERT_TRUE(want.Read(Fixture(name)));
        auto decoder = OpenOk(Fixture(name));
        ASSERT_TRUE(decoder);
        EXPECT_EQ(want.rate, decoder->Rate());
        EXPECT_EQ(static_cast<int64_t>(want.Frames()), decoder->LengthFrames());
        EXPECT_EQ(want.samples, ReadAll(*decoder));
    }
    // 24-bit and float samples are scaled to 16 bits: close to the 16-bit version.
    WavFile pcm8;
    ASSERT_TRUE(pcm8.Read(Fixture("wav-pcm8-mono.wav")));
    for (const char* name :
         {"wav-pcm24-mono.wav", "wav-pcm24-extensible.wav", "wav-float32-mono.wav"}) {
        SCOPED_TRACE(name);
        auto decoder = OpenOk(Fixture(name));
        ASSERT_TRUE(decoder);
        const auto ours = ReadAll(*decoder);
        ASSERT_EQ(pcm8.samples.size(), ours.size());
        EXPECT_GE(SnrDb(ours, pcm8.samples), 30.0); // 8-bit quantisation noise
    }
}

TEST(StreamDecoder, SeekThenReadGivesTheSamplesOfReadingThrough) {
    for (const char* name : {"mpeg1-l3-cbr-plain.mp3", "mpeg1-l3-vbr-xing.mp3",
                             "mpeg1-l2-44100.mp2", "vorbis-44100.ogg", "vorbis-chained.ogg",
                             "wav-pcm16-stereo.wav", "wav-msadpcm-stereo.wav"}) {
        SCOPED_TRACE(name);
        auto decoder = OpenOk(Fixture(name));
        ASSERT_TRUE(decoder);
        const std::vector<int16_t> whole = ReadAll(*decoder);
        const int channels = decoder->Channels();
        const int64_t frames = static_cast<int64_t>(whole.size()) / channels;
        // Backwards from the end, then forwards, at frame positions that split MPEG frames.
        for (const int64_t at : {frames / 2 + 333, int64_t(1), frames * 3 / 4 + 17, int64_t(0)}) {
            SCOPED_TRACE(at);
            ASSERT_TRUE(decoder->Seek(at));
            std::vector<int16_t> got(size_t(2000) * channels);
            const int read = decoder->Read(got.data(), 2000);
            const int64_t expected = std::min<int64_t>(2000, frames - at);
            ASSERT_GE(read, 1);
            // A decoder may answer with fewer frames than asked; compare what came.
            ASSERT_LE(read, expected);
            got.resize(size_t(read) * channels);
            const std::vector<int16_t> slice(whole.begin() + at * channels,
                                             whole.begin() + (at + read) * channels);
            EXPECT_GE(SnrDb(got, slice), 90.0);
        }
        // The end is a valid place to seek to, and reads nothing from there.
        ASSERT_TRUE(decoder->Seek(frames));
        int16_t rest[64];
        EXPECT_EQ(0, decoder->Read(rest, 32 / channels));
    }
}

TEST(StreamDecoder, VbrWithoutXingHeaderIsEstimatedUnlessScanned) {
    const std::string path = Fixture("mpeg1-l3-vbr-plain.mp3");
    const int64_t counted = CountMpegSamples(ReadBytes(path));
    ASSERT_GT(counted, 44100 * 2);

    auto estimated = OpenOk(path, false);
    auto exact = OpenOk(path, true);
    ASSERT_TRUE(estimated && exact);
    EXPECT_EQ(counted, exact->LengthFrames());
    // The estimate comes from the file size and the first frame's bitrate, which is far from
    // the average here (quiet start, loud end).
    EXPECT_GT(std::abs(estimated->LengthFrames() - counted), counted / 5);
    // Both decode the same samples; the length only differs in what is announced.
    const auto samples = ReadAll(*estimated);
    EXPECT_EQ(counted * 2, static_cast<int64_t>(samples.size()));
    EXPECT_EQ(samples, ReadAll(*exact));

    // A Xing frame tells the length exactly; a CBR file's estimate is within a frame.
    auto xing = OpenOk(Fixture("mpeg1-l3-vbr-xing.mp3"), false);
    auto cbr = OpenOk(Fixture("mpeg1-l3-cbr-plain.mp3"), false);
    ASSERT_TRUE(xing && cbr);
    EXPECT_EQ(CountMpegSamples(ReadBytes(Fixture("mpeg1-l3-vbr-xing.mp3"))) - 1152,
              xing->LengthFrames());
    const int64_t cbrSamples = CountMpegSamples(ReadBytes(Fixture("mpeg1-l3-cbr-plain.mp3")));
    EXPECT_NEAR(double(cbrSamples), double(cbr->LengthFrames()), 1152.0);
    EXPECT_NE(cbrSamples, cbr->LengthFrames()); // an estimate, not a count
}

TEST(StreamDecoder, ChainedOggEndsAtALinkInAnotherFormat) {
    // 44100 Hz stereo followed by 22050 Hz mono: only the first link plays and counts.
    TempFolder folder;
    const std::string path = folder.Write("chain.ogg", ReadBytes(Fixture("vorbis-44100.ogg")) +
                                                           ReadBytes(Fixture("tag-vorbis.ogg")));
    WavFile first;
    ASSERT_TRUE(first.Read(Fixture("vorbis-44100.ref.wav")));
    auto decoder = OpenOk(path);
    ASSERT_TRUE(decoder);
    EXPECT_EQ(44100, decoder->Rate());
    EXPECT_EQ(2, decoder->Channels());
    EXPECT_EQ(static_cast<int64_t>(first.Frames()), decoder->LengthFrames());
    EXPECT_EQ(first.samples, ReadAll(*decoder, 4096));
    // A seek back makes it play again.
    ASSERT_TRUE(decoder->Seek(1000));
    EXPECT_EQ(first.samples.size() - 2000, ReadAll(*decoder).size());
}

TEST(StreamDecoder, PicksTheDecoderByContentNotByName) {
    // An MP3 named .wav and a WAV named .mp3 still play.
    TempFolder folder;
    const std::string mp3 = folder.Write("song.wav", ReadBytes(Fixture("mpeg1-l2-44100.mp2")));
    const std::string wav = folder.Write("song.mp3", ReadBytes(Fixture("wav-pcm16-stereo.wav")));
    const std::string ogg = folder.Write("song", ReadBytes(Fixture("vorbis-44100.ogg")));
    auto a = OpenOk(mp3);
    auto b = OpenOk(wav);
    auto c = OpenOk(ogg);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(44100, a->Rate());
    EXPECT_EQ(22050, b->Rate());
    EXPECT_EQ(44100, c->Rate());
    EXPECT_GT(ReadAll(*a).size(), 44100u);
}

TEST(StreamDecoder, BrokenFilesFailWithTheirErrorCode) {
    TempFolder folder;
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& c : noise)
        c = static_cast<char>(random() & 0xFF);
    const std::string mp3 = ReadBytes(Fixture("mpeg1-l3-cbr-plain.mp3"));
    const std::string ogg = ReadBytes(Fixture("vorbis-44100.ogg"));
    const std::string wav = ReadBytes(Fixture("wav-pcm16-stereo.wav"));

    const struct {
        std::string name;
        std::string bytes;
        int error;
    } cases[] = {
        {"empty", "", FMOD_ERR_FILE_FORMAT},
        {"empty.mp3", "", FMOD_ERR_FILE_FORMAT},
        {"empty.ogg", "", FMOD_ERR_FILE_FORMAT},
        {"noise", noise, FMOD_ERR_FILE_FORMAT},
        {"noise.ogg", noise, FMOD_ERR_FILE_FORMAT},
        {"text.wav", "just some words, not a sound file\n", FMOD_ERR_FILE_FORMAT},
        // A decoder takes these by their first bytes, then fails.
        {"tag-only.mp3", "ID3\x03" + std::string(5, '\0') + "\x7f", FMOD_ERR_FILE_BAD},
        {"ogg-head.ogg", ogg.substr(0, 200), FMOD_ERR_FILE_BAD},
        {"oggs-noise.ogg", "OggS" + noise, FMOD_ERR_FILE_BAD},
        {"riff-head.wav", wav.substr(0, 20), FMOD_ERR_FILE_BAD},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int error = 0;
        EXPECT_FALSE(StreamDecoder::Open(folder.Write(c.name, c.bytes), false, error));
        EXPECT_EQ(c.error, error);
    }
    int error = 0;
    EXPECT_FALSE(StreamDecoder::Open(folder / "missing.mp3", false, error));
    EXPECT_EQ(FMOD_ERR_FILE_NOTFOUND, error);
    // Neither a FIFO nor a device is read, whatever the name says (and nothing waits for them).
    UnwrittenFifo fifo(folder / "fifo.mp3");
    const std::string zero = folder / "zero.ogg";
    ASSERT_EQ(0, symlink("/dev/zero", zero.c_str()));
    const auto start = std::chrono::steady_clock::now();
    for (const std::string& path : {fifo.Path(), zero, folder.Path()}) {
        EXPECT_FALSE(StreamDecoder::Open(path, false, error)) << path;
        EXPECT_EQ(FMOD_ERR_FILE_NOTFOUND, error);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, fifo.Patience());

    // Cut files play what is there and then end.
    for (const auto& [name, bytes] : {std::pair{"cut.mp3", mp3.substr(0, mp3.size() / 2 + 77)},
                                      std::pair{"cut.ogg", ogg.substr(0, ogg.size() / 2 + 77)},
                                      std::pair{"cut.wav", wav.substr(0, wav.size() / 2 + 1)}}) {
        SCOPED_TRACE(name);
        for (const bool exact : {false, true}) {
            auto decoder = OpenOk(folder.Write(name, bytes), exact);
            ASSERT_TRUE(decoder);
            const size_t samples = ReadAll(*decoder).size();
            EXPECT_GT(samples, 0u);
            EXPECT_LT(samples / decoder->Channels(), 44100u * 13 / 10);
        }
    }

    // Noise behind an MP3 name: mpg123 may lock onto a false frame sync; either way it ends.
    error = 0;
    auto decoder = StreamDecoder::Open(folder.Write("noise.mp3", noise), true, error);
    if (decoder)
        EXPECT_LT(ReadAll(*decoder).size(), 10000000u);
    else
        EXPECT_EQ(FMOD_ERR_FILE_FORMAT, error);
}
