#include "session/PlayerSession.h"

#include "input/KeyMap.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playlist/Playlist.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include "tests/TempFolder.h"
#include "tests/session/FakeSessionParts.h"

#include <gtest/gtest.h>

#include <functional>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

using namespace setting;
using Button = PlaybackSink::Button;
using Control = PlayerObserver::Control;

namespace {

constexpr uint32_t kUpKey = 38;       // the default map: Volume Up
constexpr uint32_t kButton1Key = 193; // the default map: Hold On/Off

class PlayerSessionTest : public ::testing::Test {
protected:
    PlayerSessionTest() {
        ::setenv("SONVALE_HOME", home.Path().c_str(), 1);
        session.AddObserver(observer);
    }
    ~PlayerSessionTest() override {
        session.Shutdown(); // the lists go to the data folder of this test
        ::unsetenv("SONVALE_HOME");
    }

    // A fixture file copied into the test's music folder; its path.
    std::u16string Music(const std::string& fixture, const std::string& name) {
        std::filesystem::create_directories(home / "music");
        std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/" + fixture,
                                   home / ("music/" + name));
        return home.File16("music/" + name);
    }

    // Starts with `commandLine` and runs the start-up from the message queue.
    void StartWith(const std::u16string& commandLine) {
        ASSERT_TRUE(session.Start(commandLine));
        sink.Pump(session);
    }

