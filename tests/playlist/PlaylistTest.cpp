#include "playlist/Playlist.h"
#include "playlist/Archive.h"

#include "platform/TextCodec.h"
#include "settings/Settings.h"
#include "tests/playlist/PlaylistFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string_view>
#include <sys/stat.h>

using namespace setting;
using namespace std::string_literals;

namespace {

class PlaylistTest : public PlaylistFixture {
protected:
    bool Exists(const std::string& name) { return std::filesystem::exists(home / name); }

    // Writes `entries` as a playlist file through a second playlist.
    std::u16string WriteList(const std::string& name, const std::vector<FileInfo>& entries) {
        Playlist writer(profile, host);
        writer.Assign(entries);
        const std::u16string path = home.File16(name);
        EXPECT_TRUE(writer.PlaylistSave(path));
        return path;
    }

    // Writes the list files when they changed, as the view does once a second.
    void SaveChanged(Playlist& playlist) {
        if (const std::optional<Playlist::ListFiles> files = playlist.ChangedLists())
            playlist.WriteLists(*files);
    }
    ino_t Inode(const std::string& name) {
        struct stat info {};
        return ::stat((home / name).c_str(), &info) == 0 ? info.st_ino : 0;
    }

    void Fill(int count) {
        for (int i = 0; i < count; ++i)
            list.Add(StreamEntry(u"http://radio/" + std::u16string(1, u'a' + i)));
    }
};

TEST_F(PlaylistTest, SavedPlaylistReadsBackAndSavesByteForByte) {
    FileInfo full = FileEntry("Track One.mp3", 0);
    full.playTime = u"03:25";
    full.artist = u"Ärtist 한국";
    full.album = std::u16string(400, u'z');
    full.reserved = u"r";
    list.Assign({full, StreamEntry(u"http://host:8000/live")});
    const std::u16string first = home.File16("first.wpl");
    ASSERT_TRUE(list.PlaylistSave(first));

    const std::string bytes = home.Read("first.wpl");
    EXPECT_EQ(bytes.substr(0, 8), "\x02\x00\x00\x00\xFF\xFE\xFF\x09"s);

    Playlist again(profile, host);
    ASSERT_TRUE(again.PlaylistLoad(first, true));
    ASSERT_EQ(again.Count(), 2);
    // Every field took part: saving again gives the same bytes.
    EXPECT_EQ(again.Favorites(), std::vector<std::u16string>{u"http://host:8000/live"});

    ASSERT_TRUE(again.PlaylistSave(home.File16("second.wpl")));
    EXPECT_EQ(home.Read("second.wpl"), bytes);
}

TEST_F(PlaylistTest, HandBuiltFileWithEightBitStringsLoads) {
    const std::string path = home.File("music/old.mp3");
    home.Write("music/old.mp3", "x");
    std::string bytes = "\x01\x00\x00\x00"s;
    bytes += "\x03"
             "old";
    bytes += static_cast<char>(path.size()) + path;
    bytes += "\x04"
             ".mp3";
    bytes += "\x05"
             "01:00";
    bytes += "\x00"s; // empty title: takes the name
    bytes += "\x05"
             "Bj\xF6rk"s;         // CP1252
    bytes += "\xFF\xFE\xFF\x00"s; // album, marked
    bytes += "\x00"s;
    bytes += "\x01\x00\x00\x00"s;
    home.Write("hand.wpl", bytes);

    ASSERT_TRUE(list.PlaylistLoad(home.File16("hand.wpl"), true));
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.EntryAt(0)->path, home.File16("music/old.mp3"));
    EXPECT_EQ(list.EntryAt(0)->title, u"old");
    EXPECT_EQ(list.EntryAt(0)->artist, u"Björk");
    EXPECT_EQ(list.Favorites().size(), 1u);
}

