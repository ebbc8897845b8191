#include "lyrics/ui/LyricsDownloadDialog.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/LoopbackServer.h"
#include "tests/TempFolder.h"
#include "tests/lyrics/LyricsStandIn.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace setting;

namespace {

class LyricsDownloadDialogTest : public ::testing::Test {
protected:
    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};

    // A copy of an MP3 fixture in the test's folder, as a playlist entry.
    FileInfo Track(const std::string& fixture, const std::string& name) {
        std::ifstream in(std::string(SONVALE_FIXTURES) + "/" + fixture, std::ios::binary);
        const std::string path =
            folder.Write("music/" + name + ".mp3", std::string(std::istreambuf_iterator<char>(in),
                                                               std::istreambuf_iterator<char>()));
        FileInfo entry;
        entry.path = std::filesystem::path(path).u16string();
        entry.name = entry.title = std::filesystem::path(name).u16string();
        entry.ext = u".mp3";
        return entry;
    }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(folder.File("music/" + name));
    }
};

// Two tracks the service knows get their LRC files; the one it does not know ends with its own
// result and no file. The options are written when the download starts.
TEST_F(LyricsDownloadDialogTest, DownloadsEachTrackAndShowsWhatEachGot) {
    LyricsStandIn service;
    // LRCLIB knows the tagged track by its title; others get 404 (the untagged one is not asked).
    LoopbackServer lrclib([](LoopbackServer& server, int fd) {
        if (server.Request().find("track_name=Fixture%20Title") == std::string::npos) {
            LoopbackServer::Send(fd, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            return;
        }
        const std::string body = R"({"syncedLyrics":"[00:02.00] Other\n","plainLyrics":"Other"})";
        LoopbackServer::Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                                 "Content-Length: " +
                                     std::to_string(body.size()) + "\r\n\r\n" + body);
    });
    Settings::Set(profile, kLyricsServer, TextCodec::Utf8ToUtf16(service.Host()));
    Settings::Set(profile, kLrclibServer, TextCodec::Utf8ToUtf16(lrclib.Url("/")));
    std::vector<FileInfo> tracks = {Track("mpeg1-l3-cbr-info.mp3", "one"),
                                    Track("mpeg1-l3-vbr-xing.mp3", "unknown"),
                                    Track("mpeg1-l3-id3v2.mp3", "two")};
    service.Know(folder.File("music/one.mp3"), "[00:01.00]First&lt;br&gt;[00:01.00]second");

    LyricsDownloadDialog dialog(profile, tracks);
    QStringList written;
    QObject::connect(&dialog, &LyricsDownloadDialog::LyricsWritten,
                     [&written](const QString& path) { written << path; });
    EXPECT_TRUE(dialog.SecondLine()->isChecked());
    EXPECT_TRUE(dialog.ThirdLine()->isChecked());
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(0), "unknown");
    dialog.SecondLine()->setChecked(false);
    dialog.show();
    dialog.DownloadButton()->click();
    EXPECT_EQ(Settings::Get(profile, kAppendSecondLine), 0);
    EXPECT_EQ(Settings::Get(profile, kAppendThirdLine), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Busy(); }, 20000));

    EXPECT_EQ(service.Calls(), 3);
    EXPECT_GE(lrclib.Connections(), 1); // the second service found "two"
    using Result = LyricsDownloadDialog::Result;
    EXPECT_EQ(dialog.ResultOf(0), Result::Saved);
    EXPECT_EQ(dialog.ResultOf(1), Result::NotReceived);
    EXPECT_EQ(dialog.ResultOf(2), Result::Saved);
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(1), "Lyrics saved");
    EXPECT_EQ(dialog.List()->topLevelItem(1)->text(1), "No lyrics received");
    EXPECT_TRUE(Exists("one.lrc"));
    EXPECT_FALSE(Exists("unknown.lrc"));
    EXPECT_TRUE(Exists("two.lrc"));
    EXPECT_NE(folder.Read("music/two.lrc").find(std::string("O\0t\0h\0e\0r\0", 10)),
              std::string::npos);
    EXPECT_EQ(written, QStringList({QString::fromStdU16String(tracks[0].path),
                                    QString::fromStdU16String(tracks[2].path)}));
    // The second line of the group was left out, as the option said.
    EXPECT_EQ(folder.Read("music/one.lrc").find(std::string("s\0e\0c\0o\0n\0d\0", 12)),
              std::string::npos);
    EXPECT_EQ(dialog.CloseButton()->text(), "Close");
    dialog.CloseButton()->click();
    EXPECT_FALSE(dialog.isVisible());
}

// A service that never answers: Cancel stops before the next track while the window goes on
// working; the track being fetched ends at the client's time limit, with its result.
TEST_F(LyricsDownloadDialogTest, CancelStopsBeforeTheNextTrackWhileTheServiceIsSilent) {
    LyricsStandIn service(true);
    Settings::Set(profile, kLyricsServer, TextCodec::Utf8ToUtf16(service.Host()));
    Settings::Set(profile, kLyricsSources, std::u16string(u"soap"));
    LyricsServiceLimits limits;
    limits.totalTimeoutMs = 1500;
    LyricsDownloadDialog dialog(
        profile, {Track("mpeg1-l3-cbr-info.mp3", "one"), Track("mpeg1-l3-id3v2.mp3", "two")},
        nullptr, limits);
    dialog.show();
    dialog.DownloadButton()->click();
    using Result = LyricsDownloadDialog::Result;
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.Calls() == 1; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.ResultOf(0) == Result::Downloading; }));
    EXPECT_EQ(dialog.List()->topLevelItem(0)->text(1), "Downloading...");

    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.ResultOf(1), Result::Cancelled);
    EXPECT_FALSE(dialog.CloseButton()->isEnabled());
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start(50);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog.Busy(); }, 10000));
    EXPECT_GE(ticks, 5); // the window answered while the call waited
    EXPECT_EQ(dialog.ResultOf(0), Result::NotReceived);
    EXPECT_EQ(dialog.ResultOf(1), Result::Cancelled);
    EXPECT_EQ(service.Calls(), 1);
    EXPECT_FALSE(Exists("one.lrc"));
    EXPECT_TRUE(dialog.CloseButton()->isEnabled());
    EXPECT_EQ(dialog.CloseButton()->text(), "Close");
}

} // namespace
