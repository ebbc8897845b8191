#include "skin/DisplayPanel.h"
#include "skin/LevelSource.h"
#include "skin/MuteSwitch.h"
#include "skin/VuMeter.h"

#include "tests/skin/DisplaySkin.h"
#include "tests/skin/PaintLog.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(VuMeter, SegmentsFallAndPeakHold) {
    EXPECT_EQ(VuMeter::Segments(0.01f), 0);
    EXPECT_EQ(VuMeter::Segments(0.011f), 1);
    EXPECT_EQ(VuMeter::Segments(0.5f), 15);
    EXPECT_EQ(VuMeter::Segments(0.984f), 29);
    EXPECT_EQ(VuMeter::Segments(0.985f), 30);
    EXPECT_EQ(VuMeter::Segments(-1.0f), 0);

    VuMeter meter;
    meter.Step(20, 5);
    EXPECT_EQ(meter.Shown(1), 5);
    // Silence: the bar falls 2 segments a step; the peak's hold counter counts every second
    // step and the peak falls by 2 once it has counted past 5.
    const int shown[] = {18, 16, 14, 12, 10, 8, 6, 4, 2, 0, 0, 0, 0, 0};
    const int peak[] = {20, 20, 20, 20, 20, 20, 20, 20, 20, 20, 18, 18, 16, 16};
    for (int i = 0; i < 14; ++i) {
        meter.Step(0, 0);
        EXPECT_EQ(meter.Shown(0), shown[i]) << i;
        EXPECT_EQ(meter.Peak(0), peak[i]) << i;
    }
    // A falling bar stops where the level holds steady; a higher level shows at once.
    meter.Step(10, 0);
    meter.Step(4, 0);
    EXPECT_EQ(meter.Shown(0), 8);
    meter.Step(8, 0);
    EXPECT_EQ(meter.Shown(0), 8);
    meter.Step(25, 0);
    EXPECT_EQ(meter.Peak(0), 25);
}

TEST(PanelTime, ElapsedRemainingAndBlinkingMinutes) {
    auto time = DisplayPanel::TimeOf(300, 125, 1);
    EXPECT_EQ(time.minutes * 100 + time.seconds, 205);
    time = DisplayPanel::TimeOf(300, 125, 0);
    EXPECT_EQ(time.minutes * 100 + time.seconds, 255);
    EXPECT_EQ(DisplayPanel::TimeOf(0, 125, 1).seconds, 0);
    EXPECT_EQ(DisplayPanel::TimeOf(100, 125, 1).minutes, 0);
    time = DisplayPanel::TimeOf(9000, 125 * 60 + 30, 1);
    EXPECT_EQ(time.minutes * 100 + time.seconds, 2530);
    EXPECT_TRUE(time.blink);
}

class FakeLevels : public LevelSource {
public:
    void StartLevels() override { ++starts; }
    void StopLevels() override { ++stops; }
    bool Levels(float& l, float& r) override {
        l = left;
        r = right;
        return true;
    }
    float left = 0.0f, right = 0.0f;
    int starts = 0, stops = 0;
};

class DisplayPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(skin.loaded);
        panel = std::make_unique<DisplayPanel>(skin.profile, &levels, nullptr);
        panel->resize(368, 166);
    }
    QRgb Pixel(QPoint at) {
        return panel->grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(at);
    }
    // The colour in the middle of cell `index` of a digit field at `place`.
    QRgb Large(const QRect& place, int index) {
        return Pixel(place.topLeft() + QPoint(index * DisplaySkin::kLargeCell + 15, 24));
    }
    QRgb Small(QPoint at, int index) {
        return Pixel(at + QPoint(index * DisplaySkin::kSmallCell + 6, 9));
    }
    QRgb Vu(QPoint at, int segment) {
        return Pixel(at + QPoint(segment * DisplaySkin::kVuSegment + 4, 9));
    }
    void Tap(QPoint at) { QTest::mouseClick(panel.get(), Qt::LeftButton, {}, at); }

    static constexpr QPoint kInTime{150, 50};
    static constexpr QPoint kInVu{100, 120};
    DisplaySkin skin;
    FakeLevels levels;
    std::unique_ptr<DisplayPanel> panel;
};

