#include "skin/ImageSlideBar.h"
#include "skin/ControlStyles.h"
#include "tests/skin/ControlTestSupport.h"
#include "tests/skin/PaintLog.h"

namespace {

constexpr int kSeek = 1110;
constexpr int kVolume = 1120;
constexpr int kTrack = 50; // colour base of the track pictures
constexpr int kThumb = 60; // and of the thumbs

QRgb TrackColor() {
    return CellColor(kTrack, 0, 0);
}

class ImageSlideBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        skin.Add("ProgressSlideTrack", CellPicture(kTrack, 1, 1, 432, 32));
        skin.Add("ProgressThumb", CellPicture(kThumb, 3, 2, 48, 32));
        skin.Add("VolumeSlideTrack", CellPicture(kTrack, 1, 1, 36, 92));
        skin.Add("VolumeThumb", CellPicture(kThumb, 3, 2, 36, 24));
        ASSERT_TRUE(skin.Load());
        ASSERT_TRUE(parent.ShowActive());
    }

    // The position slider of the main view: 432 x 32 with a 48 x 32 thumb cell.
    std::unique_ptr<ImageSlideBar> Seek(uint32_t style, bool selection) {
        auto bar = std::make_unique<ImageSlideBar>(
            style, QRect(QPoint(24, 314), QPoint(455, 345)), &parent, kSeek,
            TestSkin::Element(u"ProgressSlideTrack", 139), TestSkin::Element(u"ProgressThumb", 140),
            selection);
        bar->show();
        return bar;
    }
    // The volume slider: 36 x 92 with a 36 x 24 thumb cell.
    std::unique_ptr<ImageSlideBar> Volume(uint32_t style) {
        auto bar = std::make_unique<ImageSlideBar>(
            style | TBS_VERT, QRect(QPoint(34, 132), QPoint(69, 223)), &parent, kVolume,
            TestSkin::Element(u"VolumeSlideTrack", 138), TestSkin::Element(u"VolumeThumb", 137),
            false);
        bar->show();
        return bar;
    }
    // The colour at the middle of the thumb's place for the current position.
    static QRgb ThumbShown(ImageSlideBar& bar) {
        const QPoint centre = bar.ThumbRect(bar.GetPos()).center();
        return ShownAt(bar, centre.x(), centre.y());
    }
    std::vector<intptr_t> Codes(int id) const {
        std::vector<intptr_t> codes;
        for (const auto& m : parent.Only(WM_SLIDEBAR_NOTIFY)) {
            EXPECT_EQ(m.wParam, static_cast<uintptr_t>(id));
            codes.push_back(m.lParam);
        }
        return codes;
    }

    TestSkin skin;
    RecordingParent parent;
};

TEST_F(ImageSlideBarTest, HorizontalGeometryFollowsTheThumbCell) {
    auto bar = Seek(0, false);
    EXPECT_EQ(bar->size(), QSize(432, 32));
    EXPECT_EQ(bar->windowTitle(), QStringLiteral("ImageSliderCtrl"));
    EXPECT_EQ(bar->ThumbSize(), QSize(48, 32));
    EXPECT_EQ(bar->HitStrip(), QRect(0, 0, 432, 32));
    EXPECT_EQ(bar->ThumbRect(0), QRect(0, 0, 48, 32));
    EXPECT_EQ(bar->ThumbRect(50), QRect(192, 0, 48, 32));
    EXPECT_EQ(bar->ThumbRect(100), QRect(384, 0, 48, 32));
    EXPECT_EQ(bar->PositionFromPoint(QPoint(24, 5)), 0);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(-50, 5)), 0);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(408, 5)), 100);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(216, 5)), 50);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(100, 5)), 19); // 76 * 100 / 384, truncated
    bar->SetRange(0, 1000, 0);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(100, 5)), 197);
    EXPECT_EQ(bar->ThumbRect(333), QRect(127, 0, 48, 32));
}

