#include "playlist/MediaOpener.h"

#include "settings/Settings.h"
#include "tests/playlist/PlaylistFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

using namespace setting;

namespace {

class MediaOpenerTest : public PlaylistFixture {
protected:
    std::u16string Folder(const std::string& name) { return home.File16(name) + u"/"; }
    static std::vector<std::u16string> Paths(const std::vector<FileInfo>& entries) {
        std::vector<std::u16string> paths;
        for (const FileInfo& entry : entries)
            paths.push_back(entry.path);
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    MediaOpener opener{list};
};

TEST_F(MediaOpenerTest, ScanKeepsTheRealCaseInPathsAndSkipsOtherKinds) {
    home.Write("scan/Song.MP3", "x");
    home.Write("scan/b.mp2", "x");
    home.Write("scan/talk.WMA", "x");
    home.Write("scan/mp3", "x");
    std::vector<FileInfo> found;
    opener.ScanFolder(Folder("scan"), false, found);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].ext, u".mp2");
    EXPECT_EQ(found[1].name, u"song");
    EXPECT_EQ(found[1].title, u"song");
    EXPECT_EQ(found[1].ext, u".mp3");
    EXPECT_EQ(found[1].path, home.File16("scan/Song.MP3"));
    EXPECT_TRUE(Playlist::IsPlayable(found[1].path));
}

TEST_F(MediaOpenerTest, ScanOrdersByNameAsPeopleCountAndFilesBeforeSubfolders) {
    for (const char* name : {"d/track10.mp3", "d/Track2.mp3", "d/track1.mp3", "d/a/x.mp3",
                             "d/b2/y.mp3", "d/b10/z.mp3", "d/zz.ogg"})
        home.Write(name, "x");
    std::vector<FileInfo> found;
    opener.ScanFolder(Folder("d"), true, found);
    std::vector<std::u16string> names;
    for (const FileInfo& entry : found)
        names.push_back(entry.path.substr(home.File16("d/").size()));
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"track1.mp3", u"Track2.mp3", u"track10.mp3", u"zz.ogg",
                                           u"a/x.mp3", u"b2/y.mp3", u"b10/z.mp3"}));
}

TEST_F(MediaOpenerTest, AFolderChosenOrNamedOpensLikeOpenFolder) {
    home.Write("mix/one.mp3", "x");
    home.Write("mix/two.mp3", "x");
    home.Write("lone/three.ogg", "x");
    opener.OpenPath(home.File16("mix"));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.ListMode());
    EXPECT_EQ(list.Current().path, home.File16("mix/one.mp3"));

    // Files and folders chosen together make one list in the order chosen.
    opener.OpenFiles({home.File16("lone/three.ogg"), home.File16("mix")});
    EXPECT_EQ(Paths(list.AllEntries()), (std::vector<std::u16string>{home.File16("lone/three.ogg"),
                                                                     home.File16("mix/one.mp3"),
                                                                     home.File16("mix/two.mp3")}));
    EXPECT_EQ(list.EntryAt(0)->path, home.File16("lone/three.ogg"));
    EXPECT_EQ(list.Current().path, home.File16("lone/three.ogg"));
}

TEST_F(MediaOpenerTest, SubfoldersOnlyWhenAsked) {
    home.Write("tree/top.ogg", "x");
    home.Write("tree/Sub/inner.wav", "x");
    home.Write("tree/Sub/Deeper/deep.mp3", "x");
    std::vector<FileInfo> flat, deep;
    opener.ScanFolder(Folder("tree"), false, flat);
    opener.ScanFolder(Folder("tree"), true, deep);
    EXPECT_EQ(Paths(flat), std::vector<std::u16string>{home.File16("tree/top.ogg")});
    EXPECT_EQ(Paths(deep), (std::vector<std::u16string>{home.File16("tree/Sub/Deeper/deep.mp3"),
                                                        home.File16("tree/Sub/inner.wav"),
                                                        home.File16("tree/top.ogg")}));
    // A folder listed inside itself through a link is not followed.
    std::filesystem::create_directory_symlink(home / "tree", home / "tree/Sub/loop");
    deep.clear();
    opener.ScanFolder(Folder("tree"), true, deep);
    EXPECT_EQ(deep.size(), 3u);
}

TEST_F(MediaOpenerTest, OpenFolderReplacesTheListOnlyWhenTheFolderChanged) {
    home.Write("album/one.mp3", "x");
    home.Write("album/two.mp3", "x");
    list.Assign({StreamEntry(u"http://old")});
    list.SetFavorites({u"http://old"});
    list.SetPlayedList({u"http://old"});
    Settings::Set(profile, kOpenFolderName, Folder("album"));
    opener.OpenFolder(Folder("album"));
    EXPECT_EQ(list.Count(), 1);
    EXPECT_EQ(host.opens, 0);

    opener.OpenFolder(u"");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_TRUE(list.Favorites().empty());
    EXPECT_TRUE(list.PlayedList().empty());
    EXPECT_TRUE(list.ListMode());
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_EQ(list.Current().path, list.EntryAt(0)->path);
    EXPECT_EQ(host.trackNumbers, std::vector<int>{1});
    EXPECT_EQ(host.opens, 1);
    EXPECT_EQ(host.plays, 1);

    // An empty folder changes nothing.
    std::filesystem::create_directory(home / "empty");
    Settings::Set(profile, kOpenFolderName, Folder("empty"));
    opener.OpenFolder(u"");
    EXPECT_EQ(list.Count(), 2);
}