    // Ticks until the snapshot shows `seconds` elapsed, or gives up after a few seconds.
    bool TickUntilElapsed(int seconds) {
        return TickUntil([&](const PlayerState& s) { return s.elapsedSeconds == seconds; });
    }
    bool TickUntil(const std::function<bool(const PlayerState&)>& shown) {
        for (int i = 0; i < 2000; ++i) {
            session.OnTick();
            if (shown(session.State()))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    TempFolder home;
    Registry registry{home / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
    FakeSessionUi ui;
    QueueSink sink;
    RecordingObserver observer;
    std::unique_ptr<FakeAudioSystem> made = std::make_unique<FakeAudioSystem>();
    FakeAudioSystem& audio = *made;
    PlayerSession session{profile, ui, sink, [this](FmodView&) { return std::move(made); }};
};

TEST_F(PlayerSessionTest, StartFailsWhenTheAudioFails) {
    audio.startResult = false;
    EXPECT_FALSE(session.Start(u""));
    EXPECT_EQ(session.FailureText().English(), u"No sound device");
    EXPECT_EQ(session.FailureTitle().English(), u"Audio");
    EXPECT_FALSE(session.Running());
    EXPECT_FALSE(session.Run(Command::Play));
    session.Shutdown(); // nothing started: nothing to write
    EXPECT_EQ(profile.GetProfileInt(kSettings, kSystemVolume, -1), -1);
}

TEST_F(PlayerSessionTest, StartOpensTheFileOfTheCommandLineAndTheCommandsPlayAndStop) {
    Settings::Set(profile, kSaveDefList, 0);
    profile.WriteProfileInt(kSettings, kSystemVolume, 0x40004000);
    const std::u16string path = Music("tag-id3v23.mp3", "song.mp3");
    StartWith(u"\"" + path + u"\"");
    EXPECT_TRUE(audio.tickActive);
    ASSERT_FALSE(audio.outputVolumes.empty());
    EXPECT_EQ(audio.outputVolumes.front(), 0x40004000u);

    PlayerState state = session.State();
    EXPECT_EQ(state.titleEntry.title, u"Fixture Title");
    EXPECT_EQ(state.titleEntry.path, path);
    EXPECT_EQ(state.totalSeconds, 120);
    EXPECT_EQ(state.seekMaximum, 1200);
    EXPECT_TRUE(state.playing); // a file named at start plays
    EXPECT_EQ(state.buttons[static_cast<int>(Button::Play)], 0);
    EXPECT_EQ(state.buttons[static_cast<int>(Button::Pause)], 1);
    EXPECT_EQ(state.trackNumber, 1);
    ASSERT_FALSE(audio.library.opens.empty());
    EXPECT_EQ(audio.library.opens.back().first, home.File("music/song.mp3"));

    EXPECT_TRUE(session.Run(Command::Stop));
    state = session.State();
    EXPECT_FALSE(state.playing);
    EXPECT_EQ(state.panel, PlaybackSink::PanelState::Stop);
    EXPECT_EQ(state.buttons[static_cast<int>(Button::Play)], 1);
    const int changes = observer.changes;
    EXPECT_TRUE(session.Run(Command::Play));
    state = session.State();
    EXPECT_TRUE(state.playing);
    EXPECT_EQ(state.panel, PlaybackSink::PanelState::Play);
    EXPECT_TRUE(session.IsPlaying());
    EXPECT_GT(observer.changes, changes);
    EXPECT_TRUE(session.Run(Command::Stop));
    EXPECT_FALSE(session.State().playing);
    EXPECT_FALSE(session.IsPlaying());
}

TEST_F(PlayerSessionTest, AFileTheLibraryCannotOpenShowsABox) {
    const std::u16string path = Music("tag-id3v23.mp3", "bad.mp3");
    audio.library.failingPaths[home.File("music/bad.mp3")] = 19;
    StartWith(path);
    EXPECT_FALSE(session.IsPlaying());
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, u"File open failed:19 (" + path + u")");
}

TEST_F(PlayerSessionTest, MappedKeysRunTheirFunctionsAndTheHoldKeyBlocksThem) {
    KeyMap::WriteDefault(profile);
    StartWith(u"");
    const int before = session.State().volume;

    session.KeyDown(kUpKey);
    const int after = session.State().volume;
    EXPECT_GT(after, before);
    EXPECT_EQ(Settings::Get(profile, kVolume), after);
    ASSERT_FALSE(observer.Statuses().empty());
    EXPECT_TRUE(observer.Statuses().back().starts_with(u"Volume Change : "));
    ASSERT_FALSE(observer.Focused().empty());
    EXPECT_EQ(observer.Focused().back(), Control::Volume);

    session.KeyDown(kButton1Key);
    EXPECT_TRUE(session.State().hold);
    EXPECT_TRUE(session.IsHoldOn());
    session.KeyDown(kUpKey);
    EXPECT_EQ(session.State().volume, after);
    session.KeyDown(kButton1Key); // within the double-press time: without a double mapping, a press
    EXPECT_FALSE(session.State().hold);
    session.KeyDown(kUpKey);
    EXPECT_GT(session.State().volume, after);
}

TEST_F(PlayerSessionTest, AKeyWithADoublePressWaitsForTheKeyTimer) {
    KeyMap::Save(profile, {{65, 0, 9}, {65, 1, 20}}, true); // A: Volume Up; twice: Hold
    StartWith(u"");
    const int before = session.State().volume;
    session.KeyDown(65);
    EXPECT_EQ(session.State().volume, before);
    ASSERT_TRUE(ui.timers.contains(KeyDispatcher::kTimerId));
    session.Timer(KeyDispatcher::kTimerId);
    EXPECT_GT(session.State().volume, before);
    EXPECT_FALSE(ui.timers.contains(KeyDispatcher::kTimerId));
}

TEST_F(PlayerSessionTest, TheFirstStartWithNothingToPlayPlaysTheDemoFromTheResources) {
    std::ifstream in(std::string(SONVALE_FIXTURES) + "/tag-vorbis.ogg", std::ios::binary);
    const std::string ogg{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ui.resources = {{"demo/sonvale-demo.ogg", ogg}, {"demo/sonvale-demo.lrc", "[00:01.00]La\n"}};
    StartWith(u"");
    EXPECT_EQ(home.Read("demo/sonvale-demo.ogg"), ogg);
    EXPECT_EQ(session.State().titleEntry.path, home.File16("demo/sonvale-demo.ogg"));
    EXPECT_TRUE(session.IsPlaying());
    EXPECT_TRUE(session.State().syncedLyrics); // the demo's lyrics came along
    EXPECT_EQ(Settings::Get(profile, kDemoPlayed), 1);
}

TEST_F(PlayerSessionTest, ToggleCommandsChangeStateAndSettings) {
    StartWith(u"");
    EXPECT_TRUE(session.Run(Command::Shuffle));
    EXPECT_TRUE(session.State().shuffle);
    EXPECT_EQ(Settings::Get(profile, kShuffle), 1);
    EXPECT_TRUE(session.Run(Command::Shuffle));
    EXPECT_FALSE(session.State().shuffle);

    ASSERT_TRUE(session.State().repeat); // "Repeat" is on by default
    EXPECT_TRUE(session.Run(Command::Repeat));
    EXPECT_FALSE(session.State().repeat);
    EXPECT_EQ(Settings::Get(profile, kRepeat), 0);
    EXPECT_TRUE(session.Run(Command::RepeatAll));
    EXPECT_TRUE(session.State().repeat);
    EXPECT_EQ(Settings::Get(profile, kRepeatType), 2);

    EXPECT_TRUE(session.Run(Command::SpeedSectionButtons));
    EXPECT_EQ(session.State().buttonMode, 0);
    EXPECT_EQ(Settings::Get(profile, kButtonMode), 0);
    EXPECT_TRUE(session.Run(Command::ShuffleRepeatButtons));
    EXPECT_EQ(session.State().buttonMode, 1);
    EXPECT_EQ(Settings::Get(profile, kButtonMode), 1);

    EXPECT_TRUE(session.Run(Command::AlwaysOnTop));
    EXPECT_TRUE(session.State().alwaysOnTop);
    EXPECT_EQ(Settings::Get(profile, kAlwaysOnTop), 1);
    EXPECT_TRUE(session.Run(Command::AlwaysOnTop));
    EXPECT_FALSE(session.State().alwaysOnTop);

    EXPECT_TRUE(session.Run(Command::Exit));
    ASSERT_EQ(ui.actions.size(), 1u);
    EXPECT_EQ(ui.actions[0], SessionUi::WindowAction::Close);
}

// A changed "Use default decoder" starts the audio again on the built-in engine, back in the
// playing track; when the audio does not start again the program restarts.
TEST_F(PlayerSessionTest, SettingsRestartTheAudioWhenTheDecoderChoiceChanged) {
    Settings::Set(profile, kSaveDefList, 0);
    Settings::Set(profile, kResume, 0);
    const std::u16string path = Music("tag-id3v23.mp3", "song.mp3");
    StartWith(u"\"" + path + u"\"");
    ASSERT_TRUE(session.IsPlaying());

    ui.optionsAnswer = true;
    EXPECT_TRUE(session.Run(Command::Settings)); // nothing changed
    EXPECT_EQ(audio.starts, 1);

    ui.onOptions = [&] { Settings::Set(profile, kUseDefaultDecoder, 0); };
    EXPECT_TRUE(session.Run(Command::Settings));
    EXPECT_EQ(ui.optionPages.back(), SessionUi::kSettingsPages);
    EXPECT_EQ(audio.shutdowns, 1);
    EXPECT_EQ(audio.starts, 2);
    ASSERT_FALSE(audio.engine.fileOpens.empty());
    EXPECT_EQ(audio.engine.fileOpens.back(), path);
    EXPECT_TRUE(session.IsPlaying());

    audio.startResult = false;
    ui.onOptions = [&] { Settings::Set(profile, kUseDefaultDecoder, 1); };
    EXPECT_TRUE(session.Run(Command::Settings));
    EXPECT_EQ(Settings::Get(profile, kResume), 1); // the restarted program comes back here
    sink.Pump(session);
    ASSERT_FALSE(ui.actions.empty());
    EXPECT_EQ(ui.actions.back(), SessionUi::WindowAction::Restart);
}

TEST_F(PlayerSessionTest, MarkSectionSetsAThenBThenNone) {
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    session.SetSeekPos(100);
    session.Run(Command::MarkSection);
    EXPECT_EQ(session.State().markCount, 1);
    EXPECT_EQ(session.State().markA, 100);
    session.SetSeekPos(300);
    session.Run(Command::MarkSection);
    PlayerState state = session.State();
    EXPECT_EQ(state.markCount, 2);
    EXPECT_EQ(state.markA, 100);
    EXPECT_EQ(state.markB, 300);
    session.Run(Command::MarkSection);
    EXPECT_EQ(session.State().markCount, 0);

    // A skin whose seek slider takes no marks.
    session.SetSkinControls(true, true, false);
    session.Run(Command::MarkSection);
    EXPECT_EQ(session.State().markCount, 0);
}

TEST_F(PlayerSessionTest, OpenFilesAddsTheChosenFilesToThePlaylist) {
    ui.files = {Music("tag-id3v23.mp3", "one.mp3"), Music("tag-id3v1.mp3", "two.mp3")};
    StartWith(u"");
    EXPECT_TRUE(session.Run(Command::OpenFiles));
    ASSERT_EQ(session.List()->Count(), 2);
    EXPECT_EQ(session.List()->EntryAt(0)->path, ui.files[0]);
    EXPECT_EQ(session.List()->EntryAt(1)->path, ui.files[1]);
    EXPECT_EQ(session.List()->EntryAt(1)->title, u"Version One Title");
    EXPECT_EQ(Settings::Get(profile, kLastPath), home.File16("music"));
    EXPECT_EQ(session.State().titleEntry.path, ui.files[0]);
    EXPECT_TRUE(session.IsPlaying());

    // Deleting the current file asks first; Yes moves it to the trash, removes it from the
    // list and plays the next one.
    ui.answer = false;
    EXPECT_TRUE(session.Run(Command::DeleteFile));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(home / "music/one.mp3"));
    std::filesystem::create_directories(home / "trash");
    ui.trashFolder = home / "trash";
    ui.answer = true;
    EXPECT_TRUE(session.Run(Command::DeleteFile));
    EXPECT_FALSE(std::filesystem::exists(home / "music/one.mp3"));
    EXPECT_TRUE(std::filesystem::exists(home / "trash/one.mp3"));
    EXPECT_EQ(session.List()->Count(), 1);
    EXPECT_EQ(session.List()->Current().path, ui.files[1]);
    EXPECT_TRUE(session.IsPlaying());

    // The chooser starts where the last files were chosen.
    ui.files = {ui.files[1]};
    EXPECT_TRUE(session.Run(Command::OpenFiles));
    EXPECT_EQ(ui.chooserFolders.back(), home.File16("music"));
    EXPECT_EQ(session.State().titleEntry.title, u"Version One Title");
}

TEST_F(PlayerSessionTest, ASingleFileGoesToTheTrashOnlyWhenItCanAndLeavesNothingLoaded) {
    const std::u16string song = Music("tag-id3v23.mp3", "song.mp3");
    StartWith(song);
    ASSERT_TRUE(session.IsPlaying());

    // A file that can't be trashed is reported and stays, in the list and on disk.
    EXPECT_TRUE(session.Run(Command::DeleteFile));
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, u"The file \"" + song + u"\" could not be moved to the trash.");
    EXPECT_TRUE(std::filesystem::exists(home / "music/song.mp3"));
    EXPECT_EQ(session.List()->Current().path, song);
    EXPECT_TRUE(session.IsPlaying());

    std::filesystem::create_directories(home / "trash");
    ui.trashFolder = home / "trash";
    EXPECT_TRUE(session.Run(Command::DeleteFile));
    EXPECT_TRUE(std::filesystem::exists(home / "trash/song.mp3"));
    EXPECT_FALSE(std::filesystem::exists(home / "music/song.mp3"));
    EXPECT_TRUE(session.List()->Current().path.empty());
    EXPECT_EQ(session.List()->Count(), 0);
    EXPECT_FALSE(session.IsPlaying());
    EXPECT_TRUE(session.State().titleEntry.path.empty());
    // Play has nothing left to play: the trashed file was unloaded.
    const int plays = audio.library.plays;
    session.Run(Command::Play);
    EXPECT_FALSE(session.IsPlaying());
    EXPECT_EQ(audio.library.plays, plays);
    EXPECT_FALSE(audio.library.open);
}

TEST_F(PlayerSessionTest, TheStateShowsTheFavouritesSwitchAndTheCurrentEntrysFlag) {
    ui.files = {Music("tag-id3v23.mp3", "one.mp3"), Music("tag-id3v1.mp3", "two.mp3")};
    StartWith(u"");
    EXPECT_FALSE(session.State().favoritesEnabled);
    EXPECT_TRUE(session.Run(Command::OpenFiles));
    EXPECT_TRUE(session.State().currentFavorite); // new entries are favourites

    EXPECT_TRUE(session.Run(Command::AddFavorite));
    EXPECT_FALSE(session.State().currentFavorite);
    EXPECT_EQ(session.List()->EntryAt(0)->favorite, 0);
    EXPECT_EQ(session.List()->Current().favorite, 0);
    const std::vector<std::u16string> favorites = session.List()->Favorites();
    EXPECT_EQ(std::count(favorites.begin(), favorites.end(), ui.files[0]), 0);
    EXPECT_TRUE(session.Run(Command::AddFavorite));
    EXPECT_TRUE(session.State().currentFavorite);
    EXPECT_EQ(session.List()->Favorites().back(), ui.files[0]);

    // The next entry brings its own flag.
    session.List()->SetFavoriteAt(1, 0);
    EXPECT_TRUE(session.Run(Command::Next));
    EXPECT_EQ(session.List()->Current().path, ui.files[1]);
    EXPECT_FALSE(session.State().currentFavorite);

    EXPECT_TRUE(session.Run(Command::EnableFavorites));
    EXPECT_TRUE(session.State().favoritesEnabled);
    EXPECT_EQ(Settings::Get(profile, kEnableFavorites), 1);
}

TEST_F(PlayerSessionTest, TheTickWakesTheMonitorThatFollowsThePosition) {
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    ASSERT_TRUE(session.IsPlaying());
    audio.library.timeMs = audio.engine.position = 42500; // before the monitor runs
    ASSERT_TRUE(TickUntilElapsed(42));
    EXPECT_EQ(session.State().seekPosition, 425);
    sink.Pump(session);

    session.StartLevels();
    float left = 0, right = 0;
    EXPECT_TRUE(session.Levels(left, right));
    EXPECT_EQ(left, 0.5f); // the library's channel
    session.StopLevels();
    EXPECT_EQ(audio.levelMeter, (std::vector<bool>{true, false}));
}

TEST_F(PlayerSessionTest, ShutdownWritesTheExitSettingsOnce) {
    KeyMap::WriteDefault(profile);
    const std::u16string path = Music("tag-id3v23.mp3", "song.mp3");
    StartWith(path);
    session.KeyDown(kUpKey);
    const int volume = session.State().volume;
    session.SetOutputVolume(0x12341234);
    EXPECT_EQ(audio.outputVolumes.back(), 0x12341234u);

    session.Shutdown();
    EXPECT_FALSE(session.Running());
    EXPECT_EQ(audio.shutdowns, 1);
    EXPECT_FALSE(audio.library.open); // the controller closed its stream
    EXPECT_EQ(Settings::Get(profile, kVolume), volume);
    EXPECT_EQ(static_cast<uint32_t>(profile.GetProfileInt(kSettings, kSystemVolume, 0)),
              0x12341234u);
    EXPECT_EQ(Settings::Get(profile, kCurPlayFilePath), path);

    Settings::Set(profile, kVolume, 7);
    session.Shutdown();
    EXPECT_EQ(audio.shutdowns, 1);
    EXPECT_EQ(Settings::Get(profile, kVolume), 7);
    EXPECT_FALSE(session.Run(Command::Play));
    session.KeyDown(kUpKey);
    sink.Pump(session);
}

// While the library opens a file the window's events go on: Stop cancels the open, Exit cancels it
// and closes, other commands and the session's messages wait for the open to end.
TEST_F(PlayerSessionTest, OnlyStopAndExitReachASessionThatIsOpeningAFile) {
    const std::u16string first = Music("mpeg1-l3-cbr-plain.mp3", "first.mp3");
    const std::u16string second = Music("mpeg1-l3-cbr-info.mp3", "second.mp3");
    StartWith(u"");
    audio.library.openStates = {1}; // never ready
    int steps = 0;
    ui.onWaitStep = [&] {
        ASSERT_TRUE(session.Opening());
        if (++steps == 1) {
            EXPECT_FALSE(session.Run(Command::Next));
            session.OpenCommandLine(second); // a second start hands over a file
            sink.Pump(session);
            EXPECT_TRUE(session.Opening()); // not opened inside the open
        } else if (steps == 2) {
            EXPECT_TRUE(session.Run(Command::Exit));
        }
    };
    session.OpenCommandLine(first);
    sink.Pump(session);
    EXPECT_EQ(steps, 2);
    EXPECT_FALSE(session.Opening());
    EXPECT_EQ(ui.actions, std::vector<SessionUi::WindowAction>{SessionUi::WindowAction::Close});
    EXPECT_TRUE(ui.Boxes().empty()); // a cancelled open is no error
    EXPECT_EQ(session.State().buttons[static_cast<int>(Button::Play)], 1);

    // The handed-over file is opened once the open has ended.
    ui.onWaitStep = nullptr;
    audio.library.openStates = {0};
    session.SaveListsIfChanged();
    sink.Pump(session);
    EXPECT_EQ(session.List()->Current().path, second);
}

// The sync commands move the lyrics by half seconds and say so; they need timed lyrics.
TEST_F(PlayerSessionTest, TheSyncCommandsShiftTheLyricsByHalfSeconds) {
    const std::u16string song = Music("tag-id3v23.mp3", "song.mp3");
    StartWith(song);
    EXPECT_FALSE(session.State().syncedLyrics);
    EXPECT_FALSE(session.Available(Command::SyncFaster));
    EXPECT_FALSE(session.Run(Command::SyncFaster));

    home.Write("music/timed.lrc", "[00:01.00]La\n[00:03.00]Lo\n");
    const std::u16string timed = Music("tag-id3v23.mp3", "timed.mp3");
    session.OpenCommandLine(timed);
    sink.Pump(session);
    ASSERT_TRUE(session.State().syncedLyrics);
    // At 0.2 s the line of 1 s shows once the lyrics are a second faster (each line shows half a
    // second ahead of its time), and goes again with the default sync.
    audio.library.timeMs = 200;
    EXPECT_TRUE(TickUntil([](const PlayerState& s) { return s.elapsedSeconds == 0; }));
    EXPECT_EQ(session.State().lyric.key, -1);
    EXPECT_TRUE(session.Run(Command::SyncFaster));
    EXPECT_TRUE(session.Run(Command::SyncFaster));
    EXPECT_EQ(session.State().lyricsSync, 2);
    EXPECT_EQ(observer.Statuses().back(), u"Lyrics Sync : 1.0 Second Faster");
    EXPECT_TRUE(TickUntil([](const PlayerState& s) { return s.lyric.first == u"La"; }));
    EXPECT_TRUE(session.Run(Command::SyncDefault));
    EXPECT_EQ(observer.Statuses().back(), u"Lyrics Sync : 0.0 Second (Default Sync)");
    EXPECT_TRUE(TickUntil([](const PlayerState& s) { return s.lyric.key == -1; }));
    EXPECT_TRUE(session.Run(Command::SyncSlower));
    EXPECT_EQ(session.State().lyricsSync, -1);
    EXPECT_EQ(observer.Statuses().back(), u"Lyrics Sync : 0.5 Second Slower");

    // Kept between runs only when asked.
    EXPECT_TRUE(session.Run(Command::KeepSyncTime));
    EXPECT_TRUE(session.State().keepLyricsSync);
    session.Shutdown();
    EXPECT_EQ(Settings::Get(profile, kKeepLyricsSync), 1);
    EXPECT_EQ(Settings::LyricsSync(profile), -1);
}

// A one-minute stop-playing timer set in the dialog pauses playback on the first check of the
// tick after its deadline; a key press before it starts the minute again.
TEST_F(PlayerSessionTest, TheStopPlayingTimerPausesWithinATickOfItsDeadline) {
    int64_t now = 1'000'000;
    session.SetClock([&now] { return now; });
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    ASSERT_TRUE(session.IsPlaying());
    const auto tickOnce = [&] {
        for (int i = 0; i < TickJobs::kSleepTimerTicks; ++i)
            session.OnTick();
        sink.Pump(session);
    };
    ui.sleepTimerAnswer = true;
    ui.onSleepTimer = [&] {
        Settings::Set(profile, kSleepPlayStop, 1);
        Settings::Set(profile, kSleepPlayStopTimer, 1);
    };
    EXPECT_TRUE(session.Run(Command::SleepTimer));
    EXPECT_EQ(session.SleepTimer(SleepTimers::StopPlaying).deadline, now + 60);

    now += 50;
    session.KeyDown(0x88); // a key: the minute starts again
    now += 59;
    tickOnce();
    EXPECT_TRUE(session.IsPlaying());
    now += 1;
    tickOnce();
    EXPECT_FALSE(session.IsPlaying());
    EXPECT_EQ(session.State().panel, PlaybackSink::PanelState::Pause);

    // Cancel leaves the timers as they were.
    ui.sleepTimerAnswer = false;
    ui.onSleepTimer = [&] { Settings::Set(profile, kSleepPlayStop, 0); };
    EXPECT_TRUE(session.Run(Command::SleepTimer));
    EXPECT_TRUE(session.SleepTimer(SleepTimers::StopPlaying).enabled);
}

// The speed dialog is offered while the library plays a local file; its factor reaches the
// channel and the state.
TEST_F(PlayerSessionTest, TheSpeedDialogsFactorReachesTheLibraryChannel) {
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    ASSERT_TRUE(session.Available(Command::PlaybackSpeed));
    EXPECT_TRUE(session.Run(Command::PlaybackSpeed)); // cancelled
    EXPECT_EQ(session.State().speed, 1.0);
    ui.speedAnswer = 15 * 0.1;
    EXPECT_TRUE(session.Run(Command::PlaybackSpeed));
    EXPECT_EQ(session.State().speed, 1.5);
    ASSERT_FALSE(audio.library.frequencies.empty());
    EXPECT_EQ(audio.library.frequencies.back(), 66150);
    EXPECT_EQ(session.BaseFrequency(), 44100);
    audio.useDefaultDecoder = 0;
    EXPECT_FALSE(session.Available(Command::PlaybackSpeed));
    EXPECT_FALSE(session.Run(Command::PlaybackSpeed));
}

} // namespace

