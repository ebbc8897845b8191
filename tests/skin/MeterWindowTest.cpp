#include "skin/MeterWindow.h"

#include "settings/Settings.h"
#include "tests/skin/DisplaySkin.h"

#include <QTest>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

using namespace setting;

namespace {

constexpr int kRows = 94;
constexpr QRgb kPanel = 0xFF102030;
constexpr QRgb kStrip = 0xFFE0C040;

// The library's bands for a 1 kHz sine of the given amplitude (0..1) at 44.1 kHz: a 1024-point
// transform of one Hann-windowed block, scaled so that a full-scale sine gives about 1 in its band.
std::vector<float> ToneBands(double amplitude) {
    constexpr int kPoints = 1024;
    std::vector<float> bands(42);
    double windowSum = 0;
    for (int i = 0; i < kPoints; ++i)
        windowSum += 0.5 - 0.5 * std::cos(2 * M_PI * i / (kPoints - 1));
    for (int k = 0; k < 42; ++k) {
        double re = 0, im = 0;
        for (int i = 0; i < kPoints; ++i) {
            const double window = 0.5 - 0.5 * std::cos(2 * M_PI * i / (kPoints - 1));
            const double sample = amplitude * std::sin(2 * M_PI * 1000.0 * i / 44100.0) * window;
            re += sample * std::cos(2 * M_PI * k * i / kPoints);
            im -= sample * std::sin(2 * M_PI * k * i / kPoints);
        }
        bands[k] = static_cast<float>(std::hypot(re, im) * 2 / windowSum);
    }
    return bands;
}

// How many rows from the bottom of a surface column show the strip.
int LitRows(const QImage& surface, int x) {
    int lit = 0;
    for (int row = 0; row < kRows; ++row)
        lit += surface.pixel(x, kRows - 1 - row) == kStrip ? 1 : 0;
    return lit;
}

// The lowest and highest lit row of a column, -1 when none.
std::pair<int, int> LitSpan(const QImage& surface, int x) {
    int low = -1, high = -1;
    for (int row = 0; row < kRows; ++row) {
        if (surface.pixel(x, kRows - 1 - row) == kStrip) {
            low = low < 0 ? row : low;
            high = row;
        }
    }
    return {low, high};
}

// A meter window with the frequency bars offered, a flat panel and a flat bar strip.
struct SpectrumSkin {
    SpectrumSkin() {
        QImage panel(424, kRows, QImage::Format_RGB32);
        panel.fill(kPanel);
        panel.save(QString::fromStdString(skin.folder.File("spanel.png")), "PNG");
        QImage strip(20, kRows, QImage::Format_RGB32);
        strip.fill(kStrip);
        strip.save(QString::fromStdString(skin.folder.File("strip.png")), "PNG");
        skin.folder.Write("meter.wps", "[LevelMeter]\r\n"
                                       "LevelMeterPanel=spanel.png\r\n"
                                       "SmallLevelMeter=strip.png\r\n"
                                       "OscilliscopeColor=255,0,0\r\n");
        loaded = SkinManager::LoadSkin(skin.folder.File16("meter.wps"), &skin.profile);
        Settings::Set(skin.profile, kUseSpectrum, 1);
        Settings::Set(skin.profile, kUpdateInterval, 9); // a drawing every second block
        view.resize(480, 536);
    }
    DisplaySkin skin;
    bool loaded = false;
    QWidget view;
};

// Every style drawn from a 1 kHz tone: the bar the mapping gives stands tallest (the 21-bar styles
// read every second band, so the tone's neighbour band 24 lights bar 12; the 42-bar styles light
// bar 23), the top-only styles draw 4 rows, and the markers sit where their style puts them.
TEST(MeterWindowTest, EveryStyleDrawsAOneKilohertzToneWhereTheMappingPutsIt) {
    SpectrumSkin setup;
    ASSERT_TRUE(setup.loaded);
    const std::vector<float> tone = ToneBands(0.12);
    const std::vector<float> silence(42, 0.0f);
    for (int style = 0; style < 8; ++style) {
        SCOPED_TRACE(style);
        MeterWindow meter(setup.skin.profile, &setup.view);
        meter.SetState(style);
        ASSERT_EQ(meter.State(), style);
        meter.SetPlaying(true, false);
        EXPECT_TRUE(meter.WantsBlocks());
        for (int block = 0; block < 12; ++block)
            meter.Feed(tone.data(), 42, nullptr, 0);
        meter.FlushDrawing();
        const QImage& surface = meter.Surface();
        const bool narrow = style >= 6;
        const int pitch = narrow ? 10 : 20;
        const int lit = narrow ? 23 : 12;
        const int expected = std::min(static_cast<int>(tone[narrow ? 23 : 24] * 376), 93);
        ASSERT_GT(expected, 20);
        int tallest = -1, tallestTop = -1;
        for (int bar = 0; bar < (narrow ? 42 : 21); ++bar) {
            const int top = LitSpan(surface, 4 + bar * pitch).second;
            if (top > tallestTop) {
                tallestTop = top;
                tallest = bar;
            }
        }
        EXPECT_EQ(tallest, lit);
        const int x = 4 + lit * pitch;
        const bool topOnly = style >= 3 && style <= 5;
        const auto [low, high] = LitSpan(surface, x);
        if (style == 1 || style == 4 || style == 7) {
            // The marker rose from the bar's top, two rows a block, above the bar.
            EXPECT_GT(high, expected - 1);
        } else {
            EXPECT_EQ(high, expected - 1);
        }
        EXPECT_EQ(low, topOnly ? expected - 4 : 0);
        if (!topOnly && style != 1 && style != 7) {
            EXPECT_EQ(LitRows(surface, x), expected);
        }
        // Bars are as wide as their style says, and nothing is drawn in the gaps.
        EXPECT_EQ(surface.pixel(x + (narrow ? 5 : 15), kRows - 1 - low), kStrip);
        EXPECT_EQ(surface.pixel(x + (narrow ? 6 : 16), kRows - 1 - low), kPanel);

        // After the stop the bars fall 4 rows a block and the window comes to rest, clean.
        meter.SetPlaying(false, false);
        int blocks = 0;
        while (meter.WantsBlocks() && blocks < 500) {
            meter.Feed(silence.data(), 42, nullptr, 0);
            ++blocks;
        }
        EXPECT_FALSE(meter.WantsBlocks());
        EXPECT_GE(blocks, (expected + 3) / 4);
        meter.FlushDrawing();
        EXPECT_EQ(LitRows(meter.Surface(), x), 0);
    }
}

// The oscilloscope draws the sound's wave two pixels wide in its colour: a full-scale square wave
// reaches the top and the bottom rows; silence is a line across the middle.
TEST(MeterWindowTest, TheOscilloscopeDrawsTheMixedSound) {
    SpectrumSkin setup;
    ASSERT_TRUE(setup.loaded);
    MeterWindow meter(setup.skin.profile, &setup.view);
    meter.SetMixFrames(1024, 2048);
    meter.SetState(MeterWindow::kOscilloscope);
    meter.SetPlaying(true, false);
    std::vector<int16_t> square(1024);
    for (size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 256) % 2 ? 32767 : -32768;
    const std::vector<float> silent(42, 0.0f);
    for (int block = 0; block < 2; ++block)
        meter.Feed(silent.data(), 42, square.data(), 1024);
    meter.FlushDrawing();
    const QImage& surface = meter.Surface();
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(surface.pixel(10, kRows - 1), red);
    EXPECT_EQ(surface.pixel(10, kRows - 2), red); // one row taller: rows 0 and 1
    EXPECT_EQ(surface.pixel(10, 40), kPanel);
    EXPECT_EQ(surface.pixel(200, 0), red);  // the second quarter: the top row
    EXPECT_EQ(surface.pixel(127, 40), red); // the edge: a line from bottom to top
    EXPECT_EQ(surface.pixel(128, 40), red); // two pixels wide

    const std::vector<int16_t> quiet(1024, 0);
    for (int block = 0; block < 2; ++block)
        meter.Feed(silent.data(), 42, quiet.data(), 1024);
    meter.FlushDrawing();
    EXPECT_EQ(meter.Surface().pixel(10, kRows - 1), kPanel);
    EXPECT_EQ(meter.Surface().pixel(10, kRows - 1 - 47), red);
}

// With the frequency bars offered the window steps through the styles and the oscilloscope to
// the normal board; leaving the bars for a board, or going to the background, lets the hooks go.
TEST(MeterWindowTest, StylesCycleAndBoardsAndTheBackgroundStopTheBlocks) {
    SpectrumSkin setup;
    ASSERT_TRUE(setup.loaded);
    MeterWindow meter(setup.skin.profile, &setup.view);
    meter.SetState(MeterWindow::kOscilloscope);
    EXPECT_EQ(meter.NextState(true), MeterWindow::kNormalBoard);
    meter.SetState(MeterWindow::kNormalBoard);
    EXPECT_EQ(meter.NextState(true), 0);
    EXPECT_EQ(meter.NextState(false), MeterWindow::kOscilloscope);
    meter.SetLyricsHeld(true);
    EXPECT_EQ(meter.NextState(false), MeterWindow::kLargeBoard);

    meter.SetState(0);
    meter.SetPlaying(true, false);
    EXPECT_TRUE(meter.WantsBlocks());
    meter.SetActive(false);
    EXPECT_FALSE(meter.WantsBlocks());
    meter.SetActive(true);
    meter.SetState(MeterWindow::kNormalBoard);
    EXPECT_FALSE(meter.WantsBlocks());
    meter.SetSpectrumAvailable(false);
    meter.SetState(2);
    EXPECT_EQ(meter.State(), MeterWindow::kNormalBoard);
}

// Without the library's spectrum only the three boards cycle; the largest covers the transport,
// the large one the toggles; taps count only while active; the state is kept at the end.
TEST(MeterWindowTest, BoardsCycleCoverWhatTheyGrowOverAndAreKept) {
    DisplaySkin skin;
    ASSERT_TRUE(skin.loaded);
    QWidget view;
    view.resize(480, 536);
    Settings::Set(skin.profile, kUseSpectrum, 0);
    Settings::Set(skin.profile, kDispState, 3); // a spectrum style, not offered here
    {
        MeterWindow meter(skin.profile, &view);
        int changes = 0;
        meter.OnStateChanged([&] { ++changes; });
        EXPECT_EQ(meter.State(), MeterWindow::kNormalBoard);
        EXPECT_EQ(meter.Covered(), MeterWindow::Covers::Nothing);
        EXPECT_EQ(meter.geometry(), QRect(24, 350, 432, 102));
        EXPECT_EQ(meter.NextState(true), MeterWindow::kLargestBoard);
        EXPECT_EQ(meter.NextState(false), MeterWindow::kLargeBoard);

        view.show();
        QTest::mouseClick(&meter, Qt::LeftButton, {}, QPoint(400, 50)); // right half: forward
        EXPECT_EQ(meter.State(), MeterWindow::kLargestBoard);
        EXPECT_EQ(meter.Covered(), MeterWindow::Covers::TogglesAndTransport);
        EXPECT_EQ(meter.geometry(), QRect(24, 242, 432, 270));
        // Each state draws its own board (decoded when the state comes).
        auto boardPixel = [](const char16_t* key, int id, QPoint at) {
            SkinManager board;
            board.LoadImage(u"LevelMeter", key, id);
            return board.GetBitmap().pixel(at);
        };
        EXPECT_EQ(meter.grab().toImage().pixel(2, 200),
                  boardPixel(u"LevelMeterBoardSLarge", 330, QPoint(2, 200)));
        QTest::mouseClick(&meter, Qt::LeftButton, {}, QPoint(400, 50));
        EXPECT_EQ(meter.State(), MeterWindow::kLargeBoard);
        EXPECT_EQ(meter.Covered(), MeterWindow::Covers::Toggles);
        EXPECT_EQ(meter.geometry(), QRect(24, 350, 432, 162));
        EXPECT_EQ(meter.grab().toImage().pixel(2, 130),
                  boardPixel(u"LevelMeterBoardLarge", 329, QPoint(2, 130)));
        EXPECT_EQ(changes, 2);

        meter.SetActive(false);
        QTest::mouseClick(&meter, Qt::LeftButton, {}, QPoint(10, 50));
        EXPECT_EQ(meter.State(), MeterWindow::kLargeBoard);
        meter.SetActive(true);
        QTest::mouseClick(&meter, Qt::LeftButton, {}, QPoint(10, 50)); // left half: back
        EXPECT_EQ(meter.State(), MeterWindow::kLargestBoard);
    }
    EXPECT_EQ(Settings::Get(skin.profile, kDispState), MeterWindow::kLargestBoard);
}

// The board shows the current line, "/" breaks it where the settings say so, and a new track
// wipes it.
TEST(MeterWindowTest, TheBoardWritesTheLyricLineAndANewTrackWipesIt) {
    EXPECT_EQ(MeterWindow::Shown(QStringLiteral("a / b /c/ d/e"), true),
              QStringLiteral("a\nb\nc\nd\ne"));
    EXPECT_EQ(MeterWindow::Shown(QStringLiteral("a / b"), false), QStringLiteral("a / b"));

    DisplaySkin skin;
    ASSERT_TRUE(skin.loaded);
    QWidget view;
    view.resize(480, 536);
    MeterWindow meter(skin.profile, &view);
    view.show();
    const QImage blank = meter.grab().toImage();
    meter.SetLyrics(QStringLiteral("Welcome to Sonvale"), QStringLiteral("Next"));
    EXPECT_NE(meter.grab().toImage(), blank);
    // With word times the words to come are dimmed.
    const QImage whole = meter.grab().toImage();
    meter.SetLyrics(QStringLiteral("Welcome to Sonvale"), QStringLiteral("Next"), 8);
    EXPECT_NE(meter.grab().toImage(), whole);
    meter.SetLyrics({}, {});
    EXPECT_EQ(meter.grab().toImage(), blank);
}

} // namespace
