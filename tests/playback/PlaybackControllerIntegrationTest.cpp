// The playback controller over the real run-time library and the real engine, silent output.
#include "playback/PlaybackController.h"

#include "engine/player/PlayerApi.h"
#include "platform/Profile.h"
#include "platform/QueueMessageSink.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playback/FmodLibrary.h"
#include "playback/FmodLibraryBackend.h"
#include "playback/PlayerEngineBackend.h"
#include "playlist/EntryTags.h"
#include "playlist/Playlist.h"
#include "settings/SettingNames.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/playback/FakePlaybackParts.h"
#include "tests/playlist/FakePlaylistHost.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#ifdef FMODCE_PATH
namespace {

using namespace setting;
using namespace std::string_literals;

std::string Le32(uint32_t value) {
    return {char(value & 0xFF), char(value >> 8 & 0xFF), char(value >> 16 & 0xFF),
            char(value >> 24)};
}

// The run-time library started with silent output and the engine created, over a fresh settings
// folder where a single file stays stopped at its end.
class PlaybackControllerIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("SONVALE_HOME", home.Path().c_str(), 1);
        profile.WriteProfileInt(kSettings, kRepeat.name, 0);
        ASSERT_EQ(fmod.LoadFrom(FMODCE_PATH), FmodLibrary::Result::Ok);
        fs.SetOutput(FSOUND_OUTPUT_NOSOUND);
        ASSERT_TRUE(fs.Init(44100, 16, 8));
        player = PlayerCreate();
        ASSERT_NE(player, nullptr);
    }
    void TearDown() override {
        if (player)
            PlayerDestroy(player);
        fs.Close();
        fmod.Unload();
        ::unsetenv("SONVALE_HOME");
    }

    TempFolder home;
    ScopedAudio audio{"null"};
    Registry registry{home / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
    FmodLibrary fmod;
    const FmodFunctions& fs = fmod.Functions();
    QueueMessageSink engineMessages; // outlives the engine, which TearDown destroys
    Player* player = nullptr;
};

TEST_F(PlaybackControllerIntegrationTest, PlaysAnMp3ToItsEndWithTheLibraryAndWithTheEngine) {
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
        list.Add(entry);
        list.Current() = entry;

        // The library plays; the monitor sees the end.
        ASSERT_TRUE(controller.OpenCurrent(true));
        EXPECT_TRUE(ui.boxes.empty());
        EXPECT_EQ(controller.CurrentMode(), PlaybackController::Mode::Library);
        EXPECT_NEAR(controller.DurationMs(), 1410, 30); // 54 frames of 26.1 ms
        EXPECT_EQ(ui.rate, u"44");
        // A CBR file shows its frame header's bitrate.
        EXPECT_EQ(ui.bitrate, u"128");
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
}

// A VBR file without a frame count, estimated at under 4 s of its 12: the library plays all of it
// and the shown length follows. The bitrate field shows what the audio holds, at most 999.
TEST_F(PlaybackControllerIntegrationTest, TheLibraryPlaysAVbrFileToTheEndOfItsData) {
    {
        FmodLibraryBackend library(fs, nullptr);
        PlayerEngineBackend engine(player);
        FakePlaylistHost host;
        Playlist list(profile, host);
        FakeUi ui;
        PlaybackController controller(profile, list, ui, ui, library, engine);
        const auto open = [&](const std::string& name) {
            FileInfo entry;
            const std::string path =
                name.starts_with("/") ? name : std::string(SONVALE_FIXTURES) + "/" + name;
            entry.path = std::filesystem::path(path).u16string();
            entry.name = entry.title = TextCodec::Utf8ToUtf16(name);
            entry.ext = EntryTags::Lower(EntryTags::Extension(entry.path));
            list.Assign({entry});
            list.Current() = entry;
            return controller.OpenCurrent(true);
        };
        ASSERT_TRUE(open("mpeg1-l2-44100.mp2"));
        EXPECT_EQ(ui.bitrate, u"192");
        // 44100 Hz stereo 32-bit floats: 2822 kbit/s, more than the field's three digits.
        std::string wav = "RIFF"s + Le32(36 + 352800) + "WAVEfmt "s + Le32(16) + "\3\0\2\0"s +
                          Le32(44100) + Le32(352800) + "\x08\0\x20\0"s + "data"s + Le32(352800);
        wav.resize(wav.size() + 352800, '\0');
        std::ofstream(home / "float.wav", std::ios::binary) << wav;
        ASSERT_TRUE(open(home / "float.wav"));
        EXPECT_EQ(ui.bitrate, u"999");
        ASSERT_TRUE(open("mpeg1-l3-vbr-plain-12s.mp3"));
        EXPECT_EQ(controller.CurrentMode(), PlaybackController::Mode::Library);
        EXPECT_LT(controller.DurationMs(), 5000);

        controller.PlayCommand();
        ASSERT_TRUE(controller.IsPlaying());
        int32_t lastPosition = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (controller.IsPlaying() && std::chrono::steady_clock::now() < deadline) {
            controller.RunMonitor();
            lastPosition = std::max(lastPosition, controller.PositionMs());
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        EXPECT_FALSE(controller.IsPlaying());
        EXPECT_GE(lastPosition, 11500);
        EXPECT_GE(controller.DurationMs(), 11900);
        // 123251 bytes in a little over 12 s, not the first frame's 256 kbit/s.
        EXPECT_TRUE(ui.bitrate == u"081" || ui.bitrate == u"082") << ui.bitrate.size();
        EXPECT_EQ(ui.seekRange, controller.DurationMs() / 100);
        controller.StopCommand();
        controller.CloseLibraryStream();
    }
}

} // namespace
#endif
