#include "skin/ControlStyles.h"
#include "skin/NonFSDialog.h"
#include "skin/SliderCtrlEx.h"
#include "skin/SmallSlider.h"
#include "skin/ThumbnailStatic.h"
#include "tests/skin/ControlTestSupport.h"
#include "ui/WindowMessage.h"

namespace {

constexpr QRgb kWhite = 0xFFFFFFFFu;
constexpr QRgb kBlack = 0xFF000000u;

class SmallSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.ShowActive());
        slider = new SmallSlider(&parent);
        slider->setGeometry(10, 10, 40, 150); // centre 20, knob travel 128
        slider->show();
        SendWindowMessage(slider, TBM_SETRANGE, 0, static_cast<intptr_t>(MakeWParam(0, 64)));
    }
    // Positions the slider told its parent, in order.
    std::vector<int> Told() const {
        std::vector<int> positions;
        for (const auto& m : parent.Only(WM_VSCROLL)) {
            EXPECT_EQ(LowWord(m.wParam), TB_THUMBPOSITION);
            EXPECT_EQ(m.lParam, reinterpret_cast<intptr_t>(slider));
            positions.push_back(HighWord(m.wParam));
        }
        return positions;
    }

    RecordingParent parent;
    SmallSlider* slider = nullptr;
};

TEST_F(SmallSliderTest, KnobPlacesAndStylus) {
    EXPECT_EQ(slider->GetRangeMin(), 0);
    EXPECT_EQ(slider->GetRangeMax(), 64);
    EXPECT_EQ(slider->KnobRect(0), QRect(10, 0, 22, 22));
    EXPECT_EQ(slider->KnobTop(64), 128);
    EXPECT_EQ(slider->KnobTop(31), 62);

    const QImage& knob = SmallSlider::Knob();
    ASSERT_EQ(knob.size(), QSize(22, 22)); // the built-in knob picture
    SendWindowMessage(slider, TBM_SETPOS, 1, 31);
    EXPECT_EQ(slider->GetPos(), 31);
    EXPECT_EQ(ShownAt(*slider, 10 + 11, 62 + 11), knob.pixel(11, 11) | kBlack);
    SendWindowMessage(slider, TBM_SETPOS, 1, 100); // clamped, and the parent is not told
    EXPECT_EQ(slider->GetPos(), 64);
    EXPECT_TRUE(Told().empty());

    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(20, 64));
    EXPECT_TRUE(slider->hasFocus());
    EXPECT_EQ(slider->GetPos(), 32); // 64 / 128 * 64
    QTest::mouseMove(slider, QPoint(20, 500));
    EXPECT_EQ(slider->GetPos(), 64);
    QTest::mouseMove(slider, QPoint(20, -30));
    EXPECT_EQ(slider->GetPos(), 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(20, -30));
    EXPECT_FALSE(slider->IsDragging());
    QTest::mouseMove(slider, QPoint(20, 100)); // not dragging any more
    EXPECT_EQ(slider->GetPos(), 0);
    EXPECT_EQ(Told(), (std::vector<int>{32, 64, 0})); // sent at once, each change once
}

TEST_F(SmallSliderTest, KeysMoveByPagesStepsAndToTheEnds) {
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->GetPos(), 12); // (64 - 0) / 5
    QTest::keyClick(slider, Qt::Key_Down);
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_EQ(slider->GetPos(), 14);
    QTest::keyClick(slider, Qt::Key_Up);
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_PageUp);
    EXPECT_EQ(slider->GetPos(), 0);
    QTest::keyClick(slider, Qt::Key_PageUp); // clamped: no change, no message
    QTest::keyClick(slider, Qt::Key_End);
    QTest::keyClick(slider, Qt::Key_PageDown);
    EXPECT_EQ(slider->GetPos(), 64);
    QTest::keyClick(slider, Qt::Key_Home);
    EXPECT_EQ(Told(), (std::vector<int>{12, 13, 14, 13, 12, 0, 64, 0}));
}

TEST_F(SmallSliderTest, BackgroundIsSharedAndShowsTheMarkAndFocus) {
    SendWindowMessage(slider, TBM_SETTIC, 0, 32);
    EXPECT_EQ(slider->GetMark(), 32);
    // The mark line at (150 - 22) * 32 / 64 + 10 = 74, from centre - 14 to centre + 16, under
    // the light grey groove from centre - 8 to centre + 10.
    EXPECT_EQ(ShownAt(*slider, 6, 74), kBlack);
    EXPECT_EQ(ShownAt(*slider, 35, 74), kBlack);
    EXPECT_EQ(ShownAt(*slider, 36, 74), kWhite);
    const QRgb groove = ShownAt(*slider, 20, 74);
    EXPECT_NE(groove, kBlack);
    EXPECT_NE(groove, kWhite);
    EXPECT_EQ(ShownAt(*slider, 12, 140), groove);
    EXPECT_EQ(ShownAt(*slider, 29, 140), groove);
    EXPECT_EQ(ShownAt(*slider, 30, 140), kWhite);

    slider->setFocus();
    EXPECT_EQ(ShownAt(*slider, 12, 140), kBlack); // the outline around the groove
    EXPECT_EQ(ShownAt(*slider, 29, 140), kBlack);
    EXPECT_EQ(ShownAt(*slider, 20, 140), groove);

    // Another slider with another mark redraws the background of both.
    SmallSlider other(&parent);
    other.setGeometry(60, 10, 40, 150);
    other.SetRange(0, 64);
    other.SetMark(0);
    EXPECT_EQ(ShownAt(*slider, 6, 74), kWhite);
    EXPECT_EQ(ShownAt(*slider, 6, 10), kBlack);

    other.SetRange(5, 5); // no range: no mark line, the knob at the top
    EXPECT_EQ(other.KnobTop(5), 0);
    EXPECT_EQ(ShownAt(other, 6, 10), kWhite);
}

class SliderCtrlExTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(parent.ShowActive()); }
    std::vector<std::pair<int, int>> Told() const {
        std::vector<std::pair<int, int>> scrolls;
        for (const auto& m : parent.Only(WM_HSCROLL))
            scrolls.emplace_back(LowWord(m.wParam), HighWord(m.wParam));
        return scrolls;
    }
    RecordingParent parent;
};

TEST_F(SliderCtrlExTest, ATapMovesTheThumbThereAndTheReleaseReportsOnce) {
    SliderCtrlEx slider(Qt::Horizontal, &parent);
    slider.setRange(0, 100);
    slider.setGeometry(10, 10, 220, 30);
    slider.show();
    const int middle = slider.PositionFromPoint(QPoint(110, 15));
    EXPECT_NEAR(middle, 50, 1);
    EXPECT_EQ(slider.PositionFromPoint(QPoint(0, 15)), 0);
    EXPECT_EQ(slider.PositionFromPoint(QPoint(219, 15)), 100);

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(110, 15));
    EXPECT_TRUE(slider.IsDragging());
    EXPECT_TRUE(slider.hasFocus());
    EXPECT_EQ(slider.value(), middle);
    QTest::mouseMove(&slider, QPoint(400, 15));
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(400, 15));
    EXPECT_EQ(slider.value(), 100);
    EXPECT_EQ(Told(), (std::vector<std::pair<int, int>>{
                          {TB_THUMBTRACK, middle}, {TB_THUMBTRACK, 100}, {TB_THUMBPOSITION, 100}}));
    EXPECT_EQ(parent.got[0].lParam, reinterpret_cast<intptr_t>(&slider));

    // A tap on the thumb's own place changes nothing and tells nothing.
    parent.got.clear();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(219, 15));
    EXPECT_TRUE(parent.got.empty());
}

TEST_F(SliderCtrlExTest, VerticalHasTheMinimumAtTheTopAndStillSendsHorizontalScrolls) {
    SliderCtrlEx slider(Qt::Vertical, &parent);
    slider.setRange(10, 20);
    slider.setValue(15);
    slider.setGeometry(10, 10, 30, 200);
    slider.show();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(15, 0));
    EXPECT_EQ(slider.value(), 10);
    EXPECT_EQ(Told(),
              (std::vector<std::pair<int, int>>{{TB_THUMBTRACK, 10}, {TB_THUMBPOSITION, 10}}));
    EXPECT_TRUE(parent.Only(WM_VSCROLL).empty());

    parent.got.clear();
    slider.setFocus();
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.value(), 20);
    EXPECT_EQ(Told(), (std::vector<std::pair<int, int>>{{TB_BOTTOM, 20}, {TB_ENDTRACK, 20}}));
}

TEST(ThumbnailStatic, ShowsItsPictureScaledToTheClientArea) {
    RecordingParent parent;
    ThumbnailStatic preview(QRect(20, 30, 240, 268), &parent);
    preview.SetBitmap(CellPicture(80, 2, 2, 240, 268)); // 480 x 536, four flat quarters
    EXPECT_EQ(preview.geometry(), QRect(20, 30, 240, 268));
    EXPECT_EQ(ShownAt(preview, 60, 60), CellColor(80, 0, 0));
    EXPECT_EQ(ShownAt(preview, 180, 60), CellColor(80, 1, 0));
    EXPECT_EQ(ShownAt(preview, 180, 200), CellColor(80, 1, 1));
    preview.SetBitmap(CellPicture(90, 1, 1, 10, 10));
    EXPECT_EQ(ShownAt(preview, 200, 250), CellColor(90, 0, 0));
}

TEST(NonFSDialog, KeepsItsSizeWhenAskedToFillTheScreen) {
    NonFSDialog dialog;
    dialog.resize(200, 120);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.showMaximized();
    QApplication::processEvents();
    EXPECT_EQ(dialog.size(), QSize(200, 120));
    EXPECT_FALSE(dialog.windowState() & Qt::WindowMaximized);
    dialog.showFullScreen();
    QApplication::processEvents();
    EXPECT_EQ(dialog.size(), QSize(200, 120));
    EXPECT_FALSE(dialog.windowState() & Qt::WindowFullScreen);
}

} // namespace