namespace {

// The desktop's screen and suspend: records what the player asks; the suspend answers as told.
class FakePower : public PowerControl {
public:
    std::vector<bool> displays;
    bool screenOn = true;
    int suspends = 0;
    SuspendResult answer = SuspendResult::Started;
    std::function<void()> onSuspend;

    void SetDisplay(bool on) override {
        displays.push_back(on);
        screenOn = on;
    }
    bool DisplayIsOn() override { return screenOn; }
    void Suspend(std::function<void(SuspendResult)> done) override {
        ++suspends;
        if (onSuspend)
            onSuspend();
        done(answer);
    }
};

class PowerSessionTest : public PlayerSessionTest {
protected:
    PowerSessionTest() {
        session.SetClock([this] { return now; });
        session.SetPowerControl(&power);
        Settings::Set(profile, kSaveDefList, 0);
    }
    void TickFor(int ticks) {
        for (int i = 0; i < ticks; ++i)
            session.OnTick();
        sink.Pump(session);
    }

    int64_t now = 1'000'000;
    FakePower power;
};

} // namespace

// Power Off stops and keeps the place before the system is asked to suspend; the wake-up
// starts the audio again there and plays on. A refused suspend is told and playback goes on.
TEST_F(PowerSessionTest, PowerOffKeepsThePlaceAndTheWakeUpPlaysOnFromIt) {
    const std::u16string path = Music("tag-id3v23.mp3", "song.mp3");
    StartWith(path);
    ASSERT_TRUE(session.IsPlaying());
    audio.library.timeMs = 42000;
    bool stoppedFirst = false;
    power.onSuspend = [&] {
        stoppedFirst = !session.IsPlaying() && Settings::Get(profile, kCurPlayPos) == 42000 &&
                       profile.GetProfileString(kSettings, kCurPlayFilePath.name, u"") == path;
    };
    EXPECT_TRUE(session.Run(Command::PowerOff));
    EXPECT_EQ(power.suspends, 1);
    EXPECT_TRUE(stoppedFirst);
    EXPECT_FALSE(session.IsPlaying());
    TickFor(TickJobs::kSleepTimerTicks); // the tick rests until the wake-up

    session.OpenCommandLine(u"AppRunAfterWakeup");
    sink.Pump(session);
    EXPECT_EQ(audio.shutdowns, 1);
    EXPECT_EQ(audio.starts, 2);
    ASSERT_FALSE(audio.library.setTimes.empty());
    EXPECT_EQ(audio.library.setTimes.back(), 42000);
    EXPECT_TRUE(session.IsPlaying());
    EXPECT_EQ(ui.actions.back(), SessionUi::WindowAction::Foreground);

    power.answer = PowerControl::SuspendResult::Refused;
    audio.library.timeMs = 50000;
    EXPECT_TRUE(session.Run(Command::PowerOff));
    EXPECT_TRUE(session.IsPlaying());
    EXPECT_EQ(audio.library.setTimes.back(), 50000);
    const auto statuses = observer.Statuses();
    EXPECT_NE(
        std::find(statuses.begin(), statuses.end(), u"Power off refused: no permission to suspend"),
        statuses.end());
}