TEST_F(MediaOpenerTest, OpenFilesWithOneOrSeveralFiles) {
    home.Write("pick/a.mp3", "x");
    home.Write("pick/b.ogg", "x");
    list.Assign({StreamEntry(u"http://old")});
    list.SetPlayedList({u"http://old"});
    opener.OpenFiles({home.File16("pick/a.mp3")});
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(list.PlayedList().empty());
    EXPECT_EQ(list.Current().path, home.File16("pick/a.mp3"));
    EXPECT_EQ(list.Current().title, u"a");
    EXPECT_EQ(Settings::Get(profile, kLastPath), home.File16("pick"));
    EXPECT_EQ(host.titles.back(), u"a");
    EXPECT_EQ(host.plays, 1);

    Playlist saved(profile, host);
    saved.Assign({StreamEntry(u"http://from/list")});
    saved.PlaylistSave(home.File16("pick/list.wpl"));
    opener.OpenFiles({home.File16("pick/b.ogg"), home.File16("pick/gone.mp3"),
                      home.File16("pick/list.wpl"), home.File16("pick/A.MP3")});
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.EntryAt(0)->path, home.File16("pick/b.ogg"));
    EXPECT_EQ(list.EntryAt(1)->path, u"http://from/list");
    EXPECT_TRUE(list.ListMode());
    EXPECT_EQ(list.Current().path, home.File16("pick/b.ogg"));
    EXPECT_EQ(host.plays, 2);

    // A chosen playlist that can't be read is reported.
    opener.OpenFiles({home.File16("pick/missing.wpl"), home.File16("pick/a.mp3")});
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.English(), u"File open error.");
    EXPECT_EQ(list.Count(), 1);
}

TEST_F(MediaOpenerTest, OpenPathAndOpenUrlLeaveASingleCurrentEntry) {
    home.Write("cmd/Tune.Mp3", "x");
    list.Assign({StreamEntry(u"http://kept")});
    opener.OpenPath(home.File16("cmd/Tune.Mp3"));
    EXPECT_EQ(list.Count(), 1); // the open step empties it outside list mode
    EXPECT_EQ(list.Current().name, u"Tune");
    EXPECT_EQ(list.Current().ext, u".mp3");
    EXPECT_EQ(host.plays, 1);

    EXPECT_FALSE(opener.OpenUrl(u"http://"));
    EXPECT_FALSE(opener.OpenUrl(u"https://"));
    EXPECT_FALSE(opener.OpenUrl(u"ftp://host/x"));
    EXPECT_EQ(host.opens, 1);
    EXPECT_TRUE(opener.OpenUrl(u"HTTP://Radio.Example:8000/"));
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.Current().path, u"http://radio.example:8000/");
    EXPECT_EQ(list.Current().title, list.Current().path);
    EXPECT_EQ(list.Current().ext, u".url");
    EXPECT_EQ(host.plays, 2);
    // Only the scheme and host lose their case: the server's path may depend on it.
    EXPECT_TRUE(opener.OpenUrl(u"HTTPS://User:Pw@Secure.Example/Live/Stream.MP3?Key=A"));
    EXPECT_EQ(list.Current().path, u"https://User:Pw@secure.example/Live/Stream.MP3?Key=A");
    EXPECT_EQ(host.plays, 3);
}

TEST_F(MediaOpenerTest, DeleteAsksTrashesRemovesAndMovesOn) {
    list.Assign({FileEntry("one.mp3"), FileEntry("two.mp3"), FileEntry("three.mp3")});
    list.SetListMode(true);
    list.SetCurIndex(1);
    list.Current() = *list.EntryAt(1);
    host.playing = true;
    host.onStep = [this](int step) {
        list.PickNextEntry(step);
        list.Current() = *list.EntryAt(list.CurIndex());
        return true;
    };

    host.answerYes = false;
    EXPECT_FALSE(opener.DeleteCurrentFile());
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text.English(),
              u"Do you really want to delete file \"" + list.EntryAt(1)->path + u"\" ?");
    EXPECT_EQ(host.messages[0].caption.English(), u"Sonvale");
    EXPECT_EQ(host.messages[0].box, PlaylistHost::Box::Question);
    EXPECT_EQ(list.Count(), 3);

    // Without a trash to move it to, the file stays, with its entry, and the user is told.
    host.answerYes = true;
    EXPECT_FALSE(opener.DeleteCurrentFile());
    ASSERT_EQ(host.messages.size(), 3u);
    EXPECT_EQ(host.messages[2].box, PlaylistHost::Box::Error);
    EXPECT_EQ(host.messages[2].text.English(),
              u"The file \"" + list.EntryAt(1)->path + u"\" could not be moved to the trash.");
    EXPECT_TRUE(std::filesystem::exists(home / "music/two.mp3"));
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Current().name, u"two");
    EXPECT_TRUE(host.playing);

    std::filesystem::create_directories(home / "trash");
    host.trashFolder = home / "trash";
    EXPECT_TRUE(opener.DeleteCurrentFile());
    EXPECT_FALSE(std::filesystem::exists(home / "music/two.mp3"));
    EXPECT_TRUE(std::filesystem::exists(home / "trash/two.mp3"));
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Current().name, u"three");
    EXPECT_EQ(list.CurIndex(), 1); // found again after the removal
    EXPECT_EQ(host.trackNumbers, std::vector<int>{2});
    EXPECT_TRUE(host.playing);

    // A trashed file leaves the list even when the next track can't be opened.
    host.onStep = [](int) { return false; };
    EXPECT_TRUE(opener.DeleteCurrentFile());
    EXPECT_EQ(list.Count(), 1);
    EXPECT_TRUE(std::filesystem::exists(home / "trash/three.mp3"));
    EXPECT_FALSE(host.playing);
}

} // namespace
