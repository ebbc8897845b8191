#include "input/Command.h"
#include "skin/ControlStyles.h"
#include "skin/ImageButton.h"
#include "skin/ToggleButton.h"
#include "skin/VirtualKey.h"
#include "tests/skin/ControlTestSupport.h"
#include "tests/skin/PaintLog.h"

#include <QKeyEvent>

namespace {

const int kPlay = CommandId(Command::Play);
const int kShuffle = CommandId(Command::Shuffle);

// Every picture of these tests: cells of 40 x 30.
constexpr int kCellW = 40;
constexpr int kCellH = 30;

class ButtonsTest : public ::testing::Test {
protected:
    void SetUp() override {
        skin.Add("PlayButton", CellPicture(10, 3, 2, kCellW, kCellH));
        skin.Add("PauseButton", CellPicture(20, 2, 2, kCellW, kCellH));
        skin.Add("StopButton", CellPicture(30, 1, 2, kCellW, kCellH));
        skin.Add("ShuffleButton", CellPicture(40, 4, 2, kCellW, kCellH));
        ASSERT_TRUE(skin.Load());
        ASSERT_TRUE(parent.ShowActive());
    }

    QImage Picture(const std::u16string& key, int defaultId) {
        bool fromSkin = false;
        QImage image = TestSkin::Element(key, defaultId, &fromSkin);
        EXPECT_TRUE(fromSkin);
        return image;
    }

    void Click(QWidget& button) {
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(5, 5));
        QApplication::processEvents();
    }

    TestSkin skin;
    RecordingParent parent;
};

TEST_F(ButtonsTest, ThreeColumnButtonDrawsTheCellOfEachState) {
    ImageButton button(Picture(u"PlayButton", 134), IBS_THREE_COLUMNS | WS_TABSTOP, QPoint(86, 250),
                       &parent, kPlay);
    button.show();
    EXPECT_EQ(button.geometry(), QRect(86, 250, kCellW, kCellH)); // one cell at the top-left
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 0, 0));

    button.setFocus();
    ASSERT_TRUE(button.hasFocus());
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 1, 0));

    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(button.IsPressed());
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 0, 1)); // pressed and focused
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(5, 5));

    button.setEnabled(false);
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 2, 0));
}

TEST_F(ButtonsTest, GridBitsChooseTheFocusedAndDisabledColumns) {
    const QImage two = Picture(u"PauseButton", 136);
    ImageButton disabledShows1(two, IBS_TWO_COLUMNS, QPoint(0, 0), &parent, 1);
    ImageButton focusedShows1(two, IBS_TWO_COLUMNS_FOCUS, QPoint(0, 40), &parent, 2);
    ImageButton one(Picture(u"StopButton", 133), IBS_ONE_COLUMN, QPoint(0, 80), &parent, 3);
    for (ImageButton* button : {&disabledShows1, &focusedShows1, &one})
        button->show();
    EXPECT_EQ(disabledShows1.Columns(), 2);
    EXPECT_EQ(one.Columns(), 1);
    EXPECT_EQ(one.size(), QSize(kCellW, kCellH));

    disabledShows1.setFocus();
    EXPECT_EQ(ShownAt(disabledShows1, 1, 1), CellColor(20, 0, 0));
    focusedShows1.setFocus();
    EXPECT_EQ(ShownAt(focusedShows1, 1, 1), CellColor(20, 1, 0));
    one.setFocus();
    EXPECT_EQ(ShownAt(one, 1, 1), CellColor(30, 0, 0));

    focusedShows1.clearFocus();
    for (ImageButton* button : {&disabledShows1, &focusedShows1, &one})
        button->setEnabled(false);
    EXPECT_EQ(ShownAt(disabledShows1, 1, 1), CellColor(20, 1, 0));
    EXPECT_EQ(ShownAt(focusedShows1, 1, 1), CellColor(20, 0, 0));
    EXPECT_EQ(ShownAt(one, 1, 1), CellColor(30, 0, 0));
}

