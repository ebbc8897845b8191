// The run-time library as the tag source of the playlist and the lyrics, against the real
// library and fixtures tagged by other tools.
#include "playback/FmodTagSource.h"

#include "lyrics/LyricsData.h"
#include "playback/FmodLibrary.h"
#include "playlist/EntryTags.h"

#include <gtest/gtest.h>

#include <string>

#ifdef FMODCE_PATH
namespace {

std::string Fixture(const std::string& name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

class FmodTagSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(library.LoadFrom(FMODCE_PATH), FmodLibrary::Result::Ok);
        fs = &library.Functions();
        fs->SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(fs->Init(44100, 16, 8));
    }
    void TearDown() override {
        fs->Close();
        library.Unload();
    }
    FmodLibrary library;
    const FmodFunctions* fs = nullptr;
};

TEST_F(FmodTagSourceTest, ReadsFramesOfAFileOpenedForItsTags) {
    FmodTagSource source(fs);
    ASSERT_TRUE(source.Available());
    ASSERT_TRUE(source.Open(Fixture("tag-id3v23.mp3")));
    std::string bytes;
    ASSERT_TRUE(source.FindField("TPE1", bytes));
    EXPECT_EQ(bytes, std::string("\0Fixture Artist", 15));
    EXPECT_EQ(EntryTags::FrameText("TPE1", bytes), u"Fixture Artist");
    EXPECT_FALSE(source.FindField("SYLT", bytes));
    source.Close();
    EXPECT_FALSE(source.FindField("TPE1", bytes));
    EXPECT_FALSE(source.Open(Fixture("missing.mp3")));

    FmodTagSource none(nullptr);
    EXPECT_FALSE(none.Available());
    EXPECT_FALSE(none.Open(Fixture("tag-id3v23.mp3")));
}

TEST_F(FmodTagSourceTest, LyricsFromTheTagsOfTheOpenTrack) {
    FSOUND_STREAM* stream =
        fs->Stream_Open(Fixture("tag-lyrics-id3v23.mp3").c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    LyricsData lyrics;
    std::u16string text = TagLyrics::Read(FmodTagSource::Finder(*fs, stream), "SYLT", lyrics);
    EXPECT_EQ(text, u"First line\r\nSecond line\r\nThird line\r\n");
    ASSERT_EQ(lyrics.times.size(), 3u);
    fs->Stream_Close(stream);

    stream = fs->Stream_Open(Fixture("tag-synclyric.ogg").c_str(), 0x80151, 0, 0);
    ASSERT_NE(stream, nullptr);
    LyricsData ogg;
    text = TagLyrics::Read(FmodTagSource::Finder(*fs, stream), "JETAUDIO_SYNCLYRIC", ogg);
    EXPECT_EQ(text, u"First line\r\nSecond line\r\n");
    EXPECT_TRUE(TagLyrics::Read(FmodTagSource::Finder(*fs, stream), "SYLT", ogg).empty());
    fs->Stream_Close(stream);
}

} // namespace
#endif
