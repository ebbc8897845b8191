#include "playlist/PlaylistEntry.h"

#include "tests/playlist/PlaylistFixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

FileInfo Entry(std::u16string path, std::u16string name, std::u16string ext, std::u16string title) {
    FileInfo entry;
    entry.path = std::move(path);
    entry.name = std::move(name);
    entry.ext = std::move(ext);
    entry.title = std::move(title);
    return entry;
}

std::vector<FileInfo> Samples() {
    std::vector<FileInfo> samples{
        Entry(u"/music/track-0001.mp3", u"track-0001", u".mp3", u"track-0001"),
        Entry(u"/music/Upper Case.MP3", u"upper case", u".mp3", u"Tagged Title"),
        Entry(u"/music/Upper Case.MP3", u"Upper Case", u".MP3", u"Upper Case"),
        Entry(u"/음악/가을 노래.ogg", u"가을 노래", u".ogg", u"가을의 노래"),
        Entry(u"http://radio:8000/live", u"http://radio:8000/live", u".url",
              u"http://radio:8000/live"),
        Entry(u"/music/noext", u"other name", u"", u""),
        Entry(u"", u"", u"", u""),
    };
    samples[1].artist = u"아티스트";
    samples[1].album = std::u16string(40000, u'a'); // a length past one unit
    samples[1].playTime = u"03:25";
    samples[1].reserved = u"r";
    samples[1].favorite = 0;
    samples[2].missing = true;
    samples[3].favorite = 7;
    return samples;
}

TEST(PlaylistEntryTest, GivesBackWhatWentIn) {
    for (const FileInfo& info : Samples()) {
        const PlaylistEntry entry(info);
        EXPECT_EQ(entry.Info(), info);
        EXPECT_EQ(entry.Path(), info.path);
        const PlaylistEntry copy = entry;
        EXPECT_EQ(copy.Info(), info);
    }
    // What the path gives is not stored: only the path and its length.
    const FileInfo plain = Samples()[0];
    EXPECT_EQ(PlaylistEntry(plain).BlockBytes(), 2 * (plain.path.size() + 1));
    EXPECT_EQ(PlaylistEntry(FileInfo{}).BlockBytes(), 0u);
}

class PlaylistEntriesTest : public PlaylistFixture {};

TEST_F(PlaylistEntriesTest, KoreanAndUpperCaseEntriesSaveByteForByte) {
    std::vector<FileInfo> entries = Samples();
    entries.resize(4);
    entries.erase(entries.begin() + 2); // the same path twice is listed once
    list.Assign(entries);
    const std::u16string first = home.File16("first.wpl"), second = home.File16("second.wpl");
    ASSERT_TRUE(list.PlaylistSave(first));
    Playlist again(profile, host);
    ASSERT_TRUE(again.PlaylistLoad(first, false));
    ASSERT_EQ(again.Count(), 3);
    for (int i = 0; i < again.Count(); ++i) {
        FileInfo info = *again.EntryAt(i);
        info.missing = false;
        EXPECT_EQ(info, entries[static_cast<size_t>(i)]);
    }
    ASSERT_TRUE(again.PlaylistSave(second));
    auto bytes = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    EXPECT_EQ(bytes(home / "first.wpl"), bytes(home / "second.wpl"));
}

TEST_F(PlaylistEntriesTest, FavoritesAndPlayedKeepTheirPathsWhileEntriesMove) {
    for (const char16_t* path : {u"http://a/0", u"http://a/1", u"http://a/2", u"http://a/3"})
        list.Add(StreamEntry(path));
    const std::vector<std::u16string> paths{u"http://a/2", u"http://elsewhere", u"http://a/0",
                                            u"http://a/3"};
    list.SetFavorites(paths);
    list.SetPlayedList(paths);
    auto kept = [&] { return list.Favorites() == paths && list.PlayedList() == paths; };
    list.MoveEntry(0, 3);
    EXPECT_TRUE(kept());
    list.Erase(1); // http://a/2
    EXPECT_TRUE(kept());
    list.Reorder({2, 1, 0});
    EXPECT_TRUE(kept());
    list.SetEntry(0, StreamEntry(u"http://b/0"));
    EXPECT_TRUE(kept());
    list.Clear();
    EXPECT_TRUE(kept());
    // The played list still knows its paths: the same path is not added twice.
    list.SetPlayedList({u"http://a/3", u"http://a/3"});
    EXPECT_EQ(list.PlayedList(), std::vector<std::u16string>{u"http://a/3"});

    list.Assign({StreamEntry(u"http://c/0", 0), StreamEntry(u"http://c/1")});
    list.FavoritesFromEntries();
    EXPECT_EQ(list.Favorites(), std::vector<std::u16string>{u"http://c/1"});
    list.RemoveFavorite(u"http://c/1");
    list.AddFavorite(u"http://c/0");
    EXPECT_EQ(list.Favorites(), std::vector<std::u16string>{u"http://c/0"});
}

} // namespace
