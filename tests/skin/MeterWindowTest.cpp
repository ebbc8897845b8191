#include "skin/MeterWindow.h"

#include "settings/Settings.h"
#include "tests/skin/DisplaySkin.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace setting;

namespace {

// Without the library's spectrum only the three boards cycle; the largest covers the transport,
// the large one the toggles; taps count only while active; the state is kept at the end.
TEST(MeterWindowTest, BoardsCycleCoverWhatTheyGrowOverAndAreKept) {
    DisplaySkin skin;
    ASSERT_TRUE(skin.loaded);
    QWidget view;
    view.resize(480, 536);
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
        QTest::mouseClick(&meter, Qt::LeftButton, {}, QPoint(400, 50));
        EXPECT_EQ(meter.State(), MeterWindow::kLargeBoard);
        EXPECT_EQ(meter.Covered(), MeterWindow::Covers::Toggles);
        EXPECT_EQ(meter.geometry(), QRect(24, 350, 432, 162));
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
    meter.SetLyrics({}, {});
    EXPECT_EQ(meter.grab().toImage(), blank);
}

} // namespace
