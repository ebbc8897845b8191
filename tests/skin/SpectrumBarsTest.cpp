#include "skin/SpectrumBars.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds the same magnitude to every band.
void FeedAll(SpectrumBars& bars, float magnitude, int callbacks = 1) {
    const std::vector<float> spectrum(512, magnitude);
    for (int i = 0; i < callbacks; ++i)
        bars.Feed(spectrum.data(), static_cast<int>(spectrum.size()));
}

SpectrumBars Playing(int style) {
    SpectrumBars bars;
    bars.SetStyle(style);
    bars.SetPlaying(true);
    return bars;
}

} // namespace

TEST(SpectrumBarsTest, HeightIsCappedAndFallsFourRowsPerCallback) {
    EXPECT_EQ(SpectrumBars::BarHeight(0.5f), 93);
    EXPECT_EQ(SpectrumBars::BarHeight(0.1f), 37);
    SpectrumBars bars = Playing(2);
    FeedAll(bars, 90.5f / 376);
    ASSERT_EQ(bars.Height(0), 90);
    FeedAll(bars, 88.5f / 376);
    EXPECT_EQ(bars.Height(0), 88); // a small drop lands on the new height
    FeedAll(bars, 90.5f / 376);
    int callbacks = 0;
    while (bars.Height(0) > 0) {
        FeedAll(bars, 0.0f);
        ++callbacks;
    }
    EXPECT_EQ(callbacks, 23);
}

TEST(SpectrumBarsTest, BarsTakeEveryOtherBandOrEveryBand) {
    std::vector<float> spectrum(512, 0.0f);
    for (size_t i = 1; i < spectrum.size(); i += 2)
        spectrum[i] = 0.1f;
    SpectrumBars wide = Playing(0);
    SpectrumBars narrow = Playing(6);
    wide.Feed(spectrum.data(), 512);
    narrow.Feed(spectrum.data(), 512);
    EXPECT_EQ(wide.BarCount(), 21);
    EXPECT_EQ(narrow.BarCount(), 42);
    EXPECT_EQ(wide.Height(1), 0);
    EXPECT_EQ(narrow.Height(0), 0);
    EXPECT_EQ(narrow.Height(1), 37);
    EXPECT_EQ(narrow.Height(41), 37);
}

TEST(SpectrumBarsTest, PeakHoldsThenFallsFasterEveryThirdCallback) {
    SpectrumBars bars = Playing(0);
    // Peaks start above the top and, over silence, hold for 7 updates before falling.
    const std::vector<int> expected = {96, 96, 96, 96, 96, 96, 96, 92, 88,
                                       80, 72, 60, 48, 36, 24, 12, 0,  0};
    int previous = bars.MarkerRow(0);
    for (int update : expected) {
        FeedAll(bars, 0.0f, 2);
        ASSERT_EQ(bars.MarkerRow(0), previous); // only every third callback moves it
        FeedAll(bars, 0.0f);
        EXPECT_EQ(bars.MarkerRow(0), update);
        previous = update;
    }
    EXPECT_FALSE(bars.MarkerVisible(0));
    FeedAll(bars, 0.1f, 3);
    EXPECT_EQ(bars.MarkerRow(0), 37); // a peak at or below the bar takes its height
    EXPECT_TRUE(bars.MarkerVisible(0));
}

TEST(SpectrumBarsTest, RisingMarkersClimbAndRestartFromTheBar) {
    SpectrumBars bars = Playing(1);
    FeedAll(bars, 0.1f);
    EXPECT_EQ(bars.MarkerRow(0), 37);
    FeedAll(bars, 0.1f, 29);
    EXPECT_EQ(bars.MarkerRow(0), 95);
    EXPECT_FALSE(bars.MarkerVisible(0));
    FeedAll(bars, 0.1f);
    EXPECT_EQ(bars.MarkerRow(0), 37);
}

TEST(SpectrumBarsTest, ComesToRestOnlyWhenNotPlaying) {
    for (int style : {0, 1, 2}) {
        SpectrumBars bars = Playing(style);
        FeedAll(bars, 0.5f, 40);
        bars.SetPlaying(false);
        int callbacks = 0;
        while (!bars.AtRest() && callbacks < 1000) {
            FeedAll(bars, 0.5f); // the spectrum of a stopped player is not shown
            ++callbacks;
        }
        EXPECT_LT(callbacks, 1000) << "style " << style;
        bars.SetPlaying(true);
        EXPECT_FALSE(bars.AtRest());
    }
}

TEST(SpectrumBarsTest, DrawsOnEveryRatePlusOneCallback) {
    auto turns = [](int interval) {
        SpectrumBars bars = Playing(0);
        bars.SetUpdateInterval(interval);
        std::vector<bool> drawn;
        for (int i = 0; i < 6; ++i) {
            FeedAll(bars, 0.0f);
            drawn.push_back(bars.DrawingTurn());
        }
        return drawn;
    };
    EXPECT_EQ(turns(6), (std::vector<bool>{false, false, false, false, true, false}));
    EXPECT_EQ(turns(9), (std::vector<bool>{false, true, false, true, false, true}));
    EXPECT_EQ(turns(12), std::vector<bool>(6, true));
}
