#include "playback/MeterFeed.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playback/FmodBackend.h"
#include "playback/FmodLibrary.h"
#include "playback/FmodView.h"
#include "settings/Settings.h"

#include "tests/ScopedAudio.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

using namespace setting;

namespace {

// Blocks wait until they are heard, come out oldest first, are folded to clamped mono, and a
// ring nobody empties drops its oldest block.
TEST(MeterFeedTest, BlocksComeOutInOrderWhenTheyAreHeard) {
    MeterFeed feed;
    feed.Prepare(2, 4);
    const float bands[MeterFeed::kBands] = {0.5f};
    const int32_t loud[] = {40000, 20000, 70000, 70000};
    feed.Push(loud, 2, bands, 0);
    feed.Push(loud, 2, nullptr, 60000);
    std::vector<MeterFeed::Block> taken;
    feed.TakeDue(MeterFeed::NowMs(), [&](const MeterFeed::Block& b) { taken.push_back(b); });
    ASSERT_EQ(taken.size(), 1u);
    EXPECT_TRUE(taken[0].hasSpectrum);
    EXPECT_EQ(taken[0].bands[0], 0.5f);
    EXPECT_EQ(taken[0].mono[0], 30000);
    EXPECT_EQ(taken[0].mono[1], 32767);

    for (int i = 0; i < MeterFeed::kRingBlocks + 5; ++i)
        feed.Push(loud, 2, nullptr, 0);
    int count = 0;
    feed.TakeDue(MeterFeed::NowMs() + 120000, [&](const MeterFeed::Block& b) {
        EXPECT_FALSE(b.hasSpectrum);
        ++count;
    });
    EXPECT_EQ(count, MeterFeed::kRingBlocks);
}

class FeedView : public FmodView {
public:
    MeterFeed feed;
    int window = 0;
    void* WindowHandle() override { return &window; }
    MessageSink* EngineOwner() override { return nullptr; }
    bool StartVuMeter(const FmodFunctions&) override { return true; }
    bool StartSpectrum(const FmodFunctions& fs) override { return feed.Start(fs); }
    void StopVuMeter() override {}
    void StopSpectrum() override { feed.Stop(); }
    void OnTick() override {}
};

// The real library playing a 1 kHz tone: the feed's blocks carry the library's spectrum, whose
// strongest band among those the bars read is the tone's (1000 Hz / (44100 Hz / 1024) = 23.2),
// and the mono block of the tone; with the hooks off nothing comes.
TEST(MeterFeedTest, TheLibrarysToneReachesTheFeed) {
#ifndef FMODCE_PATH
    GTEST_SKIP() << "the run-time library is not part of this build";
#else
    ScopedAudio audio("null");
    TempFolder folder;
    std::vector<int16_t> tone(44100 * 2 * 4);
    for (size_t i = 0; i < tone.size() / 2; ++i)
        tone[2 * i] = tone[2 * i + 1] =
            static_cast<int16_t>(std::lround(8000 * std::sin(2 * M_PI * 1000.0 * i / 44100.0)));
    folder.Write("tone.wav", WavFile::Bytes(2, 44100, tone));
    Registry reg{folder / "registry.db"};
    Profile profile{reg, kRegistryKeyWord, kProfileName};
    Settings::Set(profile, kUseSpectrum, 1);
    FeedView view;
    FmodBackend backend(profile, reg, view);
    backend.SetLibraryPath(FMODCE_PATH);
    ASSERT_TRUE(backend.Start());
    ASSERT_TRUE(view.feed.Started());
    EXPECT_EQ(view.feed.BlockFrames(), 1024);
    const FmodFunctions& fs = backend.Fsound();
    FSOUND_STREAM* stream = fs.Stream_Open(folder.File("tone.wav").c_str(), FSOUND_2D, 0, 0);
    ASSERT_NE(stream, nullptr);
    ASSERT_GE(fs.Stream_Play(FSOUND_FREE, stream), 0);

    view.feed.SetHooks(true);
    int blocks = 0, toneBlocks = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (toneBlocks < 5 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        view.feed.TakeDue(MeterFeed::NowMs() + 60000, [&](const MeterFeed::Block& block) {
            ++blocks;
            if (!block.hasSpectrum || block.frames != 1024)
                return;
            const auto peak = std::max_element(block.bands.begin(), block.bands.end());
            const int16_t loudest = *std::max_element(block.mono.begin(), block.mono.end());
            if (*peak > 0.1f) {
                EXPECT_EQ(peak - block.bands.begin(), 23);
                EXPECT_NEAR(loudest, 8000, 40);
                ++toneBlocks;
            }
        });
    }
    EXPECT_GE(toneBlocks, 5); // the output takes its first blocks at once: they may come together
    view.feed.SetHooks(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int after = 0;
    view.feed.TakeDue(MeterFeed::NowMs() + 60000, [&](const MeterFeed::Block&) { ++after; });
    EXPECT_EQ(after, 0);
    fs.Stream_Close(stream);
    backend.Shutdown();
    EXPECT_FALSE(view.feed.Started());
#endif
}

} // namespace