// While playing, the power check reads the supplies: losing the mains on a machine without a
// battery powers off (a laptop on its battery, or a desktop that lists no supply, plays on).
TEST_F(PowerSessionTest, PowerOffWhenTheMainsGoesWithoutABattery) {
    TempFolder supplies;
    supplies.Write("AC/type", "Mains\n");
    supplies.Write("AC/online", "1\n");
    session.SetPowerSupplyFolder(supplies.Path());
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    ASSERT_TRUE(session.IsPlaying());
    TickFor(TickJobs::kPowerCheckTicks + 1);
    EXPECT_EQ(power.suspends, 0);

    supplies.Write("AC/online", "0\n");
    supplies.Write("BAT0/type", "Battery\n");
    supplies.Write("BAT0/present", "1\n");
    TickFor(TickJobs::kPowerCheckTicks + 1);
    EXPECT_EQ(power.suspends, 0);

    supplies.Write("BAT0/present", "0\n");
    TickFor(TickJobs::kPowerCheckTicks + 1);
    EXPECT_EQ(power.suspends, 1);
    EXPECT_FALSE(session.IsPlaying());
}

// When the audio does not start after a wake-up the program starts again, playing; a second
// failure within 20 seconds of that only closes it, so that it can't restart in a loop.
TEST_F(PowerSessionTest, ASecondRestartWithinTwentySecondsOnlyCloses) {
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    ASSERT_TRUE(session.IsPlaying());
    audio.startResult = false;
    session.OpenCommandLine(u"AppRunAfterWakeup");
    sink.Pump(session);
    ASSERT_FALSE(ui.actions.empty());
    EXPECT_EQ(ui.actions.back(), SessionUi::WindowAction::Restart);
    EXPECT_EQ(Settings::Get(profile, kRestartTime), now);
    EXPECT_EQ(Settings::Get(profile, kResume), 1);

    now += 10;
    session.HandleMessage(PlayerSession::kRestartProgram, 0, 0);
    EXPECT_EQ(ui.actions.back(), SessionUi::WindowAction::Close);
    now += 20;
    session.HandleMessage(PlayerSession::kRestartProgram, 0, 0);
    EXPECT_EQ(ui.actions.back(), SessionUi::WindowAction::Restart);

    // "DecoderRestart" 0: a wake-up leaves the audio alone.
    Settings::Set(profile, kDecoderRestart, 0);
    const size_t actions = ui.actions.size();
    session.OpenCommandLine(u"AppRunAfterWakeup");
    sink.Pump(session);
    EXPECT_EQ(ui.actions.size(), actions);
}