TEST_F(ButtonsTest, PressMoveOutAndInReleaseInsideGivesOnePostedClick) {
    ImageButton button(Picture(u"PlayButton", 134), IBS_THREE_COLUMNS, QPoint(86, 250), &parent,
                       kPlay);
    button.show();
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_FALSE(button.hasFocus()); // no tab-stop: a press leaves the focus where it was
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 0, 1));
    QTest::mouseMove(&button, QPoint(kCellW + 15, 10));
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 0, 0));
    QTest::mouseMove(&button, QPoint(12, 12));
    EXPECT_TRUE(button.IsPressed());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(12, 12));
    EXPECT_TRUE(parent.got.empty()); // posted, not sent
    QApplication::processEvents();

    ASSERT_EQ(parent.got.size(), 1u);
    EXPECT_EQ(parent.got[0].message, WM_COMMAND);
    EXPECT_EQ(LowWord(parent.got[0].wParam), kPlay);
    EXPECT_EQ(HighWord(parent.got[0].wParam), BN_CLICKED);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 0, 0));
}

TEST_F(ButtonsTest, ReleaseOutsideGivesNoClickAndTabStopTakesTheFocus) {
    ImageButton button(Picture(u"PlayButton", 134), IBS_THREE_COLUMNS | WS_TABSTOP, QPoint(86, 250),
                       &parent, kPlay);
    button.show();
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_TRUE(button.hasFocus());
    QTest::mouseMove(&button, QPoint(-5, 10));
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(-5, 10));
    QApplication::processEvents();
    EXPECT_TRUE(parent.Only(WM_COMMAND).empty());
    EXPECT_FALSE(button.IsTracking());
    EXPECT_EQ(ShownAt(button, 20, 15), CellColor(10, 1, 0)); // focused, released

    // A disabled button hears no stylus at all.
    button.setEnabled(false);
    Click(button);
    EXPECT_TRUE(parent.Only(WM_COMMAND).empty());
}