TEST_F(PlaylistTest, LoadDropsDuplicatesAndKeepsMissingFilesAndWmaWithoutSupport) {
    FileInfo upper = FileEntry("Song.mp3");
    FileInfo lower = upper;
    for (char16_t& c : lower.path)
        c = static_cast<char16_t>(std::towlower(c));
    FileInfo gone = FileEntry("gone.mp3");
    std::filesystem::remove(home / "music/gone.mp3");
    FileInfo folder = FileEntry("dir.ogg");
    std::filesystem::remove(home / "music/dir.ogg");
    std::filesystem::create_directory(home / "music/dir.ogg");
    FileInfo wma = FileEntry("speech.WMA");
    wma.ext = u".WMA";
    const std::u16string path = WriteList("mixed.wpl", {upper, lower, gone, folder, wma});

    ASSERT_TRUE(list.PlaylistLoad(path, true));
    // A file that is not there (or is a folder), or WMA without its decoder, stays in the list,
    // marked for playing to skip: the next save keeps it.
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(list.EntryAt(0)->path, upper.path);
    EXPECT_FALSE(list.EntryAt(0)->missing);
    EXPECT_EQ(list.EntryAt(1)->path, gone.path);
    EXPECT_TRUE(list.Missing(1));
    EXPECT_TRUE(list.Missing(2));
    EXPECT_TRUE(list.Missing(3));
    home.Write("music/gone.mp3", "back");
    EXPECT_FALSE(list.Missing(1));
    list.SetWmaAvailable(true);
    EXPECT_FALSE(list.Missing(3));

    list.Clear();
    list.SetWmaAvailable(true);
    ASSERT_TRUE(list.PlaylistLoad(path, false));
    EXPECT_EQ(list.Count(), 4);
    EXPECT_TRUE(host.messages.empty());

    EXPECT_FALSE(list.PlaylistLoad(home.File16("none.wpl"), true));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.English(), u"File open error.");
    EXPECT_EQ(host.messages[0].caption.English(), u"Sonvale Error");
}

TEST_F(PlaylistTest, TenThousandEntriesLoadAsTheLimit) {
    std::vector<FileInfo> entries;
    for (int i = 0; i < 10000; ++i)
        entries.push_back(
            StreamEntry(u"http://radio/" + TextCodec::Utf8ToUtf16(std::to_string(i))));
    entries.push_back(entries[5]); // a duplicate is not counted as left out
    const std::u16string path = WriteList("big.wpl", entries);
    ASSERT_TRUE(list.PlaylistLoad(path, true));
    EXPECT_EQ(list.Count(), 9999);
    EXPECT_EQ(list.EntryAt(list.Count() - 1)->path, u"http://radio/9998");
    EXPECT_FALSE(list.Append(StreamEntry(u"http://radio/extra")));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.English(),
              u"A playlist holds at most 9999 entries; 1 entries were left out.");
}

TEST_F(PlaylistTest, DamagedFilesKeepWhatCameBeforeTheDamage) {
    const std::u16string path =
        WriteList("full.wpl", {StreamEntry(u"http://a/1"), StreamEntry(u"http://a/2"),
                               StreamEntry(u"http://a/3")});
    const std::string bytes = home.Read("full.wpl");
    for (size_t cut : {bytes.size() - 1, bytes.size() - 20, size_t{6}, size_t{2}}) {
        home.Write("cut.wpl", bytes.substr(0, cut));
        list.Clear();
        list.PlaylistLoad(home.File16("cut.wpl"), false);
        EXPECT_LE(list.Count(), 2) << cut;
    }
    EXPECT_TRUE(host.messages.empty());
    home.Write("cut.wpl", bytes.substr(0, bytes.size() - 1));
    list.Clear();
    ASSERT_TRUE(list.PlaylistLoad(home.File16("cut.wpl"), true));
    EXPECT_EQ(list.Count(), 2);
    // A count larger or smaller than the records is damage too; the user is told.
    for (char count : {'\x64', '\x02'}) {
        std::string other = bytes;
        other[0] = count;
        home.Write("other.wpl", other);
        list.Clear();
        ASSERT_TRUE(list.PlaylistLoad(home.File16("other.wpl"), true));
        EXPECT_EQ(list.Count(), count == 2 ? 2 : 3);
    }
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[2].text.English(),
              u"The playlist file \"" + home.File16("other.wpl") +
                  u"\" is damaged; only 2 entries could be read from it.");

    list.SetPlayedList({u"http://a/1", u"http://a/2"});
    ASSERT_TRUE(list.SavePlayedList(home.File16("shuffle.lst")));
    const std::string played = home.Read("shuffle.lst");
    home.Write("shuffle.lst", played.substr(0, played.size() - 3));
    list.ClearPlayed();
    ASSERT_TRUE(list.LoadPlayedList(home.File16("shuffle.lst")));
    EXPECT_EQ(list.PlayedList(), std::vector<std::u16string>{u"http://a/1"});
}

