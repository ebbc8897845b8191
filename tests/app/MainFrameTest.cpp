#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/SonvaleApp.h"
#include "tests/app/FakeFrameView.h"
#include "tests/app/FakeTelephonyLine.h"
#include "ui/WindowMessage.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>

namespace {

class MainFrameTest : public ::testing::Test {
protected:
    std::unique_ptr<MainFrame> MakeFrame(bool withLine = true) {
        std::unique_ptr<TelephonyLine> line;
        if (withLine)
            line = std::make_unique<FakeTelephonyLine>(script);
        return std::make_unique<MainFrame>(
            [this](QWidget* parent) -> std::unique_ptr<FrameView> {
                auto fake = std::make_unique<FakeFrameView>(parent);
                view = fake.get();
                view->createResult = viewCreates;
                view->onCreate = onViewCreate;
                return fake;
            },
            std::move(line));
    }

    static void Deliver() { QCoreApplication::sendPostedEvents(); }

    FakeTelephonyLine::Script script;
    FakeFrameView* view = nullptr;
    bool viewCreates = true;
    std::function<void()> onViewCreate;
};

// Every command of the menu bar with its text, popup by popup.
const std::map<int, QString> kMenuCommands = {
    {32772, "Open Files..."},
    {32968, "Open Folder..."},
    {32966, "Open URL..."},
    {32893, "Delete File..."},
    {57665, "Exit"},
    {32773, "Play"},
    {32774, "Pause"},
    {32775, "Stop"},
    {32780, "Last Track"},
    {32781, "Next Track"},
    {32922, "Shuffle/Repeat"},
    {32923, "Speed/A<->B"},
    {32815, "Playlist..."},
    {32857, "Playback Speed..."},
    {32882, "Download Lyrics..."},
    {32879, "Show Lyrics..."},
    {32965, "Keep Sync Time"},
    {32924, "0.5 Sec Faster"},
    {32926, "Default Sync"},
    {32925, "0.5 Sec Slower"},
    {32964, "Enable Favorites"},
    {32967, "Add Favorites"},
    {32963, "Edit Favorites..."},
    {32866, "Sleep Timer..."},
    {32860, "Sound Effects..."},
    {32840, "Settings..."},
    {57664, "About Sonvale..."},
};

std::map<int, QString> CommandsOf(const QList<QMenu*>& popups) {
    std::map<int, QString> found;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            if (action->menu())
                walk(action->menu());
            else if (!action->isSeparator())
                found[MainMenu::CommandId(action)] = action->text();
        }
    };
    for (QMenu* popup : popups)
        walk(popup);
    return found;
}

TEST_F(MainFrameTest, CreationHostsTheViewUnderTheTitleSonvale) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create(u"/music/a.mp3"));
    EXPECT_EQ(frame->windowTitle(), "Sonvale");
    EXPECT_EQ(frame->centralWidget(), view->surface);
    EXPECT_EQ(view->surface->size(), QSize(480, 536));
    EXPECT_EQ(view->creations, 1);
    EXPECT_EQ(view->startLine, u"/music/a.mp3");
    EXPECT_EQ(MainFrame::Instance(), frame.get());
    EXPECT_TRUE(script.open);
}

TEST_F(MainFrameTest, TheViewCanShowTheTrayIconWhileItIsCreated) {
    onViewCreate = [] { MainFrame::Instance()->SetTrayIcon(true); };
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_TRUE(frame->HasTrayIcon());
}

TEST_F(MainFrameTest, AViewThatFailsFailsTheFrame) {
    viewCreates = false;
    auto frame = MakeFrame();
    EXPECT_FALSE(frame->Create());
}

TEST_F(MainFrameTest, MenuBarHasEveryCommandWithItsId) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    const QList<QMenu*>& popups = frame->MenuPopups();
    QStringList titles;
    for (QMenu* popup : popups)
        titles << popup->title();
    EXPECT_EQ(titles, QStringList({"File", "Play", "Lyrics", "Favorites", "Tools"}));
    EXPECT_EQ(frame->menuBar()->actions().size(), popups.size());
    EXPECT_EQ(CommandsOf(popups), kMenuCommands);

    // The sync commands sit in their own popup under Lyrics.
    QAction* faster = MainMenu::FindCommand(popups, 32924);
    ASSERT_NE(faster, nullptr);
    EXPECT_EQ(qobject_cast<QMenu*>(faster->parent())->title(), "Sync Lyrics");
}

