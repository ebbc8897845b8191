#include "DecoderTestFiles.h"

#include "engine/core/FileReader.h"
#include "engine/decoders/WavReader.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

struct Decoded {
    bool opened = false;
    int channels = 0, rate = 0, bits = 0;
    int64_t total = 0;
    std::string bytes;
};

// Opens the file and decodes it to the end in rounds of `space` bytes; every round must hand
// out whole sample frames.
Decoded DecodeFile(const std::string& path, size_t space = 8192) {
    Decoded out;
    FileReader file;
    WavReader wav;
    if (!file.Open(std::filesystem::path(path).u16string()) || !wav.Open(file))
        return out;
    out = {true, wav.Channels(), wav.Rate(), wav.Bits(), wav.TotalSamples(), {}};
    std::vector<uint8_t> block(space);
    for (long got; (got = wav.Decode(file, block.data(), space)) > 0;) {
        EXPECT_EQ(0, got % wav.OutputFormat().blockAlign);
        out.bytes.append(reinterpret_cast<const char*>(block.data()), static_cast<size_t>(got));
    }
    return out;
}

Pcm ToPcm(const Decoded& decoded) {
    Pcm pcm;
    pcm.channels = decoded.channels;
    pcm.samples.resize(decoded.bytes.size() / 2);
    std::memcpy(pcm.samples.data(), decoded.bytes.data(), pcm.samples.size() * 2);
    return pcm;
}