TEST_F(DisplayPanelTest, DigitFieldsShowTheirCells) {
    panel->SetTrackNumber(1234);
    panel->SetTime(600, 125);
    EXPECT_FALSE(panel->SetQuality(QStringLiteral("4"), QStringLiteral("128")));
    EXPECT_FALSE(panel->SetQuality(QStringLiteral("44"), QStringLiteral("12345")));
    ASSERT_TRUE(panel->SetQuality(QStringLiteral("44"), QStringLiteral("1411")));

    using P = DisplayPanel;
    EXPECT_EQ(Large(P::kTrackPlace, 0), DisplaySkin::LargeDigit(3)); // "234"
    EXPECT_EQ(Large(P::kTrackPlace, 2), DisplaySkin::LargeDigit(5));
    EXPECT_EQ(Large(P::kMinutesPlace, 0), DisplaySkin::LargeDigit(1)); // 02:05
    EXPECT_EQ(Large(P::kMinutesPlace, 1), DisplaySkin::LargeDigit(3));
    EXPECT_EQ(Large(P::kSecondsPlace, 1), DisplaySkin::LargeDigit(6));
    EXPECT_EQ(Small(P::kRatePlace.topLeft(), 1), DisplaySkin::SmallDigit(5));
    EXPECT_EQ(Small(QPoint(242, 60), 0), DisplaySkin::SmallDigit(2)); // "1411" from x 242
    EXPECT_EQ(Small(QPoint(242, 60), 3), DisplaySkin::SmallDigit(2));
    // Three digits stand from x 254, with the background left of them.
    ASSERT_TRUE(panel->SetQuality(QStringLiteral("48"), QStringLiteral("320")));
    EXPECT_EQ(Small(QPoint(242, 60), 0), DisplaySkin::Background());
    EXPECT_EQ(Small(QPoint(254, 60), 0), DisplaySkin::SmallDigit(4));

    // A tap on the time shows the remaining 07:55; an inactive panel shows only its background.
    Tap(kInTime);
    EXPECT_EQ(panel->TimeMode(), 0);
    EXPECT_EQ(Large(P::kMinutesPlace, 1), DisplaySkin::LargeDigit(8));
    EXPECT_EQ(Large(P::kSecondsPlace, 0), DisplaySkin::LargeDigit(6));
    panel->SetActive(false);
    EXPECT_EQ(Large(P::kTrackPlace, 0), DisplaySkin::Background());
}

TEST_F(DisplayPanelTest, IndicatorRows) {
    const QPoint state = DisplayPanel::kPlayStatePlace.topLeft() + QPoint(7, 11);
    const QPoint quality = DisplayPanel::kQualityPlace.topLeft() + QPoint(9, 7);
    const QPoint hold = DisplayPanel::kHoldPlace.topLeft() + QPoint(20, 7);
    EXPECT_EQ(Pixel(quality), DisplaySkin::Quality(1));
    EXPECT_EQ(Pixel(hold), DisplaySkin::Hold(0));
    panel->SetPlayState(2);
    panel->SetAudioQuality(1);
    panel->SetHold(1);
    EXPECT_EQ(Pixel(state), DisplaySkin::PlayState(2));
    EXPECT_EQ(Pixel(quality), DisplaySkin::Quality(0));
    EXPECT_EQ(Pixel(hold), DisplaySkin::Hold(1));
    panel->SetPlayState(3);
    EXPECT_EQ(Pixel(state), DisplaySkin::PlayState(3));
}

TEST_F(DisplayPanelTest, LongTimesBlinkTheirMinutes) {
    panel->SetTime(9000, 125 * 60 + 30);
    ASSERT_TRUE(panel->MinutesBlinking());
    ASSERT_TRUE(QTest::qWaitFor([&] { return panel->MinutesHidden(); }, 5000));
    EXPECT_EQ(Large(DisplayPanel::kMinutesPlace, 0), DisplaySkin::Background());
    EXPECT_EQ(Large(DisplayPanel::kSecondsPlace, 0), DisplaySkin::LargeDigit(4));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->MinutesHidden(); }, 5000));
    EXPECT_EQ(Large(DisplayPanel::kMinutesPlace, 0), DisplaySkin::LargeDigit(3));

    panel->SetTime(9000, 60);
    EXPECT_FALSE(panel->MinutesBlinking());
    EXPECT_FALSE(panel->MinutesHidden());

    // Streams always show the elapsed time.
    Tap(kInTime);
    panel->SetStreamMode(true);
    panel->SetTime(300, 100);
    EXPECT_EQ(panel->TimeMode(), 1);
    Tap(kInTime);
    EXPECT_EQ(panel->TimeMode(), 1);
}

TEST_F(DisplayPanelTest, VuMeterStepsWhilePlayingAndDrawsBarsAndPeaks) {
    levels.left = 0.5f;
    levels.right = 0.1f;
    panel->LevelStep(); // not playing
    EXPECT_EQ(panel->Meter().Shown(0), 0);

    panel->SetPlaying(true);
    PostWindowMessage(panel.get(), DisplayPanel::kLevelStepMessage, 0, 0);
    QCoreApplication::sendPostedEvents(panel.get());
    levels.left = 0.0f;
    panel->LevelStep();
    panel->LevelStep();
    ASSERT_EQ(panel->Meter().Shown(0), 11);
    using P = DisplayPanel;
    EXPECT_EQ(Vu(P::kVuLeft, 10), DisplaySkin::VuLit());
    EXPECT_EQ(Vu(P::kVuLeft, 11), DisplaySkin::VuUnlit());
    EXPECT_EQ(Vu(P::kVuLeft, 14), DisplaySkin::VuLit()); // the peak, 15
    EXPECT_EQ(Vu(P::kVuLeft, 15), DisplaySkin::VuUnlit());
    EXPECT_EQ(Vu(P::kVuRight, 2), DisplaySkin::VuLit());
    EXPECT_EQ(Vu(P::kVuRight, 3), DisplaySkin::VuUnlit());

    // Pausing stops and clears the meter.
    panel->SetPaused(true);
    levels.left = 1.0f;
    panel->LevelStep();
    EXPECT_EQ(panel->Meter().Peak(0), 0);
    EXPECT_EQ(Vu(P::kVuLeft, 0), DisplaySkin::VuUnlit());
}

