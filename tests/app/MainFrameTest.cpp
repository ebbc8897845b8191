#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/SonvaleApp.h"
#include "input/Command.h"
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
    {CommandId(Command::OpenFiles), "Open Files..."},
    {CommandId(Command::OpenFolder), "Open Folder..."},
    {CommandId(Command::OpenUrl), "Open URL..."},
    {CommandId(Command::DeleteFile), "Delete File..."},
    {CommandId(Command::Exit), "Exit"},
    {CommandId(Command::Play), "Play"},
    {CommandId(Command::Pause), "Pause"},
    {CommandId(Command::Stop), "Stop"},
    {CommandId(Command::Previous), "Last Track"},
    {CommandId(Command::Next), "Next Track"},
    {CommandId(Command::ShuffleRepeatButtons), "Shuffle/Repeat"},
    {CommandId(Command::SpeedSectionButtons), "Speed/A<->B"},
    {CommandId(Command::Playlist), "Playlist..."},
    {CommandId(Command::PlaybackSpeed), "Playback Speed..."},
    {CommandId(Command::DownloadLyrics), "Download Lyrics..."},
    {CommandId(Command::ShowLyrics), "Show Lyrics..."},
    {CommandId(Command::KeepSyncTime), "Keep Sync Time"},
    {CommandId(Command::SyncFaster), "0.5 Sec Faster"},
    {CommandId(Command::SyncDefault), "Default Sync"},
    {CommandId(Command::SyncSlower), "0.5 Sec Slower"},
    {CommandId(Command::EnableFavorites), "Enable Favorites"},
    {CommandId(Command::AddFavorite), "Add Favorites"},
    {CommandId(Command::EditFavorites), "Edit Favorites..."},
    {CommandId(Command::SleepTimer), "Sleep Timer..."},
    {CommandId(Command::SoundEffects), "Sound Effects..."},
    {CommandId(Command::Settings), "Settings..."},
    {CommandId(Command::CpuProfile), "CPU Profile..."},
    {CommandId(Command::About), "About Sonvale..."},
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
    QAction* faster = MainMenu::FindCommand(popups, CommandId(Command::SyncFaster));
    ASSERT_NE(faster, nullptr);
    EXPECT_EQ(qobject_cast<QMenu*>(faster->parent())->title(), "Sync Lyrics");
}

TEST_F(MainFrameTest, PopupsGreyOutWhatTheViewCantRunWhenTheyOpen) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->unavailable = {CommandId(Command::Settings), CommandId(Command::SyncFaster)};
    const QList<QMenu*>& popups = frame->MenuPopups();
    for (QMenu* popup : popups) {
        emit popup->aboutToShow();
        for (QAction* action : popup->actions())
            if (QMenu* inner = action->menu())
                emit inner->aboutToShow();
    }
    EXPECT_FALSE(MainMenu::FindCommand(popups, CommandId(Command::Settings))->isEnabled());
    EXPECT_FALSE(MainMenu::FindCommand(popups, CommandId(Command::SyncFaster))
                     ->isEnabled()); // inside "Sync Lyrics"
    EXPECT_TRUE(MainMenu::FindCommand(popups, CommandId(Command::Play))->isEnabled());
    view->unavailable.clear();
    emit popups.back()->aboutToShow();
    EXPECT_TRUE(MainMenu::FindCommand(popups, CommandId(Command::Settings))->isEnabled());
}

TEST_F(MainFrameTest, PopupsMarkThePlayersStateWhenTheyOpen) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    const QList<QMenu*>& popups = frame->MenuPopups();
    auto item = [&](Command command) { return MainMenu::FindCommand(popups, CommandId(command)); };
    auto open = [&] {
        for (QMenu* popup : popups)
            emit popup->aboutToShow();
    };
    view->menuState = {1, true, true, false};
    open();
    EXPECT_TRUE(item(Command::ShuffleRepeatButtons)->isChecked());
    EXPECT_FALSE(item(Command::SpeedSectionButtons)->isChecked());
    EXPECT_TRUE(item(Command::EnableFavorites)->isChecked());
    EXPECT_TRUE(item(Command::AddFavorite)->isChecked());
    EXPECT_EQ(item(Command::AddFavorite)->text(), "Release Favorites");

    view->menuState = {0, false, false, false};
    open();
    EXPECT_FALSE(item(Command::ShuffleRepeatButtons)->isChecked());
    EXPECT_TRUE(item(Command::SpeedSectionButtons)->isChecked());
    EXPECT_FALSE(item(Command::EnableFavorites)->isChecked());
    EXPECT_FALSE(item(Command::AddFavorite)->isChecked());
    EXPECT_EQ(item(Command::AddFavorite)->text(), "Add Favorites");

    // The tap menu's "Always on top".
    QWidget owner;
    const QList<QMenu*> tap = MainMenu::CreatePopups(&owner, MainMenu::Kind::TapMenu);
    QAction* onTop = MainMenu::FindCommand(tap, CommandId(Command::AlwaysOnTop));
    MainMenu::ShowState(qobject_cast<QMenu*>(onTop->parent()), {0, false, false, true});
    EXPECT_TRUE(onTop->isChecked());
    EXPECT_FALSE(MainMenu::FindCommand(tap, CommandId(Command::Settings))->isCheckable());
}

