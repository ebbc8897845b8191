#include "lyrics/LyricsChecksum.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <string>

namespace {

const std::string kFixtures = SONVALE_FIXTURES;

// MPEG-1 layer III, 128 kbit/s, 44100 Hz, stereo, no padding: 417-byte frames.
const std::string kHeader("\xFF\xFB\x90\x00", 4);
constexpr size_t kFrame = 417;

// `count` frames whose payload bytes never form a frame sync.
std::string Frames(size_t count, char fill) {
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        std::string frame = kHeader;
        for (size_t k = 4; k < kFrame; ++k)
            frame.push_back(static_cast<char>((fill + i * 7 + k) % 0xF0));
        bytes += frame;
    }
    return bytes;
}

std::string Md5Hex(const std::string& bytes) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

// What the digest covers: `span` bytes from `start`, zeros past the end of the data.
std::string Span(const std::string& file, size_t start) {
    std::string bytes = file.substr(start, LyricsChecksum::kSpan);
    bytes.resize(LyricsChecksum::kSpan, '\0');
    return bytes;
}

} // namespace

// The expected digests were made once with coreutils from the fixture bytes, starting at the
// second frame (the first frame is the encoder's Info frame) and padded with zeros:
//   { tail -c +418 mpeg1-l3-cbr-info.mp3; head -c $((163840 - (22986 - 417))) /dev/zero; } | md5sum
//   { tail -c +2155 mpeg1-l3-id3v2.mp3; head -c $((163840 - (24851 - 2154))) /dev/zero; } | md5sum
// In the second file a 1737-byte ID3v2 tag comes first; the frames sit at 1737 and 2154.
TEST(LyricsChecksumTest, FixtureDigestsMatchTheCoreutilsValues) {
    std::string checksum;
    EXPECT_EQ(LyricsChecksum::FindStart(kFixtures + "/mpeg1-l3-cbr-info.mp3"), 417);
    ASSERT_TRUE(LyricsChecksum::Compute(kFixtures + "/mpeg1-l3-cbr-info.mp3", checksum));
    EXPECT_EQ(checksum, "73ae5a263c8cf91f2f91572874f332cf");

    EXPECT_EQ(LyricsChecksum::FindStart(kFixtures + "/mpeg1-l3-id3v2.mp3"), 2154);
    ASSERT_TRUE(LyricsChecksum::Compute(kFixtures + "/mpeg1-l3-id3v2.mp3", checksum));
    EXPECT_EQ(checksum, "81ce850961108e8a2e78a8262acb56ee");
}

TEST(LyricsChecksumTest, FalseSyncsAreSkippedAndTheSpanIsFixed) {
    TempFolder folder;
    // Junk with a lone header whose "next frame" is not one, across a 512-byte window border.
    std::string junk(700, '\x11');
    junk.replace(509, 4, kHeader);
    const std::string frames = Frames(400, 3);
    const std::string file = junk + frames;
    const std::string path = folder.Write("long.mp3", file);

    EXPECT_EQ(LyricsChecksum::FindStart(path), static_cast<int64_t>(700 + kFrame));
    std::string checksum;
    ASSERT_TRUE(LyricsChecksum::Compute(path, checksum));
    EXPECT_EQ(checksum, Md5Hex(Span(file, 700 + kFrame)));
    ASSERT_GT(file.size(), 700 + kFrame + LyricsChecksum::kSpan);

    // A change past the span leaves the digest; one inside it changes it.
    std::string changed = file;
    changed[700 + kFrame + LyricsChecksum::kSpan] ^= 1;
    std::string other;
    ASSERT_TRUE(LyricsChecksum::Compute(folder.Write("long.mp3", changed), other));
    EXPECT_EQ(other, checksum);
    changed[700 + kFrame + LyricsChecksum::kSpan - 1] ^= 1;
    ASSERT_TRUE(LyricsChecksum::Compute(folder.Write("long.mp3", changed), other));
    EXPECT_NE(other, checksum);
}

TEST(LyricsChecksumTest, ShortFilesArePaddedWithZeros) {
    TempFolder folder;
    const std::string file = Frames(3, 9);
    std::string checksum;
    ASSERT_TRUE(LyricsChecksum::Compute(folder.Write("short.mp3", file), checksum));
    EXPECT_EQ(checksum, Md5Hex(Span(file, kFrame)));
    EXPECT_EQ(checksum.size(), 32u);
}

TEST(LyricsChecksumTest, FilesWithoutFramesFail) {
    TempFolder folder;
    std::string checksum = "stale";
    EXPECT_FALSE(LyricsChecksum::Compute(folder / "missing.mp3", checksum));
    EXPECT_TRUE(checksum.empty());
    EXPECT_FALSE(LyricsChecksum::Compute(folder.Write("empty.mp3", ""), checksum));
    EXPECT_FALSE(
        LyricsChecksum::Compute(folder.Write("text.mp3", std::string(5000, 'a')), checksum));
    // One frame only: there is no second frame to confirm it.
    EXPECT_FALSE(LyricsChecksum::Compute(folder.Write("one.mp3", Frames(1, 1)), checksum));
    EXPECT_FALSE(LyricsChecksum::Compute(folder.Path(), checksum));
    EXPECT_FALSE(LyricsChecksum::Compute(kFixtures + "/vorbis-44100.ogg", checksum));
}
