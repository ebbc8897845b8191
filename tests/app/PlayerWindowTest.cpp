// The real player in this process, as the program runs it: the application object, the frame
// and the skinned view over the real session, in a fresh settings folder, with the output
// discarded. Keys go to the view, commands through the frame, as a user's would.
#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/SonvaleApp.h"
#include "input/Command.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Archive.h"
#include "settings/Settings.h"
#include "skin/ImageSlideBar.h"
#include "skin/MainViewLayout.h"
#include "skin/ui/VisualizationPage.h"
#include "tests/DialogAnswerer.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

class PlayerWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(m_home.Path().c_str(), 0700);
        ::setenv("SONVALE_HOME", m_home.Path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        std::filesystem::create_directories(m_home.File("data"));
        ::setenv("XDG_DATA_HOME", m_home.File("data").c_str(), 1);
        ::setenv("SONVALE_AUDIO", "null", 1);
        Registry::Shared().Open(m_home.File("registry.db"));
    }

    // Runs the program; `steps` run once its window is up, and the window closes after them.
    void RunPlayer(const std::function<void(MainFrame&)>& steps) {
        SonvaleApp app(*qApp, [](QWidget* parent) -> std::unique_ptr<FrameView> {
            return std::make_unique<ChildViewHost>(parent);
        });
        QTimer::singleShot(0, [&app, &steps] {
            if (MainFrame* frame = app.Frame()) {
                steps(*frame);
                frame->close();
            }
        });
        EXPECT_EQ(app.Run(), 0);
    }

    static bool WaitFor(const std::function<bool()>& condition) {
        return QTest::qWaitFor(condition, 15000);
    }
    static void Key(MainFrame& frame, Qt::Key key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(frame.View()->Widget(), &press);
        QApplication::sendEvent(frame.View()->Widget(), &release);
        QTest::qWait(50);
    }
    static ImageSlideBar* VolumeSlider(MainFrame& frame) {
        for (auto* slider : frame.View()->Widget()->findChildren<ImageSlideBar*>())
            if (slider->Id() == MainViewLayout::kVolumeSliderId)
                return slider;
        return nullptr;
    }
    // Opens every popup of the menu bar, as a click on it would.
    static QAction* Item(MainFrame& frame, Command command) {
        for (QMenu* popup : frame.MenuPopups())
            emit popup->aboutToShow();
        return MainMenu::FindCommand(frame.MenuPopups(), CommandId(command));
    }

    // Music files and a playlist of them, as the player writes one.
    std::string MusicList(const std::vector<std::string>& names) {
        Archive archive;
        archive.WriteInt32(static_cast<int32_t>(names.size()));
        for (const std::string& name : names) {
            const std::string path = m_home.File("music/" + name);
            std::filesystem::create_directories(m_home.File("music"));
            std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/vorbis-44100.ogg", path);
            const std::u16string stem = std::filesystem::path(path).stem().u16string();
            for (const std::u16string& text :
                 {stem, TextCodec::Utf8ToUtf16(path), std::u16string(u".ogg"), std::u16string(),
                  stem, std::u16string(), std::u16string(), std::u16string()})
                archive.WriteString(text);
            archive.WriteInt32(1);
        }
        return m_home.Write("mix.wpl", archive.Bytes());
    }

    TempFolder m_home;
};

// A first start plays the demo; Space and the arrows work at once, and the volume keys move the
// volume slider.
TEST_F(PlayerWindowTest, AFirstStartAnswersSpaceTheArrowsAndTheVolumeKeys) {
    RunPlayer([](MainFrame& frame) {
        FrameView& view = *frame.View();
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        Key(frame, Qt::Key_Space);
        EXPECT_FALSE(view.IsPlaying());
        Key(frame, Qt::Key_Space);
        EXPECT_TRUE(view.IsPlaying());

        ImageSlideBar* volume = VolumeSlider(frame);
        ASSERT_NE(volume, nullptr);
        const int start = volume->GetPos();
        Key(frame, Qt::Key_Down);
        EXPECT_LT(volume->GetPos(), start);
        Key(frame, Qt::Key_Up);
        EXPECT_EQ(volume->GetPos(), start);
        Key(frame, Qt::Key_VolumeDown);
        EXPECT_LT(volume->GetPos(), start);
        Key(frame, Qt::Key_VolumeUp);
        EXPECT_EQ(volume->GetPos(), start);

        Key(frame, Qt::Key_MediaTogglePlayPause);
        EXPECT_FALSE(view.IsPlaying());
    });
}