TEST_F(DisplayPanelTest, TapsToggleVuMeterAndTimeOnlyWhileActive) {
    panel->SetPlaying(true);
    Tap(kInVu);
    EXPECT_FALSE(panel->VUMeterOn());
    EXPECT_EQ(levels.stops, 1);
    levels.left = 0.5f;
    panel->LevelStep();
    EXPECT_EQ(panel->Meter().Shown(0), 0);
    Tap(kInVu);
    EXPECT_EQ(levels.starts, 1);

    panel->SetActive(false);
    EXPECT_EQ(panel->GetMuteSwitch()->ShownFrame(), -1);
    Tap(kInVu);
    Tap(kInTime);
    EXPECT_TRUE(panel->VUMeterOn());
    EXPECT_EQ(panel->TimeMode(), 1);

    // Both choices are stored when the panel goes.
    panel->SetActive(true);
    Tap(kInVu);
    Tap(kInTime);
    panel.reset();
    EXPECT_EQ(skin.Setting(setting::kVUMeter), 0);
    EXPECT_EQ(skin.Setting(setting::kTimeDisplay), 0);
}

TEST_F(DisplayPanelTest, TheMuteSwitchFollowsThePanel) {
    MuteSwitch* mute = panel->GetMuteSwitch();
    EXPECT_EQ(mute->geometry(), QRect(280, 82, 80, 78));
    panel->SetPlaying(true);
    mute->AnimateStep();
    EXPECT_EQ(mute->ShownFrame(), 0);
    panel->SetPaused(true);
    EXPECT_EQ(mute->ShownFrame(), -1);
    panel->SetPlaying(true);
    EXPECT_EQ(mute->ShownFrame(), 0);
    panel->SetStopped(true);
    EXPECT_EQ(mute->ShownFrame(), -1);
}

TEST_F(DisplayPanelTest, RepaintsOnlyWhatChanged) {
    using P = DisplayPanel;
    panel->SetTime(600, 125);
    panel->SetTrackNumber(3);
    panel->SetQuality(QStringLiteral("44"), QStringLiteral("128"));
    panel->SetPlaying(true);
    PaintLog log(*panel);

    // The same values again draw nothing; a new second draws only the seconds.
    panel->SetTime(600, 125);
    panel->SetTrackNumber(3);
    panel->SetQuality(QStringLiteral("44"), QStringLiteral("128"));
    panel->SetPlaying(true);
    EXPECT_EQ(log.Count(), 0);
    panel->SetTime(600, 126);
    EXPECT_GT(log.Count(), 0);
    EXPECT_EQ(log.painted.boundingRect(), P::kSecondsPlace);

    // Silence that stays silence asks for no drawing; a level draws only its own channel.
    log.Clear();
    for (int i = 0; i < 5; ++i)
        panel->LevelStep();
    EXPECT_EQ(log.Count(), 0);
    levels.left = 0.5f;
    panel->LevelStep();
    EXPECT_GT(log.Count(), 0);
    const QRect drawn = log.painted.boundingRect();
    EXPECT_TRUE(P::kVuArea.contains(drawn));
    EXPECT_LT(drawn.bottom(), P::kVuRight.y());
    const QPoint peak = P::kVuLeft + QPoint(14 * DisplaySkin::kVuSegment + 4, 9);
    EXPECT_EQ(log.OnScreen().pixel(peak), DisplaySkin::VuLit());

    // Once the bar and its peak have fallen back to nothing, the steps draw nothing again.
    levels.left = 0.0f;
    for (int i = 0; i < 40; ++i)
        panel->LevelStep();
    EXPECT_EQ(panel->Meter().Peak(0), 0);
    log.Clear();
    panel->LevelStep();
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(log.OnScreen().pixel(peak), DisplaySkin::VuUnlit());
}

TEST(DisplayPanelBuiltIn, WithoutASkinTheBuiltInImagesShow) {
    TempFolder folder;
    Registry registry(folder / "registry.db");
    Profile profile(registry, setting::kRegistryKeyWord, setting::kProfileName);
    ASSERT_FALSE(SkinManager::LoadSkin(folder.File16("missing.wps"), &profile));
    DisplayPanel panel(profile, nullptr, nullptr);
    panel.resize(368, 166);
    panel.SetPlaying(true);
    panel.LevelStep(); // no level source: the meter stays down
    EXPECT_EQ(panel.Meter().Shown(0), 0);
    SkinManager background;
    background.LoadImage(u"DisplayPanel", u"DisplayPanel", 145);
    ASSERT_TRUE(background.HasImage());
    const QImage image = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(image.pixel(1, 1), background.GetBitmap().pixel(1, 1) | 0xFF000000);
}

} // namespace