TEST_F(PlaylistTest, RestoreResumesOnlyTheSameEntry) {
    WriteList("playlist.wpl", {StreamEntry(u"http://a/1"), StreamEntry(u"http://a/2")});
    Settings::Set(profile, kCurPlayFilePath, u"http://a/2");
    SetNumber(kCurIndex, 1);
    SetNumber(kCurPlayPos, 42000);
    list.SaveResumeValues(0); // a save before the restore keeps the stored values
    list.PlaylistRestore();
    EXPECT_TRUE(Exists("playlist.wpl"));
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_EQ(list.Current().path, u"http://a/2");
    EXPECT_TRUE(list.ListMode());
    EXPECT_EQ(host.titles, std::vector<std::u16string>{u"http://a/2"});
    EXPECT_EQ(host.seeks, std::vector<int32_t>{42000});
    EXPECT_EQ(host.plays, 1);
    EXPECT_EQ(host.waits, host.waitEnds);

    // The saved index now names another path: start at the first entry, position 0.
    Playlist other(profile, host);
    WriteList("playlist.wpl", {StreamEntry(u"http://a/1"), StreamEntry(u"http://a/3")});
    host.seeks.clear();
    SetNumber(kPlayOnStart, 0);
    other.PlaylistRestore();
    EXPECT_EQ(other.CurIndex(), 0);
    EXPECT_EQ(other.CurPlayPos(), 0);
    EXPECT_EQ(other.Current().path, u"http://a/1");
    EXPECT_TRUE(host.seeks.empty());
    EXPECT_EQ(host.plays, 1);
}

TEST_F(PlaylistTest, RestorePlaysTheSavedTrackBeforeReadingTheRestOfTheList) {
    const FileInfo gone = FileEntry("gone.ogg");
    const std::vector<FileInfo> entries{FileEntry("a.ogg"), gone, FileEntry("c.ogg"),
                                        FileEntry("d.ogg"), FileEntry("e.ogg")};
    WriteList("playlist.wpl", entries);
    std::filesystem::remove(std::filesystem::path(gone.path));
    Settings::Set(profile, kCurPlayFilePath, entries[2].path);
    SetNumber(kCurIndex, 2);
    SetNumber(kCurPlayPos, 7000);
    int countAtOpen = -1;
    bool restoredAtOpen = false;
    host.onOpen = [&] {
        countAtOpen = list.Count();
        restoredAtOpen = list.ChangedLists().has_value();
    };
    list.PlaylistRestore();
    EXPECT_EQ(countAtOpen, 3) << "the track opens once the list holds it";
    EXPECT_FALSE(restoredAtOpen) << "a list read in part is never written";
    EXPECT_EQ(list.Count(), 5);
    EXPECT_EQ(list.CurIndex(), 2);
    EXPECT_EQ(list.Current().path, entries[2].path);
    EXPECT_TRUE(list.ListMode());
    EXPECT_EQ(host.seeks, std::vector<int32_t>{7000});
    EXPECT_EQ(host.plays, 1);
    // The files are looked at once the track plays: the marks are those of a whole read.
    EXPECT_TRUE(list.Missing(1));
    EXPECT_FALSE(list.Missing(0));
    EXPECT_FALSE(list.Missing(4));

    // The first entry of a list of one opens after the whole list is read.
    Playlist single(profile, host);
    WriteList("playlist.wpl", {entries[0]});
    SetNumber(kCurIndex, 0);
    host.onOpen = [&] { countAtOpen = single.Count(); };
    single.PlaylistRestore();
    EXPECT_EQ(countAtOpen, 1);
    EXPECT_EQ(single.Current().path, entries[0].path);
    EXPECT_FALSE(single.ListMode());
}