// The display-off timer switches the screen off after its minutes without input and the meters
// stop with it; the power-off timer suspends once only. A key re-arms both, and a key press
// that lit the screen is put out again by the display check with "AutoDisplayOff" 1.
TEST_F(PowerSessionTest, TheSleepTimersSwitchTheDisplayAndThePowerOff) {
    Settings::Set(profile, kSleepDisplayOff, 1);
    Settings::Set(profile, kSleepDisplayOffTimer, 10);
    Settings::Set(profile, kSleepPowerOff, 1);
    Settings::Set(profile, kSleepPowerOffTimer, 30);
    Settings::Set(profile, kAutoDisplayOff, 1);
    Settings::Set(profile, kDecoderRestart, 0);
    StartWith(Music("tag-id3v23.mp3", "song.mp3"));
    now += 9 * 60;
    session.KeyDown(0x88); // a tap at minute 9 moves the display-off to minute 19
    now += 9 * 60;
    TickFor(TickJobs::kSleepTimerTicks);
    EXPECT_TRUE(session.State().displayOn);
    now += 60;
    TickFor(TickJobs::kSleepTimerTicks);
    EXPECT_FALSE(session.State().displayOn);
    EXPECT_TRUE(session.State().metersOff);
    EXPECT_EQ(power.displays, std::vector<bool>{false});

    // Something lit the screen: taken as on while the display-off timer is the one that puts it
    // out, else put out again with "AutoDisplayOff" 1.
    power.screenOn = true;
    TickFor(TickJobs::kDisplayCheckTicks);
    EXPECT_TRUE(session.State().displayOn);
    EXPECT_FALSE(session.State().metersOff);
    Settings::Set(profile, kSleepDisplayOff, 0);
    session.LoadSleepTimers();
    EXPECT_TRUE(session.Run(Command::DisplayOnOff));
    power.screenOn = true;
    TickFor(TickJobs::kDisplayCheckTicks);
    EXPECT_FALSE(power.screenOn);
    EXPECT_FALSE(session.State().displayOn);

    power.answer = PowerControl::SuspendResult::Unavailable;
    for (int minute = 0; minute < 75; ++minute) {
        now += 60;
        TickFor(TickJobs::kSleepTimerTicks);
    }
    EXPECT_EQ(power.suspends, 1);
    EXPECT_TRUE(session.Run(Command::DisplayOnOff));
    EXPECT_TRUE(session.State().displayOn);
    EXPECT_TRUE(power.screenOn);
}