TEST_F(ImageSlideBarTest, VerticalGeometryHasTheMaximumAtTheTop) {
    auto bar = Volume(0);
    EXPECT_TRUE(bar->IsVertical());
    EXPECT_EQ(bar->HitStrip(), QRect(0, 0, 36, 92));
    EXPECT_EQ(bar->ThumbRect(0), QRect(0, 68, 36, 24));
    EXPECT_EQ(bar->ThumbRect(50), QRect(0, 34, 36, 24));
    EXPECT_EQ(bar->ThumbRect(100), QRect(0, 0, 36, 24));
    EXPECT_EQ(bar->PositionFromPoint(QPoint(5, 80)), 0);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(5, 12)), 100);
    EXPECT_EQ(bar->PositionFromPoint(QPoint(5, 46)), 50);

    // Dragging to the top gives the maximum.
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(18, 70));
    QTest::mouseMove(bar.get(), QPoint(18, -40));
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(18, -40));
    EXPECT_EQ(bar->GetPos(), 100);
}

TEST_F(ImageSlideBarTest, RangeAndPositionRules) {
    auto bar = Seek(0, false);
    bar->SetPos(40);
    bar->SetPos(101);
    bar->SetPos(-1);
    EXPECT_EQ(bar->GetPos(), 40); // outside the range: ignored, not clamped
    EXPECT_EQ(ThumbShown(*bar), CellColor(kThumb, 0, 0));
    EXPECT_EQ(bar->ThumbRect(40).left(), 153);

    bar->SetRange(0, 1000, 50);
    EXPECT_EQ(bar->GetPageSize(), 50);
    bar->SetRange(0, 1000, 70); // the same range does nothing at all
    EXPECT_EQ(bar->GetPageSize(), 50);
    bar->SetRange(0, 500, 900); // a page larger than the range is not taken
    EXPECT_EQ(bar->GetRangeMax(), 500);
    EXPECT_EQ(bar->GetPageSize(), 50);
    bar->SetRange(7, 7, 0);
    EXPECT_EQ(bar->GetRangeMin(), 0);
    EXPECT_EQ(bar->GetRangeMax(), 100);
}

TEST_F(ImageSlideBarTest, DraggingPastTheEndGivesTheMaximumAndNotifiesTheParent) {
    auto bar = Seek(WS_TABSTOP, false);
    QTest::mousePress(bar.get(), Qt::LeftButton, {}, QPoint(30, 16));
    EXPECT_TRUE(bar->IsDragging());
    EXPECT_TRUE(bar->hasFocus());
    EXPECT_EQ(bar->GetPos(), 1);                          // 6 * 100 / 384
    EXPECT_EQ(ThumbShown(*bar), CellColor(kThumb, 1, 1)); // focused, dragging
    QTest::mouseMove(bar.get(), QPoint(300, 16));
    EXPECT_EQ(bar->GetPos(), 71);
    QTest::mouseMove(bar.get(), QPoint(600, 40));
    EXPECT_EQ(bar->GetPos(), 100);
    QTest::mouseRelease(bar.get(), Qt::LeftButton, {}, QPoint(600, 40));
    EXPECT_FALSE(bar->IsDragging());
    EXPECT_EQ(bar->GetPos(), 100);
    EXPECT_EQ(ThumbShown(*bar), CellColor(kThumb, 1, 0));
    EXPECT_TRUE(parent.got.empty()); // posted
    QApplication::processEvents();
    EXPECT_EQ(Codes(kSeek), (std::vector<intptr_t>{SLIDEBAR_MOVED, SLIDEBAR_MOVED, SLIDEBAR_MOVED,
                                                   SLIDEBAR_RELEASED}));

    bar->clearFocus();
    EXPECT_EQ(ThumbShown(*bar), CellColor(kThumb, 0, 0));
    bar->setEnabled(false);
    EXPECT_EQ(ThumbShown(*bar), CellColor(kThumb, 2, 0));
}

TEST_F(ImageSlideBarTest, PressOutsideTheHitStripDoesNothing) {
    ImageSlideBar bar(0, QRect(0, 0, 432, 60), &parent, kSeek,
                      TestSkin::Element(u"ProgressSlideTrack", 139),
                      TestSkin::Element(u"ProgressThumb", 140), false);
    bar.show();
    EXPECT_EQ(bar.HitStrip(), QRect(0, 14, 432, 32));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(300, 5));
    QTest::mouseClick(&bar, Qt::LeftButton, {}, QPoint(300, 55));
    QApplication::processEvents();
    EXPECT_EQ(bar.GetPos(), 0);
    EXPECT_TRUE(parent.got.empty());
    EXPECT_EQ(ShownAt(bar, 300, 20), TrackColor());
    EXPECT_EQ(ShownAt(bar, 24, 30), CellColor(kThumb, 0, 0)); // thumb centred vertically
}