TEST_F(PlaylistTest, RestoreWithIndexPastTheEndOpensNothing) {
    WriteList("playlist.wpl", {StreamEntry(u"http://a/1")});
    SetNumber(kCurIndex, 5);
    list.PlaylistRestore();
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(list.Current().path.empty());
    EXPECT_EQ(host.opens, 0);
    EXPECT_FALSE(list.ListMode());
}

TEST_F(PlaylistTest, StoreWritesResumeValuesAndTheSingleCurrentFile) {
    list.Current() = FileEntry("single.ogg");
    list.SetCurIndex(3);
    list.PlaylistStore(1234);
    EXPECT_EQ(Settings::Get(profile, kCurPlayFilePath), list.Current().path);
    EXPECT_EQ(Settings::Get(profile, kCurPlayPos), 1234);
    EXPECT_EQ(Settings::Get(profile, kCurIndex), 3);
    ASSERT_TRUE(Exists("playlist.wpl"));
    EXPECT_FALSE(Exists("shuffle.lst"));
    Playlist read(profile, host);
    ASSERT_TRUE(read.PlaylistLoad(home.File16("playlist.wpl"), false));
    ASSERT_EQ(read.Count(), 1);
    EXPECT_EQ(read.EntryAt(0)->path, list.Current().path);

    // Nothing to keep: no file.
    std::filesystem::remove(home / "playlist.wpl");
    Playlist empty(profile, host);
    empty.PlaylistStore(0);
    EXPECT_FALSE(Exists("playlist.wpl"));
}

TEST_F(PlaylistTest, ListFilesFollowTheListWhileItRuns) {
    SetNumber(kShuffle, 1);
    WriteList("playlist.wpl",
              {StreamEntry(u"http://a/1"), StreamEntry(u"http://a/2"), StreamEntry(u"http://a/3")});
    const ino_t restored = Inode("playlist.wpl");
    list.PlaylistRestore();
    SaveChanged(list);
    EXPECT_EQ(Inode("playlist.wpl"), restored); // the same bytes are not written again
    EXPECT_FALSE(list.ChangedLists());

    // An added entry, a shuffled move and the new current entry reach the disk at once.
    ASSERT_TRUE(list.Append(StreamEntry(u"http://a/4")));
    list.PickNextEntry(+1);
    list.Current() = *list.EntryAt(list.CurIndex());
    list.SaveResumeValues(500);
    SaveChanged(list);
    Playlist read(profile, host);
    ASSERT_TRUE(read.PlaylistLoad(home.File16("playlist.wpl"), false));
    EXPECT_EQ(read.Count(), 4);
    ASSERT_TRUE(read.LoadPlayedList(home.File16("shuffle.lst")));
    EXPECT_EQ(read.PlayedList().size(), 2u);
    EXPECT_EQ(read.PlayedList(), list.PlayedList());
    EXPECT_EQ(Settings::Get(profile, kCurIndex), list.CurIndex());
    EXPECT_EQ(Settings::Get(profile, kCurPlayFilePath), list.Current().path);
    EXPECT_EQ(Settings::Get(profile, kCurPlayPos), 500);
    // Replaced whole: no temporary file is left beside them.
    for (const auto& item : std::filesystem::directory_iterator(home.Path()))
        EXPECT_NE(item.path().filename().string()[0], '.') << item.path();

    // A single file opened outside the list is kept with it; an emptied list leaves no files.
    list.Current() = FileEntry("single.ogg");
    SaveChanged(list);
    ASSERT_TRUE(read.PlaylistLoad(home.File16("playlist.wpl"), false));
    EXPECT_EQ(read.Count(), 5);
    list.Clear();
    list.ClearPlayed();
    list.Current().Reset();
    SaveChanged(list);
    EXPECT_FALSE(Exists("playlist.wpl"));
    EXPECT_FALSE(Exists("shuffle.lst"));
}

