#include "playlist/InstallDemo.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

const std::string kTrack = "OggS demo track bytes";
const std::string kLyrics = "[00:00.00]Sonvale Demo\n";

} // namespace

TEST(InstallDemoTest, CopiesBothFilesIntoANewDataFolder) {
    TempFolder folder;
    folder.Write("source/sonvale-demo.ogg", kTrack);
    folder.Write("source/sonvale-demo.lrc", kLyrics);

    const fs::path track = InstallDemo(folder / "data/sonvale", folder / "source");

    EXPECT_EQ(track, fs::path(folder / "data/sonvale/sonvale-demo.ogg"));
    EXPECT_EQ(folder.Read("data/sonvale/sonvale-demo.ogg"), kTrack);
    EXPECT_EQ(folder.Read("data/sonvale/sonvale-demo.lrc"), kLyrics);
    // Nothing else is left in the data folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "data/sonvale"), {}), 2);
}

TEST(InstallDemoTest, FilesAlreadyThereAreKept) {
    TempFolder folder;
    folder.Write("source/sonvale-demo.ogg", kTrack);
    folder.Write("source/sonvale-demo.lrc", kLyrics);
    folder.Write("data/sonvale-demo.lrc", "[00:01.00]my own timing\n");

    EXPECT_EQ(InstallDemo(folder / "data", folder / "source"),
              fs::path(folder / "data/sonvale-demo.ogg"));
    EXPECT_EQ(folder.Read("data/sonvale-demo.lrc"), "[00:01.00]my own timing\n");
    EXPECT_EQ(folder.Read("data/sonvale-demo.ogg"), kTrack);

    // A second start changes nothing, even when the source has changed.
    folder.Write("source/sonvale-demo.ogg", "another track");
    EXPECT_FALSE(InstallDemo(folder / "data", folder / "source").empty());
    EXPECT_EQ(folder.Read("data/sonvale-demo.ogg"), kTrack);
}

TEST(InstallDemoTest, MissingSourcesAndBadFoldersGiveNoTrack) {
    TempFolder folder;
    // No source at all: no track, and no partial file.
    EXPECT_TRUE(InstallDemo(folder / "data", folder / "nowhere").empty());
    EXPECT_FALSE(fs::exists(folder / "data/sonvale-demo.ogg"));
    EXPECT_FALSE(fs::exists(folder / "data/sonvale-demo.ogg.part"));

    // Lyrics without a track: the lyrics come, the track doesn't.
    folder.Write("lyrics-only/sonvale-demo.lrc", kLyrics);
    EXPECT_TRUE(InstallDemo(folder / "data", folder / "lyrics-only").empty());
    EXPECT_EQ(folder.Read("data/sonvale-demo.lrc"), kLyrics);

    // A track without lyrics still installs.
    folder.Write("track-only/sonvale-demo.ogg", kTrack);
    EXPECT_FALSE(InstallDemo(folder / "data2", folder / "track-only").empty());
    EXPECT_FALSE(fs::exists(folder / "data2/sonvale-demo.lrc"));

    // The data folder is a file.
    folder.Write("plain-file", "x");
    EXPECT_TRUE(InstallDemo(folder / "plain-file", folder / "track-only").empty());
}

// The demo files this repository ships are where the installer looks for them.
TEST(InstallDemoTest, InstallsTheShippedDemo) {
    TempFolder folder;
    const fs::path source = fs::path(SONVALE_SOURCE_DIR) / "app/resources/demo";
    const fs::path track = InstallDemo(folder / "data", source);
    ASSERT_FALSE(track.empty());
    EXPECT_EQ(fs::file_size(track), fs::file_size(source / kDemoTrackName));
    EXPECT_EQ(fs::file_size(folder / "data/sonvale-demo.lrc"),
              fs::file_size(source / kDemoLyricsName));
}