TEST_F(MainFrameTest, PopupsGreyOutWhatTheViewCantRunWhenTheyOpen) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->unavailable = {32840, 32924};
    const QList<QMenu*>& popups = frame->MenuPopups();
    for (QMenu* popup : popups) {
        emit popup->aboutToShow();
        for (QAction* action : popup->actions())
            if (QMenu* inner = action->menu())
                emit inner->aboutToShow();
    }
    EXPECT_FALSE(MainMenu::FindCommand(popups, 32840)->isEnabled());
    EXPECT_FALSE(MainMenu::FindCommand(popups, 32924)->isEnabled()); // inside "Sync Lyrics"
    EXPECT_TRUE(MainMenu::FindCommand(popups, 32773)->isEnabled());
    view->unavailable.clear();
    emit popups.back()->aboutToShow();
    EXPECT_TRUE(MainMenu::FindCommand(popups, 32840)->isEnabled());
}

TEST_F(MainFrameTest, TapMenuSearchesLyricsAndHasAlwaysOnTop) {
    QWidget owner;
    const QList<QMenu*> popups = MainMenu::CreatePopups(&owner, MainMenu::Kind::TapMenu);
    std::map<int, QString> expected = kMenuCommands;
    expected[32882] = "Search Lyrics...";
    expected[32890] = "Always on top";
    EXPECT_EQ(CommandsOf(popups), expected);
    QAction* onTop = MainMenu::FindCommand(popups, 32890);
    ASSERT_NE(onTop, nullptr);
    EXPECT_EQ(qobject_cast<QMenu*>(onTop->parent())->title(), "Tools");
}

TEST_F(MainFrameTest, KoreanTextsWithLanguage1042) {
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    QWidget owner;
    const QList<QMenu*> popups = MainMenu::CreatePopups(&owner, MainMenu::Kind::MenuBar);
    const std::map<int, QString> texts = CommandsOf(popups);
    EXPECT_EQ(popups.at(0)->title(), QString::fromUtf8("파일"));
    EXPECT_EQ(texts.at(32772), QString::fromUtf8("파일 열기..."));
    EXPECT_EQ(texts.at(32882), QString::fromUtf8("가사 다운로드..."));
    EXPECT_EQ(texts.at(32924), QString::fromUtf8("0.5초 빠르게"));
    EXPECT_EQ(texts.at(32965), QString::fromUtf8("싱크 시간 유지"));
    // Every command has a Korean text of its own.
    for (const auto& [id, english] : kMenuCommands)
        EXPECT_NE(texts.at(id), english) << id;
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }

    EXPECT_FALSE(SonvaleApp::InstallLanguage(*qApp, 1033));
    const QList<QMenu*> english = MainMenu::CreatePopups(&owner, MainMenu::Kind::MenuBar);
    EXPECT_EQ(CommandsOf(english), kMenuCommands);
}

TEST_F(MainFrameTest, MenuCommandsGoToTheViewFirst) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->handled = {32773};
    frame->menuBar()->triggered(MainMenu::FindCommand(frame->MenuPopups(), 32773));
    EXPECT_TRUE(view->commands.empty()); // posted, not called
    Deliver();
    EXPECT_EQ(view->commands, std::vector<int>({32773}));

    // A command neither handles is tried once by the view and then dropped.
    view->commands.clear();
    EXPECT_FALSE(frame->OnCmdMsg(32893));
    EXPECT_EQ(view->commands, std::vector<int>({32893}));
}

TEST_F(MainFrameTest, FrameMapsThreeCommandsToKeyFunctions) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->handled = {65014, 65015, 65016};
    EXPECT_TRUE(frame->OnCmdMsg(40027));
    EXPECT_TRUE(frame->OnCmdMsg(40037));
    EXPECT_TRUE(frame->OnCmdMsg(40038));
    EXPECT_EQ(view->commands, std::vector<int>({40027, 65014, 40037, 65015, 40038, 65016}));

    // When the view takes the id itself, the frame's mapping is not used.
    view->commands.clear();
    view->handled = {40027};
    EXPECT_TRUE(frame->OnCmdMsg(40027));
    EXPECT_EQ(view->commands, std::vector<int>({40027}));
}