TEST_F(PlaylistTest, DamagedSavedListIsKeptAsideAndReportedOnce) {
    WriteList("playlist.wpl",
              {StreamEntry(u"http://a/1"), StreamEntry(u"http://a/2"), StreamEntry(u"http://a/3")});
    const std::string whole = home.Read("playlist.wpl");
    const std::string damaged = whole.substr(0, whole.size() - 5);
    home.Write("playlist.wpl", damaged);
    list.PlaylistRestore();
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(home.Read("playlist.wpl.bad"), damaged);
    EXPECT_TRUE(host.messages.empty()); // told once the start-up is done
    list.ShowNotices();
    list.ShowNotices();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.English(),
              u"The saved playlist is damaged. What could be read of it (2 entries) is kept; the "
              u"damaged file was saved as \"" +
                  home.File16("playlist.wpl.bad") + u"\".");
    SaveChanged(list);
    Playlist read(profile, host);
    ASSERT_TRUE(read.PlaylistLoad(home.File16("playlist.wpl"), true));
    EXPECT_EQ(read.Count(), 2);
    EXPECT_EQ(host.messages.size(), 1u); // the rewritten list is whole

    // Nothing readable: the file is not replaced, not even at shutdown.
    host.messages.clear();
    home.Write("playlist.wpl", whole.substr(0, 10));
    Playlist unreadable(profile, host);
    unreadable.PlaylistRestore();
    EXPECT_EQ(unreadable.Count(), 0);
    EXPECT_TRUE(unreadable.SavedListFound());
    unreadable.ShowNotices();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].caption.English(), u"Sonvale Error");
    EXPECT_EQ(host.messages[0].text.context, std::string_view("Playlist"));
    EXPECT_EQ(host.messages[0].text.args,
              (std::vector<std::u16string>{u"0", home.File16("playlist.wpl.bad")}));
    unreadable.PlaylistStore(0);
    EXPECT_EQ(home.Read("playlist.wpl"), whole.substr(0, 10));
    EXPECT_FALSE(Playlist(profile, host).SavedListFound());
}

TEST_F(PlaylistTest, LongPlayedListLoadsWhole) {
    Archive archive;
    archive.WriteInt32(80001);
    for (int i = 0; i < 80000; ++i)
        archive.WriteString(u"/music/" + TextCodec::Utf8ToUtf16(std::to_string(i)) + u".mp3");
    archive.WriteString(u"/music/7.mp3"); // a repeated path is kept once
    home.Write("shuffle.lst", archive.Bytes());
    ASSERT_TRUE(list.LoadPlayedList(home.File16("shuffle.lst")));
    ASSERT_EQ(list.PlayedList().size(), 80000u);
    EXPECT_EQ(list.PlayedList()[7], u"/music/7.mp3");
    EXPECT_EQ(list.PlayedList().back(), u"/music/79999.mp3");
}

TEST_F(PlaylistTest, LabelsAndPaths) {
    FileInfo entry = StreamEntry(u"http://A/x");
    entry.name = u"name";
    entry.title = u"title";
    EXPECT_EQ(Playlist::EntryLabel(entry, true, true), u"title");
    EXPECT_EQ(Playlist::EntryLabel(entry, false, true), u"name");
    entry.artist = u"artist";
    EXPECT_EQ(Playlist::EntryLabel(entry, true, true), u"<artist> title");
    EXPECT_EQ(Playlist::EntryLabel(entry, true, false), u"title");

    EXPECT_TRUE(Playlist::IsPlayable(u"HTTP://nowhere"));
    EXPECT_FALSE(Playlist::IsPlayable(home.File16("missing.mp3")));
}

TEST(PickTest, OneChoiceIsAlwaysZero) {
    std::srand(7);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(Playlist::Pick(1), 0);
}

