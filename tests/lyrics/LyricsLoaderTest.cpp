#include "lyrics/LyricsLoader.h"

#include "lyrics/LyricsData.h"
#include "runtime/TagFields.h"
#include "runtime/fsound.h"
#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"

#include <algorithm>
#include <chrono>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using Source = LyricsLoader::Source;
using Opened = LyricsLoader::Opened;

// A finder over the tag fields of a file, as the view wires it to the open stream; it records
// the names asked for.
struct FileFinder {
    TagFields tags;
    std::vector<std::string> asked;

    explicit FileFinder(const std::string& path) { tags.Load(path); }

    TagLyrics::TagFieldFinder Get() {
        return [this](const char* name, const uint8_t*& data, int& length) {
            asked.emplace_back(name);
            const TagFields::Field* field = tags.Find(FSOUND_TAGFIELD_ID3V2, name);
            if (field == nullptr)
                return false;
            data = field->value.data();
            length = static_cast<int>(field->value.size());
            return true;
        };
    }
};

std::string Fixture(const char* name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

std::string CopyFixture(const TempFolder& folder, const char* name) {
    const std::string to = folder.File(name);
    std::filesystem::copy_file(Fixture(name), to);
    return to;
}

std::u16string U16(const std::string& path) {
    return std::filesystem::path(path).u16string();
}

} // namespace

TEST(LyricsLoader, LrcFileComesFirstThenTheTagsThenTheTextFile) {
    TempFolder folder;
    const std::string mp3 = CopyFixture(folder, "tag-lyrics-id3v23.mp3");
    FileFinder finder(mp3);
    LyricsData data;
    LrcFile::EntryText entry{u"Title", u"Artist", u"Album"};

    folder.Write("tag-lyrics-id3v23.lrc", "[ar:Lrc Artist]\n[00:09.00]later\n[00:03.00]from lrc\n");
    folder.Write("tag-lyrics-id3v23.txt", "plain text\n");
    EXPECT_EQ(Source::LrcFile, LyricsLoader::Load(U16(mp3), u".mp3", Opened::Stream, true,
                                                  finder.Get(), data, entry));
    EXPECT_EQ(u"later\r\nfrom lrc\r\n", data.lyrics);
    EXPECT_EQ((std::vector<int>{6, 18}), data.times); // sorted
    EXPECT_EQ(u"Lrc Artist", entry.artist);
    EXPECT_TRUE(finder.asked.empty());

    std::filesystem::remove(folder.File("tag-lyrics-id3v23.lrc"));
    EXPECT_EQ(Source::Sylt, LyricsLoader::Load(U16(mp3), u"MP3", Opened::Stream, true, finder.Get(),
                                               data, entry));
    EXPECT_EQ(u"First line\r\nSecond line\r\nThird line\r\n", data.lyrics);
    EXPECT_EQ((std::vector<int>{2, 5, 8}), data.times);

    // Played by the media player control the tags are not read.
    finder.asked.clear();
    EXPECT_EQ(Source::TextFile, LyricsLoader::Load(U16(mp3), u".mp3", Opened::MediaPlayer, true,
                                                   finder.Get(), data, entry));
    EXPECT_EQ(u"plain text\r\n", data.lyrics);
    EXPECT_TRUE(data.times.empty());
    EXPECT_TRUE(finder.asked.empty());

    // A track open neither way has no lyrics, and what was loaded before is gone.
    EXPECT_EQ(Source::None,
              LyricsLoader::Load(U16(mp3), u".mp3", Opened::None, true, finder.Get(), data, entry));
    EXPECT_TRUE(data.lyrics.empty());
}

TEST(LyricsLoader, LdbSourcesOnlyWithTheSetting) {
    TempFolder folder;
    // A USLT lyrics block, and no SYLT.
    const std::string record("\x08\x00\xA1\x74\x04\x05"
                             "Block",
                             11);
    std::vector<uint8_t> block(70, 0);
    block.resize(70 + record.size());
    std::copy(record.begin(), record.end(), block.begin() + 70);
    std::vector<std::string> asked;
    auto finder = [&](const char* name, const uint8_t*& data, int& length) {
        asked.emplace_back(name);
        if (std::string(name) != "USLT")
            return false;
        data = block.data();
        length = static_cast<int>(block.size());
        return true;
    };
    LyricsData data;
    LrcFile::EntryText entry;
    const std::u16string track = folder.File16("song.mp3");
    EXPECT_EQ(Source::None,
              LyricsLoader::Load(track, u".mp3", Opened::Stream, false, finder, data, entry));
    EXPECT_EQ((std::vector<std::string>{"SYLT"}), asked);

    asked.clear();
    EXPECT_EQ(Source::Uslt,
              LyricsLoader::Load(track, u".mp3", Opened::Stream, true, finder, data, entry));
    EXPECT_EQ((std::vector<std::string>{"SYLT", "WSLT", "USLT"}), asked);
    EXPECT_EQ(u"Block", data.textByTime.at(10));

    // Ogg names, and no tags at all for other extensions.
    asked.clear();
    LyricsLoader::Load(folder.File16("song.ogg"), u".ogg", Opened::Stream, true, finder, data,
                       entry);
    EXPECT_EQ((std::vector<std::string>{"JETAUDIO_SYNCLYRIC", "WLDB", "LDB"}), asked);
    asked.clear();
    LyricsLoader::Load(folder.File16("song.wav"), u".wav", Opened::Stream, true, finder, data,
                       entry);
    EXPECT_TRUE(asked.empty());
}

TEST(LyricsLoader, OggSynclyricFromARealFile) {
    FileFinder finder(Fixture("tag-synclyric.ogg"));
    LyricsData data;
    LrcFile::EntryText entry;
    // The fixture's "LDB" comment is plain text, far too short for a block; the synclyric wins.
    EXPECT_EQ(Source::Synclyric,
              LyricsLoader::Load(U16(Fixture("tag-synclyric.ogg")), u".ogg", Opened::Stream, true,
                                 finder.Get(), data, entry));
    EXPECT_EQ(u"First line", data.LyricAt(1000, 0).first);
    EXPECT_EQ(u"Second line", data.LyricAt(1000, 0).second);
}

// A track that is a FIFO, with a FIFO for its LRC file and a link to /dev/zero for its text file:
// nothing is read from any of them, and nothing waits for a writer.
TEST(LyricsLoader, FifosAndDevicesGiveNoLyricsAtOnce) {
    TempFolder folder;
    UnwrittenFifo track(folder.File("song.mp3"));
    UnwrittenFifo lrc(folder.File("song.lrc"));
    ASSERT_TRUE(track.Made() && lrc.Made());
    ASSERT_EQ(0, symlink("/dev/zero", folder.File("song.txt").c_str()));

    const auto start = std::chrono::steady_clock::now();
    FileFinder finder(track.Path());
    LyricsData data;
    LrcFile::EntryText entry;
    EXPECT_EQ(Source::None, LyricsLoader::Load(U16(track.Path()), u".mp3", Opened::Stream, true,
                                               finder.Get(), data, entry));
    EXPECT_TRUE(data.lyrics.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, track.Patience());
}