TEST_F(MainFrameTest, WindowMessageCommandReachesTheView) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->handled = {65016};
    PostWindowMessage(frame.get(), WM_COMMAND, MakeWParam(40038, BN_CLICKED), 0);
    Deliver();
    EXPECT_EQ(view->commands, std::vector<int>({40038, 65016}));
}

TEST_F(MainFrameTest, ExitLeftToTheFrameClosesIt) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    frame->show();
    EXPECT_TRUE(frame->OnCmdMsg(57665));
    EXPECT_TRUE(view->exiting);
    Deliver();
    EXPECT_FALSE(frame->isVisible());
    EXPECT_EQ(view->shutdowns, 1);
    frame->OnDestroy(); // a second destroy finds nothing left to do
    EXPECT_EQ(view->shutdowns, 1);
}

TEST_F(MainFrameTest, HoldDiscardsTapsOnTheWindow) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    frame->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    QTest::mouseClick(view->surface, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(view->surface->presses, 1);
    view->hold = true;
    QTest::mouseClick(view->surface, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseDClick(view->surface, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(view->surface->presses, 1);
    view->hold = false;
    QTest::mouseClick(view->surface, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(view->surface->presses, 2);

    // Windows other than the player's still get their taps.
    FakeFrameView::Surface other;
    other.show();
    view->hold = true;
    QTest::mouseClick(&other, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(other.presses, 1);
}

TEST_F(MainFrameTest, CallWhilePlayingPausesAndResumes) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->playing = true;
    Report(script, TelephonyLine::kOffering);
    EXPECT_TRUE(frame->IsPausedByCall());
    Deliver();
    EXPECT_EQ(view->commands, std::vector<int>({32774}));
    EXPECT_FALSE(view->playing);

    // Talking does not pause twice; hanging up plays again, once.
    Report(script, TelephonyLine::kConnected);
    Report(script, TelephonyLine::kDisconnected);
    Report(script, TelephonyLine::kDisconnected);
    Deliver();
    EXPECT_EQ(view->commands, std::vector<int>({32774, 32773}));
    EXPECT_TRUE(view->playing);
    EXPECT_FALSE(frame->IsPausedByCall());
}

TEST_F(MainFrameTest, CallWhilePausedByTheUserDoesNotResume) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    for (uint32_t state :
         {TelephonyLine::kDialTone, TelephonyLine::kDialing, TelephonyLine::kRingBack,
          TelephonyLine::kConnected, TelephonyLine::kDisconnected})
        Report(script, state);
    Deliver();
    EXPECT_TRUE(view->commands.empty());
    EXPECT_FALSE(frame->IsPausedByCall());
}

TEST_F(MainFrameTest, LineThatCannotOpenLeavesNoCallHandling) {
    script.openResult = false;
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    EXPECT_FALSE(script.open);
    EXPECT_FALSE(static_cast<bool>(script.handler));

    auto withoutLine = MakeFrame(false);
    EXPECT_TRUE(withoutLine->Create());
}

TEST_F(MainFrameTest, DestroyShutsTheViewDownAndClosesTheLine) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    frame->SetTrayIcon(true);
    EXPECT_TRUE(frame->HasTrayIcon());
    frame->show();
    frame->close();
    EXPECT_EQ(view->shutdowns, 1);
    EXPECT_FALSE(script.open);
    EXPECT_FALSE(frame->HasTrayIcon());
}

TEST_F(MainFrameTest, SecondInstanceTextReachesTheView) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    frame->OnCopyData("AppRunAfterWakeup");
    frame->OnCopyData(QString::fromUtf8("/음악/노래 하나.mp3"));
    ASSERT_EQ(view->copyData.size(), 2u);
    EXPECT_EQ(view->copyData[0], u"AppRunAfterWakeup");
    EXPECT_EQ(view->copyData[1], u"/음악/노래 하나.mp3");
}

} // namespace