TEST_F(ImageSlideBarTest, SelectionBandFollowsTheMarks) {
    auto bar = Seek(0, true);
    EXPECT_EQ(bar->SelectionColor(), QColor(148, 142, 181));
    const QRgb band = bar->SelectionColor().rgb();
    bar->SetPos(20);
    bar->MarkSelection();
    bar->SetPos(60);
    // One mark: the band runs from the mark to the position.
    EXPECT_EQ(bar->SelectionBand(), QRect(QPoint(76, 6), QPoint(277, 22)));
    EXPECT_EQ(ShownAt(*bar, 150, 10), band);
    EXPECT_EQ(ShownAt(*bar, 150, 23), TrackColor());
    EXPECT_EQ(ShownAt(*bar, 150, 5), TrackColor());
    int from = 0, to = 0;
    EXPECT_FALSE(bar->GetSelection(from, to));

    bar->MarkSelection();
    bar->SetPos(90);
    ASSERT_TRUE(bar->GetSelection(from, to));
    EXPECT_EQ(from, 20);
    EXPECT_EQ(to, 60);
    EXPECT_EQ(ShownAt(*bar, 150, 10), band);
    EXPECT_EQ(ShownAt(*bar, 300, 10), TrackColor());

    bar->MarkSelection(); // the third press clears the band
    EXPECT_EQ(bar->MarkCount(), 0);
    EXPECT_FALSE(bar->GetSelection(from, to));
    EXPECT_EQ(ShownAt(*bar, 150, 10), TrackColor());

    bar->SetSelection(100, 0); // kept 6 pixels inside the ends
    ASSERT_TRUE(bar->GetSelection(from, to));
    EXPECT_EQ(from, 0);
    EXPECT_EQ(to, 100);
    EXPECT_EQ(bar->SelectionBand(), QRect(6, 6, 420, 17));
    bar->SetSelectionColor(QColor(1, 2, 3));
    EXPECT_EQ(ShownAt(*bar, 10, 10), qRgb(1, 2, 3));
    bar->ClearSelection();
    EXPECT_TRUE(bar->SelectionBand().isEmpty());

    auto plain = Seek(0, false);
    plain->MarkSelection();
    plain->SetSelection(10, 20);
    EXPECT_EQ(plain->MarkCount(), 0);
}

TEST_F(ImageSlideBarTest, APositionRepaintsOnlyWhenTheThumbMoves) {
    auto bar = Seek(WS_TABSTOP, false);
    bar->SetRange(0, 100000, 10); // far more positions than pixels
    bar->SetPos(50000);
    PaintLog log(*bar);
    const QRect before = bar->ThumbRect(50000);
    bar->SetPos(50001);
    EXPECT_EQ(bar->GetPos(), 50001);
    EXPECT_EQ(log.Count(), 0);
    bar->SetPos(60000);
    EXPECT_GT(log.Count(), 0);
    EXPECT_EQ(log.painted.boundingRect(), before.united(bar->ThumbRect(60000)));
    const QImage shown = log.OnScreen();
    EXPECT_EQ(shown.pixel(bar->ThumbRect(60000).center()), CellColor(kThumb, 0, 0));
    EXPECT_EQ(shown.pixel(before.center()), TrackColor());
}

TEST_F(ImageSlideBarTest, KeysGoToTheParent) {
    auto bar = Seek(WS_TABSTOP, false);
    bar->setFocus();
    QTest::keyClick(bar.get(), Qt::Key_Right);
    QApplication::processEvents();
    ASSERT_EQ(parent.got.size(), 2u);
    EXPECT_EQ(parent.got[0].message, WM_KEYDOWN);
    EXPECT_EQ(parent.got[0].wParam, 0x27u);
    EXPECT_EQ(parent.got[1].message, WM_KEYUP);
    EXPECT_EQ(bar->GetPos(), 0); // the slider itself does not move on keys
}

} // namespace
