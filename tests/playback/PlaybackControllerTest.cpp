#include "playback/PlaybackController.h"

#include "engine/core/PlayerTypes.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Playlist.h"
#include "settings/SettingNames.h"

#include "tests/TempFolder.h"
#include "tests/playback/FakePlaybackParts.h"
#include "tests/playlist/FakePlaylistHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

using namespace setting;
using Button = PlaybackSink::Button;

namespace {

class PlaybackControllerTest : public ::testing::Test {
protected:
    PlaybackControllerTest() { ::setenv("SONVALE_HOME", home.Path().c_str(), 1); }
    ~PlaybackControllerTest() override { ::unsetenv("SONVALE_HOME"); }

    void Set(const NumberSetting& value, int32_t number) {
        profile.WriteProfileInt(kSettings, value.name, number);
    }
    int32_t Get(const NumberSetting& value) {
        return profile.GetProfileInt(kSettings, value.name, value.defaultValue);
    }

    FileInfo Entry(const std::string& name) {
        FileInfo entry;
        entry.path = home.File16("music/" + name);
        const size_t dot = name.find_last_of('.');
        entry.name = entry.title = TextCodec::Utf8ToUtf16(name.substr(0, dot));
        entry.ext = TextCodec::Utf8ToUtf16(name.substr(dot));
        return entry;
    }
    std::string Path(const std::string& name) { return home.File("music/" + name); }

    // A playlist of these entries with the first one current and open.
    void Load(const std::vector<std::string>& names, bool open = true) {
        for (const std::string& name : names)
            list.Add(Entry(name));
        list.SetListMode(names.size() > 1);
        list.SetCurIndex(0);
        list.Current() = *list.EntryAt(0);
        if (open) {
            ASSERT_TRUE(controller.OpenCurrent(true));
        }
    }
    void PlayAt(int ms) {
        controller.PlayCommand();
        ASSERT_TRUE(controller.IsPlaying());
        library.timeMs = engine.position = ms;
        controller.RunMonitor();
    }

