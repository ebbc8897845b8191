// The playlist dialog over the real player in this process: what it does reaches the playlist
// the session plays.
#include "app/ChildView.h"
#include "app/MainFrame.h"
#include "input/Command.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Archive.h"
#include "playlist/Playlist.h"
#include "playlist/ui/PlaylistDialog.h"
#include "playlist/ui/PlaylistModel.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/DialogAnswerer.h"
#include "tests/TempFolder.h"
#include "tests/app/InProcessPlayer.h"

#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class PlaylistWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(m_home.Path().c_str(), 0700);
        ::setenv("SONVALE_HOME", m_home.Path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        std::filesystem::create_directories(m_home.File("data"));
        ::setenv("XDG_DATA_HOME", m_home.File("data").c_str(), 1);
        ::setenv("SONVALE_AUDIO", "null", 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sonvale-test-bus", 1);
        Registry::Shared().Open(m_home.File("registry.db"));
        // No demo: the lists the tests hand over play.
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        Settings::Set(profile, setting::kDemoPlayed, 1);
    }

    std::string Music(const std::string& name) {
        const std::string path = m_home.File("music/" + name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/vorbis-44100.ogg", path);
        return path;
    }

    // A playlist file of music files, as the player writes one.
    std::string MusicList(const std::vector<std::string>& names) {
        Archive archive;
        archive.WriteInt32(static_cast<int32_t>(names.size()));
        for (const std::string& name : names) {
            const std::string path = Music(name);
            const std::u16string stem = std::filesystem::path(path).stem().u16string();
            for (const std::u16string& text :
                 {stem, TextCodec::Utf8ToUtf16(path), std::u16string(u".ogg"), std::u16string(),
                  stem, std::u16string(), std::u16string(), std::u16string()})
                archive.WriteString(text);
            archive.WriteInt32(1);
        }
        return m_home.Write("mix.wpl", archive.Bytes());
    }

    static PlayerSession& Session(MainFrame& frame) {
        return static_cast<ChildView*>(frame.View()->Widget())->Session();
    }
    static std::vector<std::string> Names(PlayerSession& session) {
        std::vector<std::string> names;
        for (const FileInfo& entry : session.PlaylistEntries())
            names.push_back(
                std::filesystem::path(TextCodec::Utf16ToUtf8(entry.path)).filename().string());
        return names;
    }
    static std::string Bytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempFolder m_home;
};

// A folder is scanned on a worker thread: the dialog is busy (its buttons off) while the event
// loop goes on, then the audio files come in as people count names, a folder's own files before
// its subfolders', linked folders left out. While the dialog is up the hot keys are released.
TEST_F(PlaylistWindowTest, AFolderScanAddsItsFilesInOrderWithoutBlockingTheWindow) {
    Music("tree/a10.ogg");
    Music("tree/a2.ogg");
    Music("tree/b/2.ogg");
    Music("tree/sub/x.ogg");
    std::ofstream(m_home.File("music/tree/notes.txt")) << "not music";
    std::filesystem::create_directory_symlink(m_home.File("music/tree"),
                                              m_home.File("music/tree/loop"));
    RunPlayer([this](MainFrame& frame) {
        PlayerSession& session = Session(frame);
        DialogAnswerer answers;
        answers.Then([&](QWidget* w) {
            auto* dialog = qobject_cast<PlaylistDialog*>(w);
            ASSERT_TRUE(dialog);
            EXPECT_TRUE(session.PlaylistDialogOpen());
            EXPECT_TRUE(session.State().hotKeys.empty());
            dialog->AddFolder(QString::fromStdString(m_home.File("music/tree")), true);
            EXPECT_TRUE(dialog->Busy());
            EXPECT_FALSE(dialog->findChild<QPushButton*>("play")->isEnabled());
            int turns = 0;
            QTimer ticker;
            QObject::connect(&ticker, &QTimer::timeout, [&turns] { ++turns; });
            ticker.start(0);
            ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
            EXPECT_GT(turns, 0);
            EXPECT_TRUE(dialog->findChild<QPushButton*>("play")->isEnabled());
            EXPECT_EQ(dialog->Model()->rowCount(), 4);
            // The same folder again adds nothing twice.
            dialog->AddFolder(QString::fromStdString(m_home.File("music/tree")), false);
            ASSERT_TRUE(WaitFor([&] { return !dialog->Busy(); }));
            EXPECT_EQ(dialog->Model()->rowCount(), 4);
            dialog->reject();
        });
        frame.OnCmdMsg(CommandId(Command::Playlist));
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_FALSE(session.PlaylistDialogOpen());
        EXPECT_EQ(Names(session),
                  (std::vector<std::string>{"a2.ogg", "a10.ogg", "2.ogg", "x.ogg"}));
    });
}

// Sorting, moving (by the menu's command and by dragging a row) and deleting change the list
// the session plays, and the entry playing stays current; a double click plays a row.
TEST_F(PlaylistWindowTest, SortMoveDeleteAndPlayActOnThePlayingList) {
    const std::string list = MusicList({"c.ogg", "a.ogg", "b.ogg", "d.ogg"});
    RunPlayer([&list](MainFrame& frame) {
        PlayerSession& session = Session(frame);
        frame.OnCopyData(QString::fromStdString(list));
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        DialogAnswerer answers;
        answers.Then([&](QWidget* w) {
            auto* dialog = qobject_cast<PlaylistDialog*>(w);
            ASSERT_TRUE(dialog);
            EXPECT_EQ(dialog->Model()->PlayingRow(), 0);
            EXPECT_EQ(dialog->SelectedRow(), 0); // the playing row is selected

            dialog->Sort(PlayerSession::SortKey::Title);
            EXPECT_EQ(Names(session),
                      (std::vector<std::string>{"a.ogg", "b.ogg", "c.ogg", "d.ogg"}));
            EXPECT_EQ(session.PlayingRow(), 2);
            EXPECT_EQ(dialog->Model()->PlayingRow(), 2);
            EXPECT_EQ(session.State().trackNumber, 3);

            dialog->SelectRow(0);
            dialog->Move(3);
            EXPECT_EQ(Names(session),
                      (std::vector<std::string>{"b.ogg", "c.ogg", "d.ogg", "a.ogg"}));
            EXPECT_EQ(session.PlayingRow(), 1);

            // Dragging row 2 onto row 0 moves its entry there, one place per move of the pen.
            QWidget* rows = dialog->List()->viewport();
            auto at = [&](int row) {
                return QPointF(dialog->List()->visualRect(dialog->Model()->index(row)).center());
            };
            QMouseEvent press(QEvent::MouseButtonPress, at(2), rows->mapToGlobal(at(2)),
                              Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QMouseEvent move(QEvent::MouseMove, at(0), rows->mapToGlobal(at(0)), Qt::NoButton,
                             Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at(0), rows->mapToGlobal(at(0)),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(rows, &press);
            QApplication::sendEvent(rows, &move);
            QApplication::sendEvent(rows, &move); // one place at a time
            QApplication::sendEvent(rows, &release);
            EXPECT_EQ(Names(session),
                      (std::vector<std::string>{"d.ogg", "b.ogg", "c.ogg", "a.ogg"}));
            EXPECT_EQ(session.PlayingRow(), 2);

            dialog->SelectRow(1);
            dialog->DeleteOne();
            EXPECT_EQ(Names(session), (std::vector<std::string>{"d.ogg", "c.ogg", "a.ogg"}));
            EXPECT_EQ(dialog->SelectedRow(), 0);
            EXPECT_EQ(session.PlayingRow(), 1);

            // A double click on the last row plays it.
            for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
                const bool down = type != QEvent::MouseButtonRelease;
                QMouseEvent click(type, at(2), rows->mapToGlobal(at(2)), Qt::LeftButton,
                                  down ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(rows, &click);
            }
            if (dialog->isVisible()) {
                ADD_FAILURE() << "a double click leaves the dialog open";
                dialog->reject();
            }
        });
        frame.OnCmdMsg(CommandId(Command::Playlist));
        EXPECT_EQ(answers.Unexpected(), 0);
        ASSERT_TRUE(WaitFor([&] { return session.PlayingRow() == 2 && session.IsPlaying(); }));
        EXPECT_EQ(session.List()->CurIndex(), 2);
        EXPECT_TRUE(session.List()->Current().path.ends_with(u"a.ogg"));
    });
}

// "Save" writes the list; "Open" of that file brings the same list back, which saves to the
// same bytes. An empty list is not saved.
TEST_F(PlaylistWindowTest, ASavedPlaylistOpensAgainByteForByte) {
    const std::string list = MusicList({"one.ogg", "two.ogg", "three.ogg"});
    const std::string first = m_home.File("first.wpl");
    const std::string second = m_home.File("second.wpl");
    RunPlayer([&](MainFrame& frame) {
        PlayerSession& session = Session(frame);
        frame.OnCopyData(QString::fromStdString(list));
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        DialogAnswerer answers;
        answers
            .Then([](QWidget* w) {
                auto* dialog = qobject_cast<PlaylistDialog*>(w);
                ASSERT_TRUE(dialog);
                // From the dialog's own loop, so that the answerer sees the file dialogs.
                QTimer::singleShot(0, dialog, [dialog] {
                    dialog->findChild<QPushButton*>("save")->click();
                    dialog->DeleteAll();
                    EXPECT_EQ(dialog->Model()->rowCount(), 0);
                    dialog->findChild<QPushButton*>("save")->click(); // empty: refused
                    dialog->findChild<QPushButton*>("open")->click();
                    EXPECT_EQ(dialog->Model()->rowCount(), 3);
                    dialog->findChild<QPushButton*>("save")->click();
                    dialog->reject();
                });
            })
            .Then(DialogAnswerer::ChooseFile(QString::fromStdString(first)))
            .Then(DialogAnswerer::Click(QMessageBox::Ok))
            .Then(DialogAnswerer::ChooseFile(QString::fromStdString(first)))
            .Then(DialogAnswerer::ChooseFile(QString::fromStdString(second)));
        frame.OnCmdMsg(CommandId(Command::Playlist));
        EXPECT_EQ(answers.Unexpected(), 0);
        ASSERT_EQ(answers.Dialogs().size(), 5u);
        EXPECT_EQ(answers.Dialogs()[1].title, "Save Playlist File");
        EXPECT_EQ(answers.Dialogs()[2].title, "Sonvale Error");
        EXPECT_EQ(answers.Dialogs()[2].text, "File is not exist in list.");
        EXPECT_EQ(answers.Dialogs()[3].title, "Open Playlist File");
        EXPECT_EQ(Names(session), (std::vector<std::string>{"one.ogg", "two.ogg", "three.ogg"}));
    });
    const std::string bytes = Bytes(first);
    EXPECT_GT(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x03\0\0\0", 4));
    EXPECT_EQ(Bytes(second), bytes);
}

} // namespace
