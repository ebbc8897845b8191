#include "DecoderTestFiles.h"

#include "engine/core/FileReader.h"
#include "engine/decoders/MpegFile.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace std::string_literals;

namespace {

constexpr uint32_t k128 = 0xFFFB9000;     // MPEG-1 layer III 44100 Hz stereo, 417 bytes
constexpr uint32_t k320 = 0xFFFBE000;     // 320 kbit/s, 1044 bytes
constexpr uint32_t k128Mono = 0xFFFB90C0; // side information of 17 bytes

std::string Be32(uint32_t value) {
    return {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

// `count` frames with a zero payload; the first one carries `tag` 32 bytes after its header.
std::string Frames(uint32_t header, int count, const std::string& tag = "") {
    MpegHeaderInfo info;
    MpegHeader::Parse(header, info);
    std::string frame = Be32(header) + std::string(info.frameLength - 4, '\0'), frames;
    for (int i = 0; i < count; ++i)
        frames += i == 0 ? std::string(frame).replace(36, tag.size(), tag) : frame;
    return frames;
}

struct Opened {
    FileReader file;
    MpegFile mpeg;
    bool ok;
    Opened(const std::string& path, bool scan)
        : ok(file.Open(std::filesystem::path(path).u16string()) && mpeg.Open(file, scan)) {}
};

} // namespace

TEST(MpegFile, Probe) {
    TempFolder folder;
    const auto probe = [&](const std::string& bytes) {
        FileReader file;
        return file.Open(std::filesystem::path(folder.Write("probe", bytes)).u16string()) &&
               MpegFile::Probe(file);
    };
    const std::string wave = "RIFF\0\0\0\0WAVEfmt \x1e\0\0\0"s;
    EXPECT_TRUE(probe("ID3\3\0\0\0\0\0\0"s));
    EXPECT_TRUE(probe("RIFF\0\0\0\0RMP3data"s));
    EXPECT_TRUE(probe(wave + "\x55\0\2\0"s));
    EXPECT_TRUE(probe(wave + "\x50\0\2\0"s));
    EXPECT_FALSE(probe(wave + "\1\0\2\0"s));
    EXPECT_FALSE(probe("RIFF\0\0\0\0AVI LIST"s));
    EXPECT_FALSE(probe("ID"));
    EXPECT_TRUE(probe("junk" + Frames(k128, 2) + "tail"));
    EXPECT_FALSE(probe(Frames(k128, 1) + std::string(100, '\0')));
    EXPECT_FALSE(probe(Frames(k128, 1) + Frames(0xFFFB9400, 1))); // 44100 then 48000 Hz

    FileReader file;
    ASSERT_TRUE(file.Open(Fixture16("mpeg2-l2-24000.mp2")) && file.Seek(100));
    EXPECT_TRUE(MpegFile::Probe(file));
    EXPECT_EQ(100, file.Tell());
    ASSERT_TRUE(file.Open(Fixture16("vorbis-44100.ogg")));
    EXPECT_FALSE(MpegFile::Probe(file));
}

TEST(MpegFile, LengthOfTheFixtures) {
    // "Info" is not a frame count: the first frame gives the length.
    Opened cbr(Fixture("mpeg1-l3-cbr-info.mp3"), false);
    ASSERT_TRUE(cbr.ok);
    EXPECT_EQ(55 * 1152, cbr.mpeg.TotalSamples());
    EXPECT_EQ(128, cbr.mpeg.Header().bitrate);

    // The Xing count holds although the bitrate varies; whole seconds (1) give the bitrate.
    Opened vbr(Fixture("mpeg1-l3-vbr-xing.mp3"), false);
    ASSERT_TRUE(vbr.ok);
    EXPECT_EQ(54 * 1152, vbr.mpeg.TotalSamples());
    EXPECT_EQ((23411 * 8 + 500) / 1000, vbr.mpeg.Header().bitrate);
    EXPECT_EQ(23411 / 54, vbr.mpeg.BytesPerFrame());
    // The scan counts the Xing frame too, and averages the frames' bitrates.
    Opened scanned(Fixture("mpeg1-l3-vbr-xing.mp3"), true);
    ASSERT_TRUE(scanned.ok);
    EXPECT_EQ(55 * 1152, scanned.mpeg.TotalSamples());
    EXPECT_GT(scanned.mpeg.Header().bitrate, 128);

    // The ID3v2 tag, with a frame sync lookalike in its text, is passed over.
    const std::string id3 = ReadBytes(Fixture("mpeg1-l3-id3v2.mp3"));
    const int64_t tagSize = 10 + (id3[6] << 21 | id3[7] << 14 | id3[8] << 7 | id3[9]);
    Opened tagged(Fixture("mpeg1-l3-id3v2.mp3"), true);
    ASSERT_TRUE(tagged.ok);
    EXPECT_EQ(tagSize, tagged.mpeg.FirstFrameOffset());
    EXPECT_EQ(tagSize, tagged.file.Tell());
    EXPECT_EQ(54 * 1152, tagged.mpeg.TotalSamples()); // the frame before the ID3v1 tag is dropped

    Opened mono(Fixture("mpeg2-l3-22050-mono.mp3"), true);
    ASSERT_TRUE(mono.ok);
    EXPECT_EQ(87 * 576, mono.mpeg.TotalSamples());
    EXPECT_EQ(64, mono.mpeg.Header().bitrate);
}

TEST(MpegFile, VbrHeaders) {
    TempFolder folder;
    const auto samples = [&](const std::string& bytes) {
        Opened opened(folder.Write("vbr.mp3", bytes), false);
        EXPECT_TRUE(opened.ok);
        return std::make_pair(opened.mpeg.TotalSamples(), opened.mpeg.Header().bitrate);
    };
    // VBRI: 100 frames over the bytes of 10; found in a mono frame as well.
    const std::string vbri = "VBRI\0\1\0\0\0\x50"s + Be32(12345) + Be32(100);
    EXPECT_EQ(std::make_pair(int64_t{115200}, (4170 * 8 / 2 + 500) / 1000),
              samples(Frames(k128, 10, vbri)));
    EXPECT_EQ(115200, samples(Frames(k128Mono, 10, vbri)).first);
    // Under one second (522 ms), the bitrate comes from the milliseconds.
    EXPECT_EQ(std::make_pair(int64_t{20 * 1152}, (20 * 417 * 8 + 261) / 522),
              samples(Frames(k128, 20, "Xing" + Be32(1) + Be32(20))));
    // No frame-count flag, or an impossible count: the first frame decides.
    EXPECT_EQ(11520, samples(Frames(k128, 10, "Xing" + Be32(2) + Be32(65536))).first);
    EXPECT_EQ(11520, samples(Frames(k128, 10, "Xing" + Be32(1) + Be32(0xFFFFFFFF))).first);
}

TEST(MpegFile, ScanCountsFramesOfVaryingLength) {
    TempFolder folder;
    const std::string mixed = Frames(k128, 20) + Frames(k320, 20);
    Opened estimate(folder.Write("mixed.mp3", mixed), false);
    EXPECT_EQ(int64_t(mixed.size() / 417) * 1152, estimate.mpeg.TotalSamples());
    Opened scan(folder.Write("mixed.mp3", mixed), true);
    EXPECT_EQ(40 * 1152, scan.mpeg.TotalSamples());
    EXPECT_EQ(224, scan.mpeg.Header().bitrate);
    EXPECT_EQ(int64_t(mixed.size() / 40), scan.mpeg.BytesPerFrame());

    // The frame before garbage is taken for a false one; the walk finds the rest.
    const std::string broken = Frames(k128, 10) + std::string(50, '\x11') + mixed;
    EXPECT_EQ(49 * 1152, Opened(folder.Write("broken.mp3", broken), true).mpeg.TotalSamples());
    const std::string noSync(20000, '\x7F');
    EXPECT_FALSE(Opened(folder.Write("none.mp3", noSync), false).ok);
    EXPECT_FALSE(Opened(folder.Write("none.mp3", noSync), true).ok);
}

TEST(MpegFile, SeeksBothWaysAndFailsPastTheEnd) {
    const std::string path = Fixture("mpeg1-l3-cbr-plain.mp3");
    std::vector<int64_t> offsets; // of the 54 frames
    const std::string bytes = ReadBytes(path);
    MpegHeaderInfo info;
    for (size_t at = 0;
         at < bytes.size() &&
         MpegHeader::Parse(MpegHeader::Read(reinterpret_cast<const uint8_t*>(&bytes[at])), info);
         at += info.frameLength)
        offsets.push_back(int64_t(at));
    ASSERT_EQ(54u, offsets.size());

    for (const bool scan : {false, true}) {
        SCOPED_TRACE(scan);
        Opened opened(path, scan);
        int64_t target = 0;
        const auto seek = [&](int64_t ms) {
            return opened.mpeg.Seek(opened.file, ms, scan, target);
        };
        ASSERT_TRUE(seek(1000));
        EXPECT_EQ(44100, target);
        EXPECT_EQ(offsets[38], opened.file.Tell());
        ASSERT_TRUE(seek(200));
        EXPECT_EQ(offsets[7], opened.file.Tell());
        ASSERT_TRUE(seek(1400));
        EXPECT_EQ(offsets[53], opened.file.Tell());

        ASSERT_TRUE(opened.file.Seek(1234));
        EXPECT_FALSE(seek(1420));
        EXPECT_EQ(1234, opened.file.Tell());
    }
    // After a leading tag, a seek to 0 lands on the first frame.
    Opened tagged(Fixture("mpeg1-l3-id3v2.mp3"), false);
    int64_t target = 0;
    ASSERT_TRUE(tagged.mpeg.Seek(tagged.file, 0, false, target));
    EXPECT_EQ(tagged.mpeg.FirstFrameOffset(), tagged.file.Tell());
}