std::string Le(uint32_t value, int bytes) {
    std::string le(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        le[i] = static_cast<char>(value >> (8 * i));
    return le;
}

std::string Le32(uint32_t value) {
    return Le(value, 4);
}

std::string Chunk(const std::string& id, const std::string& body) {
    return id + Le32(static_cast<uint32_t>(body.size())) + body + std::string(body.size() & 1, 0);
}

// A format chunk at 22050 Hz.
std::string Format(uint16_t tag, int channels, int bits, int align, const std::string& extra = "") {
    return Chunk("fmt ", Le(tag, 2) + Le(channels, 2) + Le32(22050) + Le32(22050 * align) +
                             Le(align, 2) + Le(bits, 2) + Le(extra.size(), 2) + extra);
}

std::string Riff(const std::string& chunks) {
    return "RIFF" + Le32(static_cast<uint32_t>(chunks.size() + 4)) + "WAVE" + chunks;
}

// The body of a fixture's format chunk, and its sample data.
struct Pieces {
    std::string format, data;
};

Pieces Split(const std::string& bytes) {
    Pieces pieces;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        uint32_t size;
        std::memcpy(&size, bytes.data() + at + 4, 4);
        if (bytes.compare(at, 4, "fmt ") == 0)
            pieces.format = bytes.substr(at + 8, size);
        else if (bytes.compare(at, 4, "data") == 0)
            pieces.data = bytes.substr(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return pieces;
}

bool Probe(const std::string& path) {
    FileReader file;
    return file.Open(std::filesystem::path(path).u16string()) && WavReader::Probe(file);
}

} // namespace

TEST(WavReader, OpensEveryFormatAndDecodesItLikeAnotherDecoder) {
    struct Case {
        const char* name;
        int channels, rate, bits;
        int64_t total;  // from the data size or the "fact" chunk
        int64_t frames; // decoded: whole blocks
        double snr;     // against the reference decode, if there is one
    };
    // sox's ADPCM decoders round their predictions a little differently; G.711 and GSM agree to
    // the bit; MPEG audio is compared with a floating-point decoder.
    const Case cases[] = {
        {"wav-pcm8-mono", 1, 22050, 8, 11025, 11025, 0},
        {"wav-pcm16-stereo", 2, 22050, 16, 11025, 11025, 0},
        {"wav-pcm24-mono", 1, 22050, 16, 11025, 11025, 0},
        {"wav-pcm24-extensible", 1, 22050, 16, 11025, 11025, 0},
        {"wav-float32-mono", 1, 22050, 16, 11025, 11025, 0},
        {"wav-msadpcm-stereo", 2, 22050, 16, 11025, 11 * 1012, 45},
        {"wav-imaadpcm-mono", 1, 22050, 16, 11025, 22 * 505, 45},
        {"wav-alaw-8000", 1, 8000, 16, 4000, 4000, 90},
        {"wav-mulaw-8000", 1, 8000, 16, 4000, 4000, 90},
        {"wav-gsm-8000", 1, 8000, 16, 4000, 13 * 320, 90},
        {"wav-mp3-mono", 1, 22050, 16, 12130, 12672, 60},
        {"wav-mp2-mono", 1, 24000, 16, 12672, 12672, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Fixture(std::string(c.name) + ".wav");
        EXPECT_TRUE(Probe(path));
        const Decoded decoded = DecodeFile(path);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(c.channels, decoded.channels);
        EXPECT_EQ(c.rate, decoded.rate);
        EXPECT_EQ(c.bits, decoded.bits);
        EXPECT_EQ(c.total, decoded.total);
        EXPECT_EQ(c.frames * c.channels * c.bits / 8, int64_t(decoded.bytes.size()));
        if (c.snr > 0) {
            const Pcm want = ReadWav(Fixture(std::string(c.name) + ".ref.wav"));
            EXPECT_EQ(want.Frames(), ToPcm(decoded).Frames());
            EXPECT_GT(SnrDb(ToPcm(decoded), want), c.snr);
        }
    }
    // 8- and 16-bit PCM is the file's data; wider PCM and floats become the same 16 bits.
    EXPECT_EQ(Split(ReadBytes(Fixture("wav-pcm16-stereo.wav"))).data,
              DecodeFile(Fixture("wav-pcm16-stereo.wav")).bytes);
    const std::string wide = DecodeFile(Fixture("wav-pcm24-mono.wav")).bytes;
    EXPECT_EQ(wide, DecodeFile(Fixture("wav-pcm24-extensible.wav")).bytes);
    EXPECT_GT(
        SnrDb(ToPcm(DecodeFile(Fixture("wav-float32-mono.wav"))), ToPcm({true, 1, 0, 0, 0, wide})),
        90);
}

TEST(WavReader, GivesTheSameSamplesInRoundsOfAnySize) {
    for (const char* name :
         {"wav-pcm16-stereo", "wav-msadpcm-stereo", "wav-gsm-8000", "wav-mp3-mono"}) {
        SCOPED_TRACE(name);
        const std::string path = Fixture(std::string(name) + ".wav");
        const std::string whole = DecodeFile(path, 65536).bytes;
        for (size_t space : {4095, 100, 4})
            EXPECT_EQ(whole, DecodeFile(path, space).bytes);
    }
    // A round that cannot hold one sample frame is refused rather than split.
    FileReader file;
    WavReader wav;
    ASSERT_TRUE(file.Open(Fixture16("wav-pcm16-stereo.wav")) && wav.Open(file));
    uint8_t small[4];
    EXPECT_EQ(-1, wav.Decode(file, small, 3));
}

TEST(WavReader, FindsTheDataBehindOtherChunksAndPadding) {
    const Pieces pcm = Split(ReadBytes(Fixture("wav-pcm16-stereo.wav")));
    const std::string format = Chunk("fmt ", pcm.format), data = Chunk("data", pcm.data);
    std::string oddBlocks = pcm.format;
    oddBlocks[12] = 3; // PCM still goes out in sample frames
    const std::pair<std::string, bool> layouts[] = {
        // the file, and whether the probe takes it
        {Riff(format + Chunk("LIST", "INFOISFTx") + std::string(5, '\0') + data), true},
        {Riff(Chunk("junk", std::string(28, 'x')) + format + data), false},
        {Riff(Chunk("bext", "abc") + format + data), false},
        {Riff(format + Chunk("data", "") + data), true},
        {Riff(format + Chunk("LIST", "INFOICMTthe data") + data), true},
        {Riff(format + Chunk("LIST", "INFO") + Chunk("fact", Le32(11025)) + data), true},
        {Riff(Chunk("fmt ", oddBlocks) + data), true},
    };
    TempFolder folder;
    for (size_t i = 0; i < std::size(layouts); ++i) {
        SCOPED_TRACE(i);
        const auto& [bytes, probe] = layouts[i];
        const std::string path = folder.Write("layout.wav", bytes);
        EXPECT_EQ(probe, Probe(path));
        const Decoded decoded = DecodeFile(path, 4095);
        ASSERT_TRUE(decoded.opened);
        EXPECT_EQ(11025, decoded.total);
        EXPECT_EQ(pcm.data, decoded.bytes);
    }
    // A data size beyond the end of the file: the whole sample frames that are there play.
    const std::string cut = pcm.data.substr(0, 1003);
    const Decoded decoded =
        DecodeFile(folder.Write("short.wav", Riff(format + "data" + Le32(1000000) + cut)));
    EXPECT_EQ(250, decoded.total);
    EXPECT_EQ(cut.substr(0, 1000), decoded.bytes);
    EXPECT_FALSE(DecodeFile(folder.Write("none.wav", Riff(format + Chunk("data", "")))).opened);
}

TEST(WavReader, LengthWithoutAFactChunkAndFormatsThatCannotBecomePcm) {
    TempFolder folder;
    // Whole blocks when blocks have a known length; for MPEG whole seconds of the byte rate.
    const Pieces adpcm = Split(ReadBytes(Fixture("wav-msadpcm-stereo.wav")));
    EXPECT_EQ(int64_t(adpcm.data.size() / 1024 * 1012),
              DecodeFile(folder.Write("a.wav", Riff(Chunk("fmt ", adpcm.format) +
                                                    Chunk("data", adpcm.data))))
                  .total);
    const Pieces mp3 = Split(ReadBytes(Fixture("wav-mp3-mono.wav")));
    const Decoded seconds = DecodeFile(
        folder.Write("m.wav", Riff(Chunk("fmt ", mp3.format) + Chunk("data", mp3.data))));
    EXPECT_EQ(0, seconds.total); // 2299 bytes at 4000 bytes per second
    EXPECT_EQ(DecodeFile(Fixture("wav-mp3-mono.wav")).bytes, seconds.bytes);

    const std::string data = Chunk("data", std::string(4000, '\x11'));
    const std::string refused[] = {
        Format(0x1234, 2, 16, 4),                     // unknown
        Format(0x0161, 2, 16, 4, std::string(10, 0)), // not one of the conversions
        Format(1, 1, 12, 2),                          // 12-bit PCM
        Format(1, 0, 16, 2),                          // no channels
        Format(2, 1, 4, 0),                           // ADPCM without blocks
        Chunk("fmt ", std::string(14, 1)),            // too short for a format
    };
    for (const std::string& format : refused) {
        const std::string path = folder.Write("refused.wav", Riff(format + data));
        EXPECT_FALSE(Probe(path));
        EXPECT_FALSE(DecodeFile(path).opened);
    }
    // The probe asks only the compression manager; the open also limits the block size.
    const std::string wide =
        folder.Write("wide.wav", Riff(Format(0x11, 1, 4, 8192, Le(16377, 2)) + data));
    EXPECT_TRUE(Probe(wide));
    EXPECT_FALSE(DecodeFile(wide).opened);
    EXPECT_FALSE(Probe(Fixture("mpeg1-l3-cbr-plain.mp3")));
    EXPECT_FALSE(DecodeFile(Fixture("mpeg1-l3-cbr-plain.mp3")).opened);
}

TEST(WavReader, SeeksToWholeBlocksAndDropsWhatWasInFlight) {
    FileReader file;
    WavReader wav;
    std::vector<uint8_t> block(1234); // leaves converted PCM behind in every round
    int64_t sample = -1;
    const auto rest = [&] {
        std::string bytes;
        for (long got; (got = wav.Decode(file, block.data(), block.size())) > 0;)
            bytes.append(reinterpret_cast<const char*>(block.data()), got);
        return bytes;
    };

    const std::string adpcm = Fixture("wav-msadpcm-stereo.wav");
    ASSERT_TRUE(file.Open(std::filesystem::path(adpcm).u16string()) && wav.Open(file));
    ASSERT_GT(wav.Decode(file, block.data(), block.size()), 0);
    ASSERT_TRUE(wav.Seek(file, 250, sample));
    EXPECT_EQ(5512, sample);
    // 22311 bytes per second: 5577 bytes, down to the fifth 1024-byte block.
    EXPECT_EQ(5 * 1024, file.Tell() - wav.DataStart());
    EXPECT_EQ(DecodeFile(adpcm).bytes.substr(5 * 1012 * 4), rest());

    for (const char* name : {"wav-mp3-mono", "wav-mp2-mono", "wav-gsm-8000"}) {
        SCOPED_TRACE(name);
        const std::string path = Fixture(std::string(name) + ".wav");
        ASSERT_TRUE(file.Open(std::filesystem::path(path).u16string()) && wav.Open(file));
        ASSERT_TRUE(wav.Seek(file, 200, sample));
        ASSERT_GT(wav.Decode(file, block.data(), block.size()), 0);
        ASSERT_TRUE(wav.Seek(file, 0, sample));
        EXPECT_EQ(DecodeFile(path).bytes, rest());
    }

    // PCM seeks to the sample itself.
    ASSERT_TRUE(file.Open(Fixture16("wav-pcm16-stereo.wav")) && wav.Open(file));
    ASSERT_TRUE(wav.Seek(file, 100, sample));
    EXPECT_EQ(2205, sample);
    EXPECT_EQ(2205 * 4, file.Tell() - wav.DataStart());
}

TEST(WavReader, DamagedAndTruncatedFilesEndWithoutHarm) {
    TempFolder folder;
    std::mt19937 random(7);
    for (const char* name :
         {"wav-pcm16-stereo", "wav-msadpcm-stereo", "wav-imaadpcm-mono", "wav-gsm-8000",
          "wav-mp3-mono", "wav-mp2-mono", "wav-pcm24-extensible", "wav-float32-mono"}) {
        SCOPED_TRACE(name);
        const std::string bytes = ReadBytes(Fixture(std::string(name) + ".wav"));
        for (size_t cut = 0; cut < bytes.size(); cut += cut < 120 ? 3 : 997)
            DecodeFile(folder.Write("cut.wav", bytes.substr(0, cut)));
        for (int round = 0; round < 40; ++round) {
            std::string damaged = bytes;
            for (int flips = 0; flips < 4; ++flips) // in the header, or anywhere
                damaged[random() % (round % 2 ? 96 : damaged.size())] = static_cast<char>(random());
            const std::string path = folder.Write("damaged.wav", damaged);
            Probe(path);
            EXPECT_LT(DecodeFile(path, 1000).bytes.size(), 1u << 20);
        }
    }
}

TEST(WavReader, DamagedMpegAudioFromTheFuzzCorpusDecodes) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(SONVALE_WAV_CORPUS)) {
        SCOPED_TRACE(entry.path().filename().string());
        ++files;
        for (const size_t space : {8192u, 4095u, 333u}) {
            const Decoded decoded = DecodeFile(entry.path().string(), space);
            EXPECT_TRUE(decoded.opened);
            EXPECT_EQ(1, decoded.channels);
            EXPECT_LT(decoded.bytes.size(), 1u << 20);
        }
    }
    EXPECT_GE(files, 8);
}
