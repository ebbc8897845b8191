// The playback controller over the real run-time library and the real engine, silent output.
#include "playback/PlaybackController.h"

#include "engine/player/PlayerApi.h"
#include "platform/Profile.h"
#include "platform/QueueMessageSink.h"
#include "platform/Registry.h"
#include "playback/FmodLibrary.h"
#include "playback/FmodLibraryBackend.h"
#include "playback/PlayerEngineBackend.h"
#include "playlist/Playlist.h"
#include "settings/SettingNames.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/playback/FakePlaybackParts.h"
#include "tests/playlist/FakePlaylistHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#ifdef FMODCE_PATH
namespace {

using namespace setting;

TEST(PlaybackControllerIntegrationTest, PlaysAnMp3ToItsEndWithTheLibraryAndWithTheEngine) {
    TempFolder home;
    ::setenv("SONVALE_HOME", home.Path().c_str(), 1);
    ScopedAudio audio("null");
    Registry registry(home / "registry.db");
    Profile profile(registry, kRegistryKeyWord, kProfileName);
    profile.WriteProfileInt(kSettings, kRepeat.name, 0);

    FmodLibrary fmod;
    ASSERT_EQ(fmod.LoadFrom(FMODCE_PATH), FmodLibrary::Result::Ok);
    const FmodFunctions& fs = fmod.Functions();
    fs.SetOutput(FSOUND_OUTPUT_NOSOUND);
    ASSERT_TRUE(fs.Init(44100, 16, 8));
    Player* player = PlayerCreate();
    ASSERT_NE(player, nullptr);
    QueueMessageSink engineMessages;
    PlayerSetOwner(player, &engineMessages);
    {
        FmodLibraryBackend library(fs, nullptr);
        PlayerEngineBackend engine(player);
        FakePlaylistHost host;
        Playlist list(profile, host);
        FakeUi ui;
        PlaybackController controller(profile, list, ui, ui, library, engine);

        FileInfo entry;
        entry.path =
            std::filesystem::path(std::string(SONVALE_FIXTURES) + "/mpeg1-l3-cbr-plain.mp3")
                .u16string();
        entry.name = entry.title = u"mpeg1-l3-cbr-plain";
        entry.ext = u".mp3";
        list.Entries().push_back(entry);
        list.Current() = entry;

        // The library plays; the monitor sees the end.
        ASSERT_TRUE(controller.OpenCurrent(true));
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(controller.CurrentMode(), PlaybackController::Mode::Library);
        EXPECT_NEAR(controller.DurationMs(), 1410, 30); // 54 frames of 26.1 ms
        EXPECT_EQ(ui.rate, u"44");
        // The bitrate from the file size over the length: a 128 kbit/s file reads 127.
        EXPECT_TRUE(ui.bitrate == u"127" || ui.bitrate == u"128") << ui.bitrate.size();
        controller.PlayCommand();
        ASSERT_TRUE(controller.IsPlaying());
        EXPECT_GE(controller.LibraryChannel(), 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (controller.IsPlaying() && std::chrono::steady_clock::now() < deadline) {
            controller.RunMonitor();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_FALSE(controller.IsPlaying());
        EXPECT_TRUE(controller.IsLoaded());
        EXPECT_EQ(ui.seekPos, 0);
        EXPECT_EQ(controller.LibraryChannel(), -1);

        // The engine plays; its stop at the end arrives as WM_PLAYER_STATUS.
        profile.WriteProfileInt(kSettings, kUseDefaultDecoder.name, 0);
        ASSERT_TRUE(controller.OpenCurrent(true));
        EXPECT_EQ(controller.CurrentMode(), PlaybackController::Mode::Engine);
        EXPECT_NEAR(controller.DurationMs(), 1410, 30); // 54 frames of 26.1 ms
        engineMessages.Clear();
        controller.PlayCommand();
        ASSERT_TRUE(controller.IsPlaying());
        bool ended = false;
        while (!ended && std::chrono::steady_clock::now() < deadline + std::chrono::seconds(20)) {
            const auto message = engineMessages.TakeMessage(WM_PLAYER_STATUS, 100);
            if (message && message->wParam == PlayerStatusStop) {
                EXPECT_EQ(message->lParam & kPlayerStoppedAtEnd, kPlayerStoppedAtEnd);
                controller.HandleMessage(message->message, message->wParam, message->lParam);
                ended = true;
            }
        }
        EXPECT_TRUE(ended);
        EXPECT_FALSE(controller.IsPlaying());
        controller.StopCommand();
        controller.CloseLibraryStream();
    }
    PlayerDestroy(player);
    fs.Close();
    fmod.Unload();
    ::unsetenv("SONVALE_HOME");
}

} // namespace
#endif