TEST_F(ButtonsTest, FocusAndAReleaseOutsideDrawOnlyWhatChanges) {
    ImageButton one(Picture(u"StopButton", 136), IBS_ONE_COLUMN | WS_TABSTOP, QPoint(0, 0), &parent,
                    3);
    ImageButton three(Picture(u"PlayButton", 134), IBS_THREE_COLUMNS | WS_TABSTOP, QPoint(0, 40),
                      &parent, kPlay);
    PaintLog oneLog(one);
    PaintLog threeLog(three);
    one.setFocus();
    EXPECT_EQ(oneLog.Count(), 0);
    three.setFocus();
    EXPECT_GT(threeLog.Count(), 0);
    EXPECT_EQ(threeLog.OnScreen().pixel(20, 15), CellColor(10, 1, 0));

    QTest::mousePress(&three, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(&three, QPoint(-5, 10));
    threeLog.Clear();
    QTest::mouseRelease(&three, Qt::LeftButton, {}, QPoint(-5, 10));
    EXPECT_EQ(threeLog.Count(), 0);
    EXPECT_EQ(threeLog.OnScreen().pixel(20, 15), CellColor(10, 1, 0));
}

TEST_F(ButtonsTest, DefaultPushButtonTellsItsParentItsId) {
    ImageButton button(Picture(u"PlayButton", 134), IBS_THREE_COLUMNS | BS_DEFPUSHBUTTON,
                       QPoint(0, 0), &parent, kPlay);
    ASSERT_EQ(parent.got.size(), 1u); // sent at creation
    EXPECT_EQ(parent.got[0].message, DM_SETDEFID);
    EXPECT_EQ(parent.got[0].wParam, static_cast<uintptr_t>(kPlay));
}

TEST_F(ButtonsTest, AutoToggleFlipsOncePerClickBeforeTheParentHandlesIt) {
    ToggleButton shuffle(Picture(u"ShuffleButton", 158), WS_TABSTOP, QPoint(32, 466), &parent,
                         kShuffle, true);
    shuffle.show();
    EXPECT_EQ(shuffle.size(), QSize(kCellW, kCellH));
    EXPECT_FALSE(shuffle.GetCheck());
    EXPECT_EQ(ShownAt(shuffle, 5, 5), CellColor(40, 2, 0)); // off

    std::vector<bool> stateWhenHandled;
    parent.onMessage = [&](const RecordingParent::Message& m) {
        if (m.message == WM_COMMAND)
            stateWhenHandled.push_back(shuffle.GetCheck());
    };
    QTest::mousePress(&shuffle, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(ShownAt(shuffle, 5, 5), CellColor(40, 3, 1)); // off, focused, pressed
    QTest::mouseRelease(&shuffle, Qt::LeftButton, {}, QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_EQ(stateWhenHandled, std::vector<bool>{true});
    EXPECT_EQ(ShownAt(shuffle, 5, 5), CellColor(40, 1, 0)); // on, focused

    // A click released outside changes nothing.
    QTest::mousePress(&shuffle, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(&shuffle, QPoint(5, kCellH + 10));
    QTest::mouseRelease(&shuffle, Qt::LeftButton, {}, QPoint(5, kCellH + 10));
    QApplication::processEvents();
    EXPECT_TRUE(shuffle.GetCheck());

    Click(shuffle);
    EXPECT_EQ(stateWhenHandled, (std::vector<bool>{true, false}));
    shuffle.clearFocus();
    EXPECT_EQ(ShownAt(shuffle, 5, 5), CellColor(40, 2, 0));
    shuffle.SetCheck(true);
    EXPECT_EQ(ShownAt(shuffle, 5, 5), CellColor(40, 0, 0));
    shuffle.setEnabled(false); // disabled draws as normal
    EXPECT_EQ(ShownAt(shuffle, 5, 5), CellColor(40, 0, 0));
}

TEST_F(ButtonsTest, ToggleWithoutAutoToggleChangesOnlyThroughSetCheck) {
    ToggleButton repeat(Picture(u"ShuffleButton", 159), 0, QPoint(168, 466), &parent,
                        CommandId(Command::Repeat), false);
    repeat.show();
    Click(repeat);
    EXPECT_EQ(parent.Only(WM_COMMAND).size(), 1u);
    EXPECT_EQ(ShownAt(repeat, 5, 5), CellColor(40, 2, 0));
    repeat.SetCheck(true);
    EXPECT_EQ(ShownAt(repeat, 5, 5), CellColor(40, 0, 0));
}

TEST_F(ButtonsTest, KeysGoToTheParentAsKeyMessages) {
    ImageButton button(Picture(u"PlayButton", 134), IBS_THREE_COLUMNS | WS_TABSTOP, QPoint(0, 0),
                       &parent, kPlay);
    button.show();
    button.setFocus();
    QTest::keyClick(&button, Qt::Key_Left);
    QTest::keyPress(&button, Qt::Key_F3);
    QApplication::processEvents();
    ASSERT_EQ(parent.got.size(), 3u);
    EXPECT_EQ(parent.got[0].message, WM_KEYDOWN);
    EXPECT_EQ(parent.got[0].wParam, 0x25u);
    EXPECT_EQ(parent.got[0].lParam, 1); // one stroke, key was up
    EXPECT_EQ(parent.got[1].message, WM_KEYUP);
    EXPECT_EQ(parent.got[1].wParam, 0x25u);
    EXPECT_EQ(static_cast<uintptr_t>(parent.got[1].lParam), 0xC0000001u);
    EXPECT_EQ(parent.got[2].message, WM_KEYDOWN);
    EXPECT_EQ(parent.got[2].wParam, 0x72u);
}

TEST(VirtualKey, QtKeysMapToTheSystemCodes) {
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_A, false), 0x41u);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_7, true), 0x67u); // keypad digits
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Exclam, false), 0x31u);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_F24, false), 0x87u);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_MediaTogglePlayPause, false), 179u);
    EXPECT_EQ(VirtualKeyFromQt(Qt::Key_Launch0, false), 0u);
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), true, 3);
    EXPECT_EQ(static_cast<uintptr_t>(KeyMessageLParam(repeat)), 0x40000003u);
}

TEST(SkinnedButton, AButtonTheSkinDoesNotNameTakesItsBuiltInPicture) {
    TestSkin skin;
    skin.Add("StopButton", CellPicture(30, 3, 2, kCellW, kCellH));
    ASSERT_TRUE(skin.Load());
    bool fromSkin = true;
    const QImage play = TestSkin::Element(u"PlayButton", 134, &fromSkin);
    EXPECT_FALSE(fromSkin);
    RecordingParent parent;
    ImageButton button(play, IBS_THREE_COLUMNS, QPoint(86, 250), &parent, kPlay);
    EXPECT_EQ(button.geometry(), QRect(86, 250, 366 / 3, 96 / 2));
}

} // namespace