    TempFolder home;
    Registry registry{home / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
    FakePlaylistHost host;
    Playlist list{profile, host};
    FakeLibrary library;
    FakeEngine engine;
    FakeUi ui;
    FakeMediaPlayer media;
    PlaybackController controller{profile, list, ui, ui, library, engine, &media};
};

TEST_F(PlaybackControllerTest, ShuffleWithTwoEntriesStepsInOrder) {
    Set(kShuffle, 1);
    Load({"a.mp3", "b.mp3"});
    controller.PlayCommand();
    controller.NextTrack();
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_EQ(library.opens.back().first, Path("b.mp3"));
    EXPECT_TRUE(controller.IsPlaying());
    controller.NextTrack();
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_EQ(library.opens.back().first, Path("a.mp3"));
    EXPECT_EQ(ui.trackNumber, 1);
}

TEST_F(PlaybackControllerTest, PreviousRestartsAfterFourSecondsElseStepsBack) {
    Load({"a.mp3", "b.mp3", "c.mp3"});
    controller.NextTrack();
    PlayAt(5000);
    controller.PreviousTrack();
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_EQ(library.setTimes.back(), 0);
    EXPECT_EQ(controller.PositionMs(), 0);

    library.timeMs = 4000;
    controller.RunMonitor();
    const size_t opens = library.opens.size();
    controller.PreviousTrack();
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_EQ(library.opens.size(), opens + 1);
    EXPECT_EQ(library.opens.back().first, Path("a.mp3"));
}

TEST_F(PlaybackControllerTest, LastTrackEndingWithoutRepeatOpensTheFirstButDoesNotPlay) {
    Set(kRepeat, 0);
    Load({"a.mp3", "b.mp3"});
    controller.NextTrack();
    PlayAt(119999);
    EXPECT_TRUE(controller.IsPlaying());
    library.timeMs = 120000; // the whole second reaches the duration: the monitor ends the track
    controller.RunMonitor();
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_EQ(library.opens.back().first, Path("a.mp3"));
    EXPECT_TRUE(controller.IsLoaded());
    EXPECT_FALSE(controller.IsPlaying());

    // With "Repeat" on the first entry plays.
    Set(kRepeat, 1);
    controller.NextTrack();
    PlayAt(120000);
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_TRUE(controller.IsPlaying());
}

TEST_F(PlaybackControllerTest, VbrFileReopensOnceWithExactLengthAndShowsTheNoteOnce) {
    library.lengthMs = 100000;
    library.exactLengthMs = 97000; // still off: no second reopen
    engine.duration = 103000;
    Load({"vbr.mp3"});
    ASSERT_EQ(library.opens.size(), 2u);
    EXPECT_EQ(library.opens[0].second, 0x80151u);
    EXPECT_EQ(library.opens[1].second, 0x80151u | 0x20000u);
    ASSERT_EQ(ui.bubbles.size(), 1u);
    EXPECT_EQ(ui.bubbles[0].title, u"Sonvale Alarm");
    EXPECT_TRUE(ui.bubbles[0].text.starts_with(u"<HTML><BODY>The MP3 file of VBR form"));
    EXPECT_EQ(ui.bubblesRemoved, 1);
    EXPECT_EQ(controller.DurationMs(), 97000);
    EXPECT_EQ(list.Current().playTime, u"01:37");

    // 2999 ms apart is close enough; other extensions are never reopened.
    library.opens.clear();
    library.lengthMs = 100001;
    controller.OpenCurrent(true);
    EXPECT_EQ(library.opens.size(), 1u);
    list.Current() = Entry("long.ogg");
    library.lengthMs = 50000;
    controller.OpenCurrent(true);
    EXPECT_EQ(library.opens.size(), 2u);
    EXPECT_EQ(ui.bubbles.size(), 1u);
}

TEST_F(PlaybackControllerTest, UrlEntryPlaysThroughTheEngineWithEitherDecoder) {
    Set(kUseDefaultDecoder, 1);
    list.Current().path = list.Current().name = u"http://127.0.0.1:8000/live";
    list.Current().ext = u".url";
    ASSERT_TRUE(controller.OpenCurrent(true));
    EXPECT_TRUE(controller.StreamMode());
    EXPECT_EQ(engine.urlOpens, std::vector<std::u16string>{u"http://127.0.0.1:8000/live"});
    EXPECT_TRUE(library.opens.empty());
    EXPECT_FALSE(ui.seekSliderShown);
    ASSERT_FALSE(ui.statuses.empty());
    EXPECT_EQ(ui.statuses.back().text, u"Connecting...");
    EXPECT_EQ(ui.statuses.back().ms, 1000);
    EXPECT_EQ(controller.DurationMs(), 5940000);

    controller.PlayCommand();
    EXPECT_EQ(engine.plays, 1);
    EXPECT_EQ(library.plays, 0);
    controller.PauseCommand(); // a stream pauses by stopping
    EXPECT_EQ(engine.stops, 1);
}

TEST_F(PlaybackControllerTest, SectionRepeatKeepsThePositionBetweenAAndB) {
    Load({"a.mp3"});
    controller.SetSectionMarks(2, 100, 200);
    PlayAt(15000);
    EXPECT_TRUE(library.setTimes.empty() || library.setTimes.back() != 10000);
    library.timeMs = 25000; // sought past B
    controller.RunMonitor();
    ASSERT_FALSE(library.setTimes.empty());
    EXPECT_EQ(library.setTimes.back(), 10000);
    EXPECT_EQ(ui.seekPos, 100);
    library.timeMs = 9000;
    controller.RunMonitor();
    EXPECT_EQ(library.setTimes.back(), 10000);
    // The library played out before the monitor saw B: the section starts again on a channel.
    library.reportsEnd = library.playedOut = true;
    library.timeMs = 19900;
    const int plays = library.plays;
    controller.RunMonitor();
    EXPECT_EQ(library.setTimes.back(), 10000);
    EXPECT_EQ(library.plays, plays + 1);
    EXPECT_TRUE(controller.IsPlaying());

    // With the marks set no end of track is seen, even at the end.
    library.timeMs = 120000;
    controller.SetSectionMarks(1, 100, 0);
    controller.RunMonitor();
    EXPECT_TRUE(controller.IsPlaying());
    EXPECT_EQ(ui.seekPos, 1200);
}

TEST_F(PlaybackControllerTest, EndOfTrackComesFromEngineMediaPlayerAndMonitor) {
    Set(kUseDefaultDecoder, 0);
    Load({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    controller.PlayCommand();
    // An engine stop with only the error bit is no end.
    controller.HandleMessage(WM_PLAYER_STATUS, PlayerStatusStop, kPlayerStoppedOnError);
    EXPECT_EQ(list.CurIndex(), 0);
    controller.HandleMessage(WM_PLAYER_STATUS, PlayerStatusStop, kPlayerStoppedAtEnd);
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_TRUE(controller.IsPlaying());
    // The media player's notices are not the engine's.
    controller.HandleMessage(PlaybackController::kMediaPlayerNotice, 2, media.tag);
    EXPECT_EQ(list.CurIndex(), 1);
    engine.position = 120000;
    controller.RunMonitor();
    EXPECT_EQ(list.CurIndex(), 2);
    EXPECT_TRUE(controller.IsPlaying());
    EXPECT_EQ(engine.fileOpens.back(), list.EntryAt(2)->path);

    // Nothing ends while paused.
    controller.PauseCommand();
    controller.HandleMessage(WM_PLAYER_STATUS, PlayerStatusStop, kPlayerStoppedAtEnd);
    EXPECT_EQ(list.CurIndex(), 2);
    EXPECT_FALSE(controller.HandleMessage(0x401, 0, 0));
}

TEST_F(PlaybackControllerTest, WindowsMediaPlaysInTheControlOrInTheEngine) {
    // With the library's setting the control plays, and its notices count only for its last
    // open; the engine's tag reader names the entry.
    Set(kUseDefaultDecoder, 1);
    engine.tagTitle = u"Tagged";
    Load({"a.wma", "b.asf", "c.wma"});
    EXPECT_EQ(media.opens.size(), 1u);
    EXPECT_TRUE(library.opens.empty());
    EXPECT_EQ(list.Current().title, u"Tagged");
    EXPECT_EQ(ui.seekRange, PlaybackController::kUnknownDurationMs / 100);
    controller.PlayCommand();
    controller.HandleMessage(PlaybackController::kMediaPlayerNotice, 2, media.tag - 1);
    EXPECT_EQ(list.CurIndex(), 0);
    media.duration = 42000;
    controller.HandleMessage(PlaybackController::kMediaPlayerNotice, 1, media.tag);
    EXPECT_EQ(ui.seekRange, 420);
    controller.HandleMessage(PlaybackController::kMediaPlayerNotice, 2, media.tag);
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_EQ(media.opens.back(), list.EntryAt(1)->path);
    EXPECT_EQ(media.plays, 2);

    // A control that can't be set up leaves the file to the engine's plug-in, without the
    // library's measure.
    media.ready = false;
    controller.NextTrack();
    EXPECT_EQ(controller.CurrentMode(), PlaybackController::Mode::Engine);
    EXPECT_EQ(engine.fileOpens.back(), list.EntryAt(2)->path);
    EXPECT_TRUE(library.opens.empty());
    EXPECT_TRUE(controller.IsPlaying());
    EXPECT_EQ(ui.seekRange, 1200);
}

TEST_F(PlaybackControllerTest, RepeatOneAndSingleEntryPlayTheSameTrackAgain) {
    Set(kRepeat, 1);
    Set(kRepeatType, 1);
    Load({"a.mp3", "b.mp3"});
    PlayAt(120000);
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_TRUE(controller.IsPlaying());
    EXPECT_EQ(library.plays, 2);
}

TEST_F(PlaybackControllerTest, FailedOpenStopsTheAdvance) {
    Load({"a.mp3", "b.mp3", "c.mp3"});
    library.failingPaths[Path("b.mp3")] = 10;
    PlayAt(120000);
    EXPECT_EQ(list.CurIndex(), 1);
    EXPECT_TRUE(controller.OpenError());
    EXPECT_FALSE(controller.IsPlaying());
    EXPECT_FALSE(ui.seekSliderShown);
    // What failed is on the display with nothing of the track before; Play can try again.
    EXPECT_EQ(ui.titles.back(), list.EntryAt(1)->title);
    EXPECT_EQ(ui.rate, u"00");
    EXPECT_EQ(ui.bitrate, u"000");
    EXPECT_TRUE(ui.buttons[Button::Play]);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, u"File open failed:10 (" + list.EntryAt(1)->path + u")");
    EXPECT_EQ(ui.boxes[0].title, u"Decoder Error");

    const size_t opens = library.opens.size();
    controller.RunMonitor();
    controller.HandleMessage(WM_PLAYER_STATUS, PlayerStatusStop, kPlayerStoppedAtEnd);
    EXPECT_EQ(library.opens.size(), opens);
    EXPECT_EQ(list.CurIndex(), 1);

    // Play tries again and says so again; the next command that picks a track clears it.
    controller.PlayCommand();
    EXPECT_EQ(ui.boxes.size(), 2u);
    EXPECT_FALSE(controller.IsPlaying());
    controller.NextTrack();
    EXPECT_FALSE(controller.OpenError());
    EXPECT_TRUE(controller.IsPlaying());
}

// A station that can't be reached is said to be so; no format is shown that was not received.
TEST_F(PlaybackControllerTest, AStationThatCannotBeReachedIsReported) {
    list.Current().path = list.Current().name = list.Current().title = u"http://127.0.0.1:9/";
    list.Current().ext = u".url";
    ASSERT_TRUE(controller.OpenCurrent(true));
    EXPECT_EQ(ui.rate, u"00");
    EXPECT_EQ(ui.bitrate, u"000");
    controller.PlayCommand();
    ASSERT_TRUE(controller.IsPlaying());
    controller.HandleMessage(WM_PLAYER_STATUS, PlayerStatusStop, kPlayerStoppedOnError);
    EXPECT_FALSE(controller.IsPlaying());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, u"Connection failed (http://127.0.0.1:9/)");
    EXPECT_EQ(ui.statuses.back().text, u"Connection failed");

    // A station that plays shows what it sends.
    ASSERT_TRUE(controller.OpenCurrent(true));
    controller.PlayCommand();
    engine.streamingState = 4;
    controller.RunMonitor();
    EXPECT_EQ(ui.rate, u"44");
    EXPECT_EQ(ui.bitrate, u"128");
    EXPECT_EQ(ui.boxes.size(), 1u);
}

// Whatever built the list, Previous and Next follow the number of entries.
TEST_F(PlaybackControllerTest, PreviousAndNextFollowTheNumberOfEntries) {
    Load({"a.mp3", "b.mp3"});
    EXPECT_TRUE(ui.buttons[Button::Previous]);
    EXPECT_TRUE(ui.buttons[Button::Next]);
    list.Clear();
    Load({"a.mp3"});
    EXPECT_FALSE(ui.buttons[Button::Previous]);
    EXPECT_FALSE(ui.buttons[Button::Next]);
}

TEST_F(PlaybackControllerTest, EntriesWithMissingFilesAreSteppedOver) {
    Set(kRepeat, 1);
    Load({"a.mp3", "b.mp3", "c.mp3", "d.mp3"});
    for (int i : {1, 3}) // no file is made for them: they stay missing
        list.SetMissingAt(i, true);
    controller.PlayCommand();
    controller.NextTrack();
    EXPECT_EQ(list.CurIndex(), 2);
    EXPECT_EQ(library.opens.back().first, Path("c.mp3"));
    EXPECT_TRUE(controller.IsPlaying());
    // The end of the list wraps past the last entry to the first one.
    PlayAt(120000);
    EXPECT_EQ(list.CurIndex(), 0);
    EXPECT_EQ(library.opens.back().first, Path("a.mp3"));
    controller.PreviousTrack();
    EXPECT_EQ(list.CurIndex(), 2);
    EXPECT_EQ(ui.trackNumber, 3);

    // A file that came back is played again.
    home.Write("music/d.mp3", "back");
    controller.NextTrack();
    EXPECT_EQ(list.CurIndex(), 3);
    for (int i = 0; i < list.Count(); ++i)
        list.SetMissingAt(i, list.PathAt(i) != home.File16("music/d.mp3"));
    controller.NextTrack(); // past the end the first entry with a file is this one again
    EXPECT_EQ(list.CurIndex(), 3);
    // With every file gone the step still ends.
    std::filesystem::remove(home / "music/d.mp3");
    list.SetMissingAt(3, true);
    controller.PreviousTrack();
    EXPECT_LT(list.CurIndex(), 4);
}

TEST_F(PlaybackControllerTest, OpenErrorTexts) {
    Load({"a.mp3"}, false);
    const std::u16string path = list.Current().path;

    library.giveStream = false;
    library.error = 9;
    EXPECT_FALSE(controller.OpenCurrent(true));
    library.giveStream = true;
    library.failingPaths[Path("a.mp3")] = 11;
    EXPECT_FALSE(controller.OpenCurrent(true));
    library.failingPaths[Path("a.mp3")] = 14;
    EXPECT_FALSE(controller.OpenCurrent(true));
    library.failingPaths.clear();
    library.openStates = {-2};
    controller.SetOpenTimeout(std::chrono::milliseconds(5));
    EXPECT_FALSE(controller.OpenCurrent(true));

    ASSERT_EQ(ui.boxes.size(), 4u);
    EXPECT_EQ(ui.boxes[0].text, u"File not found (" + path + u")");
    EXPECT_EQ(ui.boxes[1].text, u"Error loading file (" + path + u")");
    EXPECT_EQ(ui.boxes[2].text, u"File open failed:14 (" + path + u")");
    EXPECT_EQ(ui.boxes[3].text, u"File loading timeout (" + path + u")");
    EXPECT_EQ(ui.boxes[3].title, u"Decoder Error");
    EXPECT_TRUE(ui.posts.empty());
}

TEST_F(PlaybackControllerTest, StopWhileTheLibraryOpensCancelsTheOpenQuietly) {
    Load({"a.mp3"}, false);
    library.openStates = {1}; // never ready
    ui.onWaitStep = [this] {
        EXPECT_TRUE(controller.Opening());
        if (ui.waitSteps == 3)
            controller.CancelOpen();
    };
    EXPECT_FALSE(controller.OpenCurrent(true));
    EXPECT_EQ(ui.waitSteps, 3);
    EXPECT_FALSE(controller.Opening());
    EXPECT_FALSE(library.open);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_FALSE(controller.OpenError());
    EXPECT_TRUE(ui.buttons[PlaybackSink::Button::Play]); // ready to try again
    EXPECT_EQ(ui.waits, ui.waitEnds);

    ui.onWaitStep = nullptr;
    library.openStates = {0};
    EXPECT_TRUE(controller.OpenCurrent(true));
}

TEST_F(PlaybackControllerTest, FailedOpenAfterDecoderRestartRestartsTheProgram) {
    Load({"a.mp3"}, false);
    list.SetCurPlayPos(42000);
    Set(kResume, 0);
    Set(kSaveDefList, 0);
    controller.SetDecoderRestarted(true);
    library.failingPaths[Path("a.mp3")] = 11;
    EXPECT_FALSE(controller.OpenCurrent(true));
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(ui.posts, std::vector<uint32_t>{PlaybackController::kRestartProgram});
    EXPECT_EQ(Get(kCurPlayPos), 42000);
    EXPECT_EQ(Get(kResume), 1);
    EXPECT_EQ(Get(kSaveDefList), 1);
}

TEST_F(PlaybackControllerTest, StreamMonitorTexts) {
    list.Current().path = list.Current().name = list.Current().title = u"http://h/live";
    list.Current().ext = u".url";
    ASSERT_TRUE(controller.OpenCurrent(true));
    controller.PlayCommand();
    ui.statuses.clear();

    engine.streamingState = 2;
    controller.RunMonitor();
    engine.streamingState = 3;
    engine.buffered = 8;
    controller.RunMonitor();
    engine.buffered = 40;
    controller.RunStreamMonitor();
    engine.buffered = 16;
    controller.RunMonitor();
    ASSERT_EQ(ui.statuses.size(), 4u);
    EXPECT_EQ(ui.statuses[0].text, u"Connecting...");
    EXPECT_EQ(ui.statuses[0].ms, 600);
    EXPECT_EQ(ui.statuses[1].text, u"Buffering... (25%)");
    EXPECT_EQ(ui.statuses[2].text, u"Buffering... (100%)");
    EXPECT_EQ(ui.statuses[3].text, u"Buffering... (50%)");

    engine.streamingState = 4;
    engine.streamTitle = u"Artist - Song";
    engine.position = 7500;
    controller.RunMonitor();
    EXPECT_EQ(list.Current().title, u"Artist - Song");
    EXPECT_EQ(ui.titles.back(), u"Artist - Song");
    EXPECT_EQ(ui.panelTime, 7);
    engine.streamingState = 1;
    controller.RunMonitor();
    EXPECT_FALSE(controller.IsPlaying());
}

TEST_F(PlaybackControllerTest, TrailingSilenceEndsTheTrackOnTheFourthReading) {
    Set(kRemoveZeroSample, 1);
    Set(kRepeat, 0);
    Load({"a.mp3"});
    PlayAt(100000); // 20 s left: levels are not read yet
    library.levels = 0.0f;
    controller.RunMonitor();
    library.timeMs = 111000;
    for (int reading = 1; reading <= 3; ++reading)
        controller.RunMonitor();
    EXPECT_TRUE(controller.IsPlaying());
    controller.RunMonitor();
    EXPECT_FALSE(controller.IsPlaying());
}

TEST_F(PlaybackControllerTest, VolumeGoesToTheLibraryOrTheDevice) {
    Set(kUseSystemVolume, 0);
    controller.SetVolume(10, 20);
    Load({"a.mp3"});
    controller.PlayCommand();
    EXPECT_EQ(library.volumes.back(), 127);
    Set(kUseDefaultDecoder, 0);
    controller.ApplyVolume();
    EXPECT_EQ(engine.volumes.back(), 0x7FFF7FFFu);
    Set(kUseSystemVolume, 1);
    controller.ApplyVolume();
    EXPECT_EQ(ui.waveOutVolumes.back(), 0x7FFF7FFFu);
    EXPECT_EQ(library.volumes.back(), 255);
    EXPECT_EQ(engine.volumes.back(), 0xFFFFFFFFu);

    // The stored step is the start value.
    Set(kVolumeRange, 20);
    Set(kVolume, 5);
    PlaybackController fresh(profile, list, ui, ui, library, engine);
    fresh.ApplyVolume();
    EXPECT_EQ(ui.waveOutVolumes.back(), 0x3FFF3FFFu);
}

TEST_F(PlaybackControllerTest, SpeedSetsTheChannelFrequency) {
    Load({"a.mp3"});
    controller.SetSpeed(1.35);
    controller.PlayCommand();
    EXPECT_EQ(library.frequencies.back(), 59535);
    EXPECT_TRUE(controller.SpeedStep(+1));
    EXPECT_DOUBLE_EQ(controller.Speed(), 1.4);
    controller.SpeedStep(+1);
    EXPECT_DOUBLE_EQ(controller.Speed(), 1.4);
    EXPECT_EQ(library.frequencies.back(), 61739); // 44100 x 1.4, truncated
    Set(kUseDefaultDecoder, 0);
    EXPECT_FALSE(controller.SpeedStep(-1));
}

TEST_F(PlaybackControllerTest, RepeatPopupAndToggle) {
    Load({"a.mp3"}, false);
    Set(kRepeat, 1);
    Set(kRepeatType, 2);
    controller.RepeatCommand(); // single entry: off, type saved
    EXPECT_EQ(Get(kRepeat), 0);
    EXPECT_EQ(Get(kRepeatType), 0);
    controller.RepeatCommand();
    EXPECT_EQ(Get(kRepeat), 1);
    EXPECT_EQ(Get(kRepeatType), 2);

    list.SetListMode(true);
    ui.repeatChoice = PlaybackController::kRepeatOne;
    controller.RepeatCommand();
    EXPECT_EQ(Get(kRepeat), 1);
    EXPECT_EQ(Get(kRepeatType), 1);
    controller.RepeatChoice(PlaybackController::kRepeatNone);
    EXPECT_EQ(Get(kRepeat), 0);
    EXPECT_EQ(Get(kRepeatType), 0);
}

TEST_F(PlaybackControllerTest, FastForwardNearTheEndDoesNothingAndRewindStopsAtZero) {
    Load({"a.mp3"});
    PlayAt(116000);
    EXPECT_FALSE(controller.FastForward());
    EXPECT_EQ(controller.PositionMs(), 116000);
    library.timeMs = 3000;
    controller.RunMonitor();
    EXPECT_TRUE(controller.Rewind());
    EXPECT_EQ(library.setTimes.back(), 0);
    EXPECT_TRUE(controller.FastForward());
    EXPECT_EQ(library.setTimes.back(), 5000);
    EXPECT_EQ(library.pauses, library.unpauses);
}

} // namespace
