#include "playback/FmodBackend.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playback/FmodView.h"
#include "settings/Settings.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

using namespace setting;

namespace {

class CountingView : public FmodView {
public:
    int window = 0;
    std::atomic<int> ticks{0};

    void* WindowHandle() override { return &window; }
    MessageSink* EngineOwner() override { return nullptr; }
    bool StartVuMeter(const FmodFunctions&) override { return true; }
    bool StartSpectrum(const FmodFunctions&) override { return true; }
    void StopVuMeter() override {}
    void StopSpectrum() override {}
    void OnTick() override { ++ticks; }
};

// Waits until the view has seen `count` ticks; gives up after a generous while.
[[maybe_unused]] bool WaitForTicks(const CountingView& view, int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (view.ticks < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class FmodRuntimeTest : public ::testing::TestWithParam<int> {};

// The real library, started silent and with its own output (null here), ticks the view once
// per mixed block until it is shut down.
TEST_P(FmodRuntimeTest, StartsTicksAndShutsDown) {
#ifndef FMODCE_PATH
    GTEST_SKIP() << "the run-time library is not part of this build";
#else
    ASSERT_TRUE(std::filesystem::exists(FMODCE_PATH));
    ScopedAudio audio("null");
    TempFolder folder;
    Registry reg{folder / "registry.db"};
    Profile profile{reg, kRegistryKeyWord, kProfileName};
    Settings::Set(profile, kUseDefaultDecoder, GetParam());
    CountingView view;

    FmodBackend backend(profile, reg, view);
    backend.SetLibraryPath(FMODCE_PATH);
    ASSERT_TRUE(backend.Start()) << TextCodec::Utf16ToUtf8(backend.FailureText().English());
    EXPECT_EQ(backend.MixRate(), 44100);
    EXPECT_EQ(backend.Fsound().GetOutput() == FSOUND_OUTPUT_NOSOUND, GetParam() == 0);
    EXPECT_EQ(backend.EffectsUnit() != nullptr, GetParam() == 1);

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(view.ticks, 0); // not yet active
    ASSERT_TRUE(backend.ActivateTick());
    EXPECT_TRUE(WaitForTicks(view, 10));

    backend.Shutdown();
    const int after = view.ticks;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(view.ticks, after);
    EXPECT_EQ(Settings::Get(profile, kMixRate), 44100);
#endif
}

INSTANTIATE_TEST_SUITE_P(UseDefaultDecoder, FmodRuntimeTest, ::testing::Values(0, 1));

} // namespace