TEST(PickTest, LandingOnTheLastIndexTakesItAfterOneDraw) {
    constexpr int kM = 3;
    int found = 0;
    for (unsigned seed = 1; seed < 200; ++seed) {
        std::srand(seed);
        const int first = Playlist::Random31() % kM;
        const int second = Playlist::Random31() % kM;
        std::srand(seed);
        const int picked = Playlist::Pick(kM);
        const int next = std::rand();
        std::srand(seed);
        for (int i = 0; i < (first == kM - 1 ? 3 : 6); ++i)
            std::rand();
        EXPECT_EQ(next, std::rand()) << seed; // three draws, or six when drawing again
        EXPECT_EQ(picked, first == kM - 1 ? kM - 1 : second) << seed;
        found += first == kM - 1;
    }
    EXPECT_GT(found, 0);
}

TEST_F(PlaylistTest, WithoutShuffleTheIndexMovesByTheStep) {
    Fill(4);
    list.SetCurIndex(3);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 4); // running off the end is the controller's business
    EXPECT_EQ(list.PrevIndex(), 3);

    // Two entries under shuffle behave the same.
    SetNumber(kShuffle, 1);
    list.Erase(2, list.Count());
    list.SetCurIndex(0);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 1);
    list.PickNextEntry(-1);
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_TRUE(list.PlayedList().empty());
}

TEST_F(PlaylistTest, FavoritesAreSteppedToInBothDirections) {
    Fill(5);
    for (int i : {0, 2, 3})
        list.SetFavoriteAt(i, 0);
    list.SetFavorites({list.EntryAt(1)->path, list.EntryAt(4)->path});
    SetNumber(kEnableFavorites, 1);
    list.SetCurIndex(1);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 4);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 1); // wraps to the front
    list.PickNextEntry(-1);
    EXPECT_EQ(list.CurIndex(), 4); // wraps to the back
    EXPECT_EQ(list.PrevIndex(), 1);

    // Under shuffle, fewer than three favourites are stepped through forward.
    SetNumber(kShuffle, 1);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 1);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 4);
    // "Previous" under shuffle goes back to the entry before.
    list.PickNextEntry(-1);
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_EQ(list.PrevIndex(), 4);
}

TEST_F(PlaylistTest, ShuffleVisitsEveryEntryOncePerCycle) {
    SetNumber(kShuffle, 1);
    Fill(6);
    std::srand(1);
    list.SetCurIndex(0);
    list.SetPlayedList({list.EntryAt(0)->path});
    std::set<int> seen{0};
    for (int move = 0; move < 5; ++move) {
        const int before = list.CurIndex(), previous = list.PrevIndex();
        list.PickNextEntry(+1);
        EXPECT_NE(list.CurIndex(), before);
        if (move > 0) {
            EXPECT_NE(list.CurIndex(), previous);
        }
        EXPECT_TRUE(seen.insert(list.CurIndex()).second) << "repeated " << list.CurIndex();
    }
    EXPECT_EQ(seen.size(), 6u);
    EXPECT_EQ(list.PlayedList().size(), 6u);
    list.PickNextEntry(+1); // the full cycle empties the played list first
    EXPECT_EQ(list.PlayedList().size(), 1u);
}

TEST_F(PlaylistTest, ShuffleWithoutCandidatesTakesTheNextEntry) {
    SetNumber(kShuffle, 1);
    Fill(4);
    // A played list from another playlist: it never reaches the entry count, and every
    // remaining entry is in it, the current or the previous one.
    list.SetPlayedList({u"http://stale", list.EntryAt(1)->path, list.EntryAt(3)->path});
    list.SetCurIndex(0);
    list.SetPrevIndex(2);
    list.PickNextEntry(+1);
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_EQ(list.PrevIndex(), 0);

    SetNumber(kEnableFavorites, 1);
    list.SetFavorites({u"http://a", u"http://b", list.EntryAt(3)->path});
    list.SetPlayedList({list.EntryAt(3)->path, u"x", u"y", u"z"});
    list.SetCurIndex(3);
    list.PickNextEntry(+1); // stale favourites name no entry: index 4, never 3
    EXPECT_NE(list.CurIndex(), 3);
}

} // namespace