TEST_F(MainFrameTest, TapMenuSearchesLyricsAndHasAlwaysOnTop) {
    QWidget owner;
    const QList<QMenu*> popups = MainMenu::CreatePopups(&owner, MainMenu::Kind::TapMenu);
    std::map<int, QString> expected = kMenuCommands;
    expected[CommandId(Command::DownloadLyrics)] = "Search Lyrics...";
    expected[CommandId(Command::AlwaysOnTop)] = "Always on top";
    EXPECT_EQ(CommandsOf(popups), expected);
    QAction* onTop = MainMenu::FindCommand(popups, CommandId(Command::AlwaysOnTop));
    ASSERT_NE(onTop, nullptr);
    EXPECT_EQ(qobject_cast<QMenu*>(onTop->parent())->title(), "Tools");
}

TEST_F(MainFrameTest, KoreanTextsWithLanguage1042) {
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    QWidget owner;
    const QList<QMenu*> popups = MainMenu::CreatePopups(&owner, MainMenu::Kind::MenuBar);
    const std::map<int, QString> texts = CommandsOf(popups);
    EXPECT_EQ(popups.at(0)->title(), QString::fromUtf8("파일"));
    EXPECT_EQ(texts.at(CommandId(Command::OpenFiles)), QString::fromUtf8("파일 열기..."));
    EXPECT_EQ(texts.at(CommandId(Command::DownloadLyrics)), QString::fromUtf8("가사 다운로드..."));
    EXPECT_EQ(texts.at(CommandId(Command::SyncFaster)), QString::fromUtf8("0.5초 빠르게"));
    EXPECT_EQ(texts.at(CommandId(Command::KeepSyncTime)), QString::fromUtf8("싱크 시간 유지"));
    MainMenu::ShowState(popups.at(3), {0, false, true, false});
    EXPECT_EQ(MainMenu::FindCommand(popups, CommandId(Command::AddFavorite))->text(),
              QString::fromUtf8("즐겨듣기 해제"));
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
    view->handled = {CommandId(Command::Play)};
    frame->menuBar()->triggered(
        MainMenu::FindCommand(frame->MenuPopups(), CommandId(Command::Play)));
    EXPECT_TRUE(view->commands.empty()); // posted, not called
    Deliver();
    EXPECT_EQ(view->commands, std::vector<int>({CommandId(Command::Play)}));

    // A command neither handles is tried once by the view and then dropped.
    view->commands.clear();
    EXPECT_FALSE(frame->OnCmdMsg(CommandId(Command::DeleteFile)));
    EXPECT_EQ(view->commands, std::vector<int>({CommandId(Command::DeleteFile)}));
}

TEST_F(MainFrameTest, FrameMapsThreeCommandsToKeyFunctions) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->handled = {CommandId(Command::KeyPlayPause), CommandId(Command::KeyPreviousTrack),
                     CommandId(Command::KeyNextTrack)};
    EXPECT_TRUE(frame->OnCmdMsg(CommandId(Command::MediaPlayPause)));
    EXPECT_TRUE(frame->OnCmdMsg(CommandId(Command::MediaPreviousTrack)));
    EXPECT_TRUE(frame->OnCmdMsg(CommandId(Command::MediaNextTrack)));
    EXPECT_EQ(view->commands,
              std::vector<int>(
                  {CommandId(Command::MediaPlayPause), CommandId(Command::KeyPlayPause),
                   CommandId(Command::MediaPreviousTrack), CommandId(Command::KeyPreviousTrack),
                   CommandId(Command::MediaNextTrack), CommandId(Command::KeyNextTrack)}));

    // When the view takes the id itself, the frame's mapping is not used.
    view->commands.clear();
    view->handled = {CommandId(Command::MediaPlayPause)};
    EXPECT_TRUE(frame->OnCmdMsg(CommandId(Command::MediaPlayPause)));
    EXPECT_EQ(view->commands, std::vector<int>({CommandId(Command::MediaPlayPause)}));
}

TEST_F(MainFrameTest, WindowMessageCommandReachesTheView) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    view->handled = {CommandId(Command::KeyNextTrack)};
    PostWindowMessage(frame.get(), WM_COMMAND,
                      MakeWParam(CommandId(Command::MediaNextTrack), BN_CLICKED), 0);
    Deliver();
    EXPECT_EQ(view->commands, std::vector<int>({CommandId(Command::MediaNextTrack),
                                                CommandId(Command::KeyNextTrack)}));
}

TEST_F(MainFrameTest, ExitLeftToTheFrameClosesIt) {
    auto frame = MakeFrame();
    ASSERT_TRUE(frame->Create());
    frame->show();
    EXPECT_TRUE(frame->OnCmdMsg(CommandId(Command::Exit)));
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
    EXPECT_EQ(view->commands, std::vector<int>({CommandId(Command::Pause)}));
    EXPECT_FALSE(view->playing);

    // Talking does not pause twice; hanging up plays again, once.
    Report(script, TelephonyLine::kConnected);
    Report(script, TelephonyLine::kDisconnected);
    Report(script, TelephonyLine::kDisconnected);
    Deliver();
    EXPECT_EQ(view->commands,
              std::vector<int>({CommandId(Command::Pause), CommandId(Command::Play)}));
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