TEST_F(PlayerWindowTest, TheMenusMarkWhatIsOn) {
    RunPlayer([](MainFrame& frame) {
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        // The demo is a favourite, as every new entry.
        EXPECT_EQ(Item(frame, Command::AddFavorite)->text(), "Release Favorites");
        EXPECT_TRUE(Item(frame, Command::AddFavorite)->isChecked());
        EXPECT_FALSE(Item(frame, Command::EnableFavorites)->isChecked());
        frame.OnCmdMsg(CommandId(Command::SpeedSectionButtons));
        EXPECT_TRUE(Item(frame, Command::SpeedSectionButtons)->isChecked());
        EXPECT_FALSE(Item(frame, Command::ShuffleRepeatButtons)->isChecked());

        frame.OnCmdMsg(CommandId(Command::AddFavorite));
        frame.OnCmdMsg(CommandId(Command::EnableFavorites));
        frame.OnCmdMsg(CommandId(Command::ShuffleRepeatButtons));
        EXPECT_EQ(Item(frame, Command::AddFavorite)->text(), "Add Favorites");
        EXPECT_FALSE(Item(frame, Command::AddFavorite)->isChecked());
        EXPECT_TRUE(Item(frame, Command::EnableFavorites)->isChecked());
        EXPECT_TRUE(Item(frame, Command::ShuffleRepeatButtons)->isChecked());
        EXPECT_FALSE(Item(frame, Command::SpeedSectionButtons)->isChecked());
    });
}

// "Delete File..." asks with No as the default, moves the file to the desktop's trash and goes
// on with the next entry.
TEST_F(PlayerWindowTest, DeleteFileMovesTheFileToTheTrashAndPlaysTheNextOne) {
    const std::string list = MusicList({"one.ogg", "two.ogg", "three.ogg"});
    RunPlayer([this, &list](MainFrame& frame) {
        frame.OnCopyData(QString::fromStdString(list));
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));

        DialogAnswerer answers;
        bool noByDefault = false;
        answers.Then([&noByDefault](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            noByDefault = box && box->standardButton(box->defaultButton()) == QMessageBox::No;
            DialogAnswerer::Click(QMessageBox::Yes)(w);
        });
        frame.OnCmdMsg(CommandId(Command::DeleteFile));
        EXPECT_TRUE(noByDefault);
        ASSERT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_EQ(answers.Unexpected(), 0);

        EXPECT_FALSE(std::filesystem::exists(m_home.File("music/one.ogg")));
        EXPECT_TRUE(std::filesystem::exists(m_home.File("data/Trash/files/one.ogg")));
        EXPECT_TRUE(std::filesystem::exists(m_home.File("data/Trash/info/one.ogg.trashinfo")));
        EXPECT_TRUE(std::filesystem::exists(m_home.File("music/two.ogg")));
        EXPECT_TRUE(frame.View()->IsPlaying());

        // Without a trash the file stays where it is, and the user is told.
        ::setenv("XDG_DATA_HOME", m_home.Write("no-folder", "").c_str(), 1);
        answers.Clear();
        answers.Then(DialogAnswerer::Click(QMessageBox::Yes))
            .Then(DialogAnswerer::Click(QMessageBox::Ok));
        frame.OnCmdMsg(CommandId(Command::DeleteFile));
        ASSERT_TRUE(WaitFor([&] { return answers.Dialogs().size() == 2; }));
        EXPECT_EQ(answers.Dialogs()[1].title, "Sonvale Error");
        EXPECT_TRUE(answers.Dialogs()[1].text.contains("could not be moved to the trash"));
        EXPECT_TRUE(std::filesystem::exists(m_home.File("music/two.ogg")));
        EXPECT_FALSE(std::filesystem::exists("files/two.ogg")); // nothing left where Qt put it
    });
}

// "Visualization..." shows its page in a dialog: Cancel keeps the stored values, OK writes the
// page's.
TEST_F(PlayerWindowTest, VisualizationWritesItsPageOnOk) {
    const auto answer = [](int rate, QDialogButtonBox::StandardButton button) {
        return [rate, button](QWidget* w) {
            auto* page = w->findChild<VisualizationPage*>();
            auto* buttons = w->findChild<QDialogButtonBox*>();
            ASSERT_TRUE(page && buttons);
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Visualization"));
            page->RateNumber()->setValue(rate);
            page->StopBox()->setChecked(false);
            buttons->button(button)->click();
        };
    };
    RunPlayer([&answer](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then(answer(2, QDialogButtonBox::Cancel)).Then(answer(3, QDialogButtonBox::Ok));
        frame.OnCmdMsg(CommandId(Command::Visualization));
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(profile.GetProfileInt(setting::kSettings, setting::kUpdateInterval.name, -1), -1);
        frame.OnCmdMsg(CommandId(Command::Visualization));
        EXPECT_EQ(answers.Dialogs().size(), 2u);
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_EQ(Settings::Get(profile, setting::kUpdateInterval), 3);
        EXPECT_EQ(Settings::Get(profile, setting::kStopSpectrum), 0);
        EXPECT_NE(profile.GetProfileInt(setting::kSettings, setting::kUseSpectrum.name, -1), -1);
    });
}

} // namespace
