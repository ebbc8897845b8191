// The real player in this process, as the program runs it: the application object, the frame
// and the skinned view over the real session, in a fresh settings folder, with the output
// discarded. Keys go to the view, commands through the frame, as a user's would.
#include "app/ChildView.h"
#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/SonvaleApp.h"
#include "input/Command.h"
#include "lyrics/ui/LyricsDownloadDialog.h"
#include "lyrics/ui/LyricsListPage.h"
#include "options/AboutPage.h"
#include "options/CpuProfileDialog.h"
#include "options/FontPage.h"
#include "options/GeneralPage.h"
#include "options/PlaybackSpeedDialog.h"
#include "options/SleepTimerDialog.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Archive.h"
#include "playlist/Playlist.h"
#include "playlist/ui/FavoritesDialog.h"
#include "playlist/ui/OpenFolderPage.h"
#include "playlist/ui/OpenUrlPage.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageSlideBar.h"
#include "skin/MainViewLayout.h"
#include "skin/MeterWindow.h"
#include "skin/MuteSwitch.h"
#include "skin/ToggleButton.h"
#include "skin/ui/SkinPage.h"
#include "skin/ui/VisualizationPage.h"
#include "tests/DialogAnswerer.h"
#include "tests/LoopbackServer.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"
#include "tests/app/InProcessPlayer.h"
#include "tests/lyrics/LyricsStandIn.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

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
        // No session bus: the player under test never shows up on a desktop's bus.
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sonvale-test-bus", 1);
        Registry::Shared().Open(m_home.File("registry.db"));
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

// The tray icon (like the desktop's services) comes once the start-up has opened its track.
TEST_F(PlayerWindowTest, TheTrayIconComesAfterTheFirstTrackOpened) {
    RunPlayer([](MainFrame& frame) {
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        EXPECT_TRUE(WaitFor([&] { return frame.HasTrayIcon(); }));
    });
}

TEST_F(PlayerWindowTest, TheMenusMarkWhatIsOn) {
    RunPlayer([](MainFrame& frame) {
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        // The demo is a favourite, as every new entry.
        EXPECT_TRUE(WaitFor(
            [&] { return Item(frame, Command::AddFavorite)->text() == "Release Favorites"; }));
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

// The Visualization page of "Settings...": Cancel keeps the stored values, OK writes the page's.
TEST_F(PlayerWindowTest, VisualizationWritesItsPageOnOk) {
    const auto answer = [](int rate, QDialogButtonBox::StandardButton button) {
        return [rate, button](QWidget* w) {
            auto* page = w->findChild<VisualizationPage*>();
            auto* buttons = w->findChild<QDialogButtonBox*>();
            auto* tabs = w->findChild<QTabWidget*>();
            ASSERT_TRUE(page && buttons && tabs);
            EXPECT_EQ(w->windowTitle(), QStringLiteral("Settings"));
            tabs->setCurrentWidget(page);
            EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QStringLiteral("Visualization"));
            w->grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/visualization.png"));
            page->RateNumber()->setValue(rate);
            page->StopBox()->setChecked(false);
            buttons->button(button)->click();
        };
    };
    RunPlayer([&answer](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then(answer(2, QDialogButtonBox::Cancel)).Then(answer(3, QDialogButtonBox::Ok));
        frame.OnCmdMsg(CommandId(Command::Settings));
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(profile.GetProfileInt(setting::kSettings, setting::kUpdateInterval.name, -1), -1);
        frame.OnCmdMsg(CommandId(Command::Settings));
        EXPECT_EQ(answers.Dialogs().size(), 2u);
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_EQ(Settings::Get(profile, setting::kUpdateInterval), 3);
        EXPECT_EQ(Settings::Get(profile, setting::kStopSpectrum), 0);
        EXPECT_NE(profile.GetProfileInt(setting::kSettings, setting::kUseSpectrum.name, -1), -1);
    });
}

// "Settings..." shows Preferences, Decoder and Streaming among its pages; on OK the title stops
// scrolling at once.
TEST_F(PlayerWindowTest, SettingsApplyThePreferencesAtOnce) {
    RunPlayer([](MainFrame& frame) {
        DisplayLCD* lcd = nullptr; // a widget class of its own, found by its type
        for (QWidget* child : frame.findChildren<QWidget*>())
            if (!lcd)
                lcd = dynamic_cast<DisplayLCD*>(child);
        ASSERT_TRUE(lcd);
        EXPECT_TRUE(lcd->ScrollEnabled());
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* tabs = w->findChild<QTabWidget*>();
            auto* page = w->findChild<GeneralPage*>();
            auto* buttons = w->findChild<QDialogButtonBox*>();
            ASSERT_TRUE(tabs && page && buttons);
            QStringList titles;
            for (int i = 0; i < tabs->count(); ++i)
                titles << tabs->tabText(i);
            EXPECT_EQ(titles.indexOf(QStringLiteral("Preferences")), 0);
            EXPECT_LT(titles.indexOf(QStringLiteral("Decoder")),
                      titles.indexOf(QStringLiteral("Streaming")));
            EXPECT_GT(titles.indexOf(QStringLiteral("Decoder")), 0);
            page->Row(setting::kScrollMsg)->setCheckState(Qt::Unchecked);
            page->SeekNumber()->setValue(9);
            buttons->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCmdMsg(CommandId(Command::Settings));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_FALSE(lcd->ScrollEnabled());
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(Settings::Get(profile, setting::kSeekInterval), 9);
        EXPECT_EQ(Settings::Get(profile, setting::kScrollMsg), 0);
    });
}

// Another skin chosen on the Skin page dresses the running window at once: the music plays on
// and the new controls show what the old ones showed. OK with the same skin keeps the controls.
TEST_F(PlayerWindowTest, AnotherSkinDressesTheRunningWindowAtOnce) {
    RunPlayer([](MainFrame& frame) {
        FrameView& view = *frame.View();
        QWidget* widget = view.Widget();
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        const auto lcd = [&frame] {
            return static_cast<DisplayLCD*>(
                frame.findChild<QWidget*>(QStringLiteral("DisplayLCD")));
        };
        const auto panel = [&frame] {
            return static_cast<DisplayPanel*>(
                frame.findChild<QWidget*>(QStringLiteral("DisplayPanel")));
        };
        ASSERT_TRUE(WaitFor([&] { return !lcd()->Text().isEmpty(); }));
        const QString title = lcd()->Text();
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        widget->childAt(40, 150)->setFocus(); // the volume slider
        ASSERT_EQ(QApplication::focusWidget(), widget->childAt(40, 150));
        const QImage before = widget->grab().toImage();
        const QString moss = QStringLiteral(SONVALE_FIXTURES "/skins/moss/moss.wps");
        const auto choose = [](const QString& skin) {
            return [skin](QWidget* w) {
                auto* page = w->findChild<SkinPage*>();
                ASSERT_NE(page, nullptr);
                page->Choose(skin);
                w->grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/skin-page.png"));
                w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            };
        };
        DialogAnswerer answers;
        answers.Then(choose(moss)).Then(choose(moss));
        frame.OnCmdMsg(CommandId(Command::Settings));
        ASSERT_EQ(answers.Dialogs().size(), 1u);

        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(Settings::Get(profile, setting::kSkinFile), moss.toStdU16String());
        const QImage after = widget->grab().toImage();
        const QImage background(QStringLiteral(SONVALE_FIXTURES "/skins/moss/main.png"));
        EXPECT_NE(after.pixel(5, 5), before.pixel(5, 5));
        EXPECT_EQ(after.pixel(5, 5), background.pixel(5, 5));
        EXPECT_EQ(lcd()->Text(), title);
        EXPECT_TRUE(panel()->isVisible());
        EXPECT_EQ(frame.focusWidget(), widget->childAt(40, 150)); // focused when active again
        frame.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
        EXPECT_EQ(QApplication::focusWidget(), widget->childAt(40, 150));
        EXPECT_TRUE(WaitFor([&] { return panel()->IsActive(); }));
        const int seconds = panel()->Seconds();
        EXPECT_TRUE(WaitFor([&] { return panel()->Seconds() != seconds; }));
        EXPECT_TRUE(view.IsPlaying());
        EXPECT_TRUE(WaitFor([&] { return panel()->GetMuteSwitch()->ShownFrame() > 0; }));
        frame.grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/player-moss.png"), "PNG");

        const QWidget* kept = panel();
        frame.OnCmdMsg(CommandId(Command::Settings));
        EXPECT_EQ(answers.Dialogs().size(), 2u);
        EXPECT_EQ(panel(), kept);
    });
}

// In Korean the lyrics list and the Visualization page speak Korean; their pictures are kept in
// build/screenshots (lyrics-list-ko.png, visualization-ko.png) beside the English ones.
TEST_F(PlayerWindowTest, TheLyricsListAndVisualizationSpeakKorean) {
    ::setenv("LC_ALL", "ko_KR.UTF-8", 1);
    RunPlayer([](MainFrame& frame) {
        LyricsListPage* page = nullptr;
        ASSERT_TRUE(WaitFor([&] { // the demo track has lyrics
            if (!page && frame.View()->CommandAvailable(CommandId(Command::ShowLyrics))) {
                frame.OnCmdMsg(CommandId(Command::ShowLyrics));
                page = frame.findChild<LyricsListPage*>();
            }
            return page && page->List()->topLevelItemCount() > 3;
        }));
        EXPECT_EQ(page->window()->windowTitle(), QString::fromUtf8("가사보기"));
        QTest::qWait(200);
        page->window()->grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/lyrics-list-ko.png"));
        page->window()->close();

        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), QString::fromUtf8("설정"));
            auto* tabs = w->findChild<QTabWidget*>();
            tabs->setCurrentWidget(w->findChild<VisualizationPage*>());
            EXPECT_EQ(tabs->tabText(tabs->currentIndex()), QString::fromUtf8("시각 효과"));
            w->grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/visualization-ko.png"));
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
        });
        frame.OnCmdMsg(CommandId(Command::Settings));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
    });
    ::unsetenv("LC_ALL");
}

// A font slot edited on the Font page reaches the display at once, without a restart.
TEST_F(PlayerWindowTest, TheFontPageRestylesTheDisplayOnOk) {
    RunPlayer([](MainFrame& frame) {
        // The LCD has no meta-object of its own: it is found by its name.
        auto* lcd = static_cast<DisplayLCD*>(frame.findChild<QWidget*>("DisplayLCD"));
        ASSERT_TRUE(lcd);
        EXPECT_FALSE(lcd->LcdFont().bold());
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* page = w->findChild<FontPage*>();
            ASSERT_TRUE(page);
            page->TypeBox()->setCurrentIndex(1);
            page->BoldBox()->setChecked(true);
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCmdMsg(CommandId(Command::Settings));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_TRUE(lcd->LcdFont().bold());
    });
}

// On a Korean system the About page switches the player to English; the menus follow at once.
TEST_F(PlayerWindowTest, TheAboutPageSwitchesTheMenusLanguage) {
    ::setenv("LC_ALL", "ko_KR.UTF-8", 1);
    RunPlayer([](MainFrame& frame) {
        ASSERT_FALSE(frame.MenuPopups().isEmpty());
        EXPECT_EQ(frame.MenuPopups().front()->title(), QString::fromUtf8("파일"));
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* page = w->findChild<AboutPage*>();
            ASSERT_TRUE(page && page->LanguageBox());
            page->LanguageBox()->setCurrentIndex(1); // English
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCmdMsg(CommandId(Command::About));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(profile.GetProfileInt(setting::kSettings, setting::kLangID, 0), 1033);
        ASSERT_FALSE(frame.MenuPopups().isEmpty());
        EXPECT_EQ(frame.MenuPopups().front()->title(), QStringLiteral("File"));
    });
    ::unsetenv("LC_ALL");
}

// With the frequency bars chosen, the demo's sound moves them; a stop wipes them and lets the
// library's hooks go. The window is kept as build/screenshots/player-bars.png.
TEST_F(PlayerWindowTest, TheDemoMovesTheFrequencyBarsUntilStop) {
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kUseSpectrum, 1);
    Settings::Set(profile, setting::kDispState, 0);
    RunPlayer([](MainFrame& frame) {
        FrameView& view = *frame.View();
        auto* meter =
            static_cast<MeterWindow*>(frame.findChild<QWidget*>(QStringLiteral("Oscilliscope")));
        ASSERT_NE(meter, nullptr);
        ASSERT_EQ(meter->State(), 0);
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        int pictures = 0;
        QImage last = meter->Surface().copy();
        EXPECT_TRUE(WaitFor([&] {
            if (meter->Surface() != last) {
                last = meter->Surface().copy();
                ++pictures;
            }
            return pictures >= 4;
        }));
        QTest::qWait(3000); // into the verse, where the drums come in
        frame.grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/player-bars.png"), "PNG");

        frame.OnCmdMsg(CommandId(Command::Stop));
        QTest::qWait(100);
        EXPECT_FALSE(meter->WantsBlocks());
        const QImage stopped = meter->Surface().copy();
        QTest::qWait(300);
        EXPECT_EQ(meter->Surface(), stopped);
    });
}

// Six seconds of 44.1 kHz stereo whose left channel tells the time: its ratio to the right
// channel is the millisecond of the sample, so a seek shows in the output as a jump of it.
std::string TimeSignal() {
    const uint32_t frames = 6 * 44100;
    std::string data(frames * 4, '\0');
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t sample[2] = {static_cast<int16_t>(i * 1000 / 44100 * 5), 20000};
        std::memcpy(&data[i * 4], sample, 4);
    }
    auto word = [](uint32_t value, int bytes) {
        return std::string(reinterpret_cast<char*>(&value), bytes);
    };
    return "RIFF" + word(36 + data.size(), 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(2, 2) +
           word(44100, 4) + word(44100 * 4, 4) + word(4, 2) + word(16, 2) + "data" +
           word(data.size(), 4) + data;
}

// The times (ms) the output jumped to, and the time it jumped from.
std::vector<std::pair<int, int>> Jumps(const WavFile& output) {
    std::vector<std::pair<int, int>> jumps;
    auto time = [&output](size_t frame) {
        const int16_t right = output.samples[frame * 2 + 1];
        return right < 1000
                   ? -1
                   : static_cast<int>(std::lround(output.samples[frame * 2] * 4000.0 / right));
    };
    int previous = -1;
    for (size_t frame = 0; frame + 1 < output.samples.size() / 2; ++frame) {
        const int ms = time(frame);
        if (ms < 0 || std::abs(time(frame + 1) - ms) > 2)
            continue; // silence, or the step of a jump
        if (previous >= 0 && std::abs(ms - previous) > 30)
            jumps.push_back({ms, previous});
        previous = ms;
    }
    return jumps;
}

// The lyrics list follows the line being played; a tap on a line seeks to it, a double tap loops
// it; a line too long for the list continues on rows of its own.
TEST_F(PlayerWindowTest, TheLyricsListFollowsThePlayAndSeeksOrLoopsATappedLine) {
    const std::string track = m_home.Write("music/timed.wav", TimeSignal());
    m_home.Write("music/timed.lrc", "[00:00.00]Line zero\n[00:02.00]Line one\n"
                                    "[00:03.00]" +
                                        std::string(300, 'x') + "\n[00:04.00]Last line\n");
    const std::string output = m_home.File("out.wav");
    ::setenv("SONVALE_AUDIO", ("wav:" + output).c_str(), 1);
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kDemoPlayed, 1); // only the track in the output
    RunPlayer([&track](MainFrame& frame) {
        frame.OnCopyData(QString::fromStdString(track));
        LyricsListPage* page = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            if (!page && frame.View()->CommandAvailable(CommandId(Command::ShowLyrics))) {
                frame.OnCmdMsg(CommandId(Command::ShowLyrics));
                page = frame.findChild<LyricsListPage*>();
            }
            return page && page->RowsOf(8).first > 0 && page->List()->topLevelItem(0) &&
                   page->List()->topLevelItem(0)->text(0) == "Line zero";
        }));
        // A second "Show Lyrics..." brings the same list forward.
        frame.OnCmdMsg(CommandId(Command::ShowLyrics));
        EXPECT_EQ(frame.findChildren<LyricsListPage*>().size(), 1);
        EXPECT_EQ(page->window()->windowTitle(), "Lyricslist");
        page->window()->grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/lyrics-list.png"));

        // The long line: one row with the first icon, the others with the continuation icon.
        QTreeWidget* list = page->List();
        const auto [first, last] = page->RowsOf(6);
        ASSERT_GT(last, first);
        const qint64 lineIcon = list->topLevelItem(first)->icon(0).cacheKey();
        const qint64 nextIcon = list->topLevelItem(first + 1)->icon(0).cacheKey();
        EXPECT_NE(lineIcon, nextIcon);
        EXPECT_EQ(list->topLevelItem(page->RowsOf(8).first)->icon(0).cacheKey(), lineIcon);
        for (int row = first + 1; row <= last; ++row) {
            EXPECT_EQ(list->topLevelItem(row)->icon(0).cacheKey(), nextIcon);
            EXPECT_EQ(page->KeyOfRow(row), 6);
        }

        // The list follows the play.
        ASSERT_TRUE(WaitFor(
            [&] { return list->currentItem() == list->topLevelItem(page->RowsOf(4).first); }));
        const QRect zero = list->visualItemRect(list->topLevelItem(0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, zero.center());
        QTest::qWait(600);

        ImageSlideBar* seek = nullptr;
        for (auto* slider : frame.View()->Widget()->findChildren<ImageSlideBar*>())
            if (slider->Id() == MainViewLayout::kSeekSliderId)
                seek = slider;
        ASSERT_NE(seek, nullptr);
        // A double tap is a tap and a second press; it loops the line (the last one to half a
        // second before the end).
        auto doubleTap = [list](int row) {
            list->scrollToItem(list->topLevelItem(row));
            const QPoint centre = list->visualItemRect(list->topLevelItem(row)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        };
        int a = 0, b = 0;
        doubleTap(page->RowsOf(8).first);
        EXPECT_TRUE(WaitFor([&] { return seek->GetSelection(a, b) && a == 40; }));
        EXPECT_EQ(b, 55);
        QTest::qWait(300);
        doubleTap(page->RowsOf(6).second);
        EXPECT_TRUE(WaitFor([&] { return seek->GetSelection(a, b) && a == 30; }));
        EXPECT_EQ(b, 40);
        QTest::qWait(2500); // once round the loop
    });

    WavFile played;
    ASSERT_TRUE(played.Read(output));
    const auto jumps = Jumps(played);
    // Within one mixing block of 1024 frames.
    const int slack = 1024 * 1000 / 44100;
    auto jumpsTo = [&](int ms) {
        return std::count_if(jumps.begin(), jumps.end(),
                             [&](const auto& jump) { return std::abs(jump.first - ms) <= slack; });
    };
    EXPECT_GE(jumpsTo(0), 1);    // the tap on the first line, from past 1.5 s
    EXPECT_GE(jumpsTo(4000), 1); // the double tap on the last line
    EXPECT_GE(jumpsTo(3000), 2); // the double tap on the long line, and its loop
    for (const auto& [to, from] : jumps)
        if (std::abs(to - 3000) <= slack) {
            EXPECT_GE(from, 4000 - slack); // back only from the end of the looped line
        }
}

// "Open URL..." shows the station list; OK plays the typed address (here a station on this
// machine) and keeps it as one more station.
TEST_F(PlayerWindowTest, AStationTypedOnTheUrlPagePlays) {
    std::ifstream in(std::string(SONVALE_FIXTURES) + "/mpeg1-l3-cbr-plain.mp3", std::ios::binary);
    const std::string mp3((std::istreambuf_iterator<char>(in)), {});
    LoopbackServer server([&mp3](LoopbackServer& s, int fd) {
        LoopbackServer::Send(fd, "ICY 200 OK\r\nicy-name: Loopback\r\n\r\n" + mp3 + mp3 + mp3);
        s.Hold(fd, 20000);
    });
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kDemoPlayed, 1);
    RunPlayer([&server](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then([&server](QWidget* w) {
            auto* page = w->findChild<OpenUrlPage*>();
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(w->windowTitle(), "Open URL");
            EXPECT_EQ(page->List()->topLevelItemCount(), 3);
            w->grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/open-url-sheet.png"));
            page->AddressBox()->setText(QString::fromStdString(server.Url("/radio")));
            page->TitleBox()->setText("Loopback");
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCmdMsg(CommandId(Command::OpenUrl));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_TRUE(WaitFor(
            [&] { return frame.View()->IsPlaying() && server.Request().find("GET /radio") == 0; }));
        QTest::qWait(300);
        EXPECT_TRUE(frame.View()->IsPlaying());
        frame.OnCmdMsg(CommandId(Command::Stop));
    });
    EXPECT_EQ(profile.GetProfileInt(setting::kShoutCastSection, u"NumberOfEntries", -1), 4);
    EXPECT_EQ(profile.GetProfileString(setting::kShoutCastSection, u"Title3"), u"Loopback");
    EXPECT_EQ(
        TextCodec::Utf16ToUtf8(profile.GetProfileString(setting::kShoutCastSection, u"File3")),
        server.Url("/radio"));
}

// "Open Folder..." plays the chosen folder; with "open at startup" ticked the next start opens
// the folder again (a file added since comes first) instead of the saved list. "Open Files..."
// offers the audio types.
TEST_F(PlayerWindowTest, TheFolderPageChoosesTheFolderOpenedAtStart) {
    std::filesystem::create_directories(m_home.File("music"));
    for (const char* name : {"b.ogg", "c.ogg"})
        std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/vorbis-44100.ogg",
                                   m_home.File(std::string("music/") + name));
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kDemoPlayed, 1);
    const QString music = QString::fromStdString(m_home.File("music"));
    RunPlayer([&music](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then([&music](QWidget* w) {
            auto* page = w->findChild<OpenFolderPage*>();
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(w->windowTitle(), "Open Folder");
            page->FolderBox()->setText(music);
            page->StartupBox()->setChecked(true);
            w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCmdMsg(CommandId(Command::OpenFolder));
        EXPECT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));

        QStringList filters;
        answers.Then([&filters](QWidget* w) {
            EXPECT_EQ(w->windowTitle(), "Open Audio Files");
            if (auto* dialog = qobject_cast<QFileDialog*>(w))
                filters = dialog->nameFilters();
            DialogAnswerer::Reject()(w);
        });
        frame.OnCmdMsg(CommandId(Command::OpenFiles));
        ASSERT_EQ(answers.Dialogs().size(), 2u);
        // Windows Media is offered: the engine's plug-in plays it when nothing else can.
        ASSERT_EQ(filters.size(), 8);
        EXPECT_EQ(filters[0], "All supported types (*.mp2 *.mp3 *.ogg *.wma *.asf *.wav *.wpl)");
        EXPECT_EQ(filters[1], "Mpeg Layer2 Audio Files (*.mp2)");
    });
    EXPECT_EQ(Settings::Get(profile, setting::kOpenFolderName), (music + "/").toStdU16String());
    EXPECT_EQ(Settings::Get(profile, setting::kOpenFolderAtStartup), 1);

    std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/vorbis-44100.ogg",
                               m_home.File("music/a.ogg"));
    RunPlayer(
        [](MainFrame& frame) { EXPECT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); })); });
    EXPECT_EQ(Settings::Get(profile, setting::kCurPlayFilePath),
              TextCodec::Utf8ToUtf16(m_home.File("music/a.ogg")));
}

// The sleep timer dialog refuses 0 and 1441 minutes and stays open; OK with a minute in range
// writes the timers' settings and the session arms them.
TEST_F(PlayerWindowTest, TheSleepTimerDialogRefusesMinutesOutOfRange) {
    RunPlayer([](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* dialog = qobject_cast<SleepTimerDialog*>(w);
            ASSERT_TRUE(dialog);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sleep Timer"));
            EXPECT_FALSE(dialog->Enabled(0)->isChecked());
            EXPECT_EQ(dialog->Minutes(0)->value(), 1);
            dialog->Enabled(0)->setChecked(true);
            dialog->Enabled(2)->setChecked(true);
            dialog->Minutes(2)->setValue(30);
            auto* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            for (int refused : {0, 1441}) {
                dialog->Minutes(0)->setValue(refused);
                ok->click();
                EXPECT_TRUE(dialog->isVisible()) << refused;
            }
            dialog->Minutes(0)->setValue(1440);
            ok->click();
            EXPECT_FALSE(dialog->isVisible());
        });
        frame.OnCmdMsg(CommandId(Command::SleepTimer));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_EQ(answers.Unexpected(), 0);
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(Settings::Get(profile, setting::kSleepPlayStop), 1);
        EXPECT_EQ(Settings::Get(profile, setting::kSleepPlayStopTimer), 1440);
        EXPECT_EQ(Settings::Get(profile, setting::kSleepPowerOff), 0);
        EXPECT_EQ(Settings::Get(profile, setting::kSleepDisplayOff), 1);
        EXPECT_EQ(Settings::Get(profile, setting::kSleepDisplayOffTimer), 30);
        PlayerSession& session = static_cast<ChildView*>(frame.View()->Widget())->Session();
        EXPECT_TRUE(session.SleepTimer(SleepTimers::StopPlaying).enabled);
        EXPECT_EQ(session.SleepTimer(SleepTimers::DisplayOff).minutes, 30);
        // A tap on the window starts the timers' count again.
        int64_t now = 5'000'000;
        session.SetClock([&now] { return now; });
        QTest::mouseClick(frame.View()->Widget(), Qt::LeftButton, {}, QPoint(5, 5));
        EXPECT_EQ(session.SleepTimer(SleepTimers::DisplayOff).deadline, now + 30 * 60);
        session.SetClock(nullptr);
    });
}

// The speed dialog opened at 1.25 stands at 12; moving it is heard at once on the library's
// channel, and Cancel gives the channel its frequency back and keeps the factor. OK sets the
// factor and the speed button shows "on".
TEST_F(PlayerWindowTest, TheSpeedDialogPreviewsAndCancelRestoresTheFrequency) {
    RunPlayer([](MainFrame& frame) {
        FrameView& view = *frame.View();
        PlayerSession& session = static_cast<ChildView*>(view.Widget())->Session();
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        ASSERT_TRUE(view.CommandAvailable(CommandId(Command::PlaybackSpeed)));
        session.SetSpeed(1.25);
        const int base = session.BaseFrequency();
        ASSERT_GT(base, 0);
        const int before = session.ChannelFrequency();
        EXPECT_EQ(before, static_cast<int>(base * 1.25));

        int heard = 0;
        DialogAnswerer answers;
        answers
            .Then([&](QWidget* w) {
                auto* dialog = qobject_cast<PlaybackSpeedDialog*>(w);
                ASSERT_TRUE(dialog);
                EXPECT_EQ(dialog->Slider()->value(), 12);
                EXPECT_EQ(dialog->Slider()->minimum(), 6);
                EXPECT_EQ(dialog->Slider()->maximum(), 20);
                dialog->Slider()->setValue(20);
                heard = session.ChannelFrequency();
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
            })
            .Then([](QWidget* w) {
                auto* dialog = qobject_cast<PlaybackSpeedDialog*>(w);
                ASSERT_TRUE(dialog);
                dialog->Slider()->setValue(10);
                dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
            });
        frame.OnCmdMsg(CommandId(Command::PlaybackSpeed));
        EXPECT_EQ(heard, base * 2);
        EXPECT_EQ(session.ChannelFrequency(), before);
        EXPECT_EQ(session.State().speed, 1.25);
        ToggleButton* button = nullptr;
        for (auto* toggle : frame.findChildren<ToggleButton*>())
            if (toggle->Id() == CommandId(Command::PlaybackSpeed))
                button = toggle;
        ASSERT_TRUE(button);
        EXPECT_TRUE(button->GetCheck());
        frame.OnCmdMsg(CommandId(Command::PlaybackSpeed));
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_EQ(session.State().speed, 1.0);
        EXPECT_EQ(session.ChannelFrequency(), base);
        QTest::qWait(50);
        EXPECT_FALSE(button->GetCheck());
    });
}

// "Frequency bars off" in the CPU profile also stops the title's scrolling, at once.
TEST_F(PlayerWindowTest, TheCpuProfilesOffSwitchesScrollingOff) {
    RunPlayer([](MainFrame& frame) {
        DisplayLCD* lcd = nullptr;
        for (QWidget* child : frame.findChildren<QWidget*>())
            if (!lcd)
                lcd = dynamic_cast<DisplayLCD*>(child);
        ASSERT_TRUE(lcd);
        EXPECT_TRUE(lcd->ScrollEnabled());
        ASSERT_TRUE(Item(frame, Command::CpuProfile));
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* dialog = qobject_cast<CpuProfileDialog*>(w);
            ASSERT_TRUE(dialog);
            EXPECT_TRUE(dialog->BarsOn()->isChecked());
            dialog->BarsOff()->setChecked(true);
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        frame.OnCmdMsg(CommandId(Command::CpuProfile));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_FALSE(lcd->ScrollEnabled());
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        EXPECT_EQ(Settings::Get(profile, setting::kScrollMsg), 0);
        EXPECT_EQ(Settings::Get(profile, setting::kUseSpectrum), 0);
    });
}

} // namespace

// "Edit Favorites...": OK with every box cleared is refused with a message; the ticked rows
// become the favorites list and their entries' marks, which the menu and the next track follow.
TEST_F(PlayerWindowTest, TheFavoritesEditorWritesTheMarksBack) {
    const std::string list = MusicList({"one.ogg", "two.ogg", "three.ogg"});
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kDemoPlayed, 1);
    RunPlayer([this, &list](MainFrame& frame) {
        EXPECT_FALSE(Item(frame, Command::EditFavorites)->isEnabled());
        frame.OnCopyData(QString::fromStdString(list));
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        EXPECT_TRUE(Item(frame, Command::EditFavorites)->isEnabled());

        // The answers return to the answerer's loop before they press OK, so that it sees the
        // message box.
        DialogAnswerer answers;
        QPointer<FavoritesDialog> dialog;
        auto ok = [&dialog] {
            return dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        };
        answers
            .Then([&](QWidget* w) {
                dialog = qobject_cast<FavoritesDialog*>(w);
                ASSERT_TRUE(dialog);
                QTreeWidget* rows = dialog->List();
                ASSERT_EQ(rows->topLevelItemCount(), 3);
                EXPECT_EQ(rows->currentItem(), rows->topLevelItem(0));
                EXPECT_EQ(rows->topLevelItem(2)->text(0), "three");
                EXPECT_EQ(rows->topLevelItem(0)->font(0).pixelSize(), 24); // slot 6 by default
                for (int i = 0; i < 3; ++i) {
                    EXPECT_EQ(rows->topLevelItem(i)->checkState(0), Qt::Checked);
                    rows->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
                }
                QTimer::singleShot(0, ok(), &QPushButton::click);
            })
            .Then([&](QWidget* box) {
                DialogAnswerer::Click(QMessageBox::Ok)(box);
                QTimer::singleShot(0, [&] {
                    ASSERT_TRUE(dialog && dialog->isVisible());
                    dialog->List()->topLevelItem(2)->setCheckState(0, Qt::Checked);
                    ok()->click();
                });
            });
        frame.OnCmdMsg(CommandId(Command::EditFavorites));
        ASSERT_EQ(answers.Dialogs().size(), 2u);
        EXPECT_EQ(answers.Dialogs()[1].title, "Sonvale Error");
        EXPECT_EQ(answers.Dialogs()[1].text, "File is not selected in list.");

        PlayerSession& session = static_cast<ChildView*>(frame.View()->Widget())->Session();
        const Playlist& playlist = *session.List();
        const std::u16string three = TextCodec::Utf8ToUtf16(m_home.File("music/three.ogg"));
        EXPECT_EQ(playlist.Favorites(), std::vector<std::u16string>{three});
        ASSERT_EQ(playlist.Count(), 3);
        EXPECT_EQ(playlist.EntryAt(0)->favorite, 0);
        EXPECT_EQ(playlist.EntryAt(2)->favorite, 1);
        EXPECT_TRUE(
            WaitFor([&] { return Item(frame, Command::AddFavorite)->text() == "Add Favorites"; }));
        // With favourites on, the player leaves the current track for the one favourite.
        frame.OnCmdMsg(CommandId(Command::EnableFavorites));
        EXPECT_TRUE(WaitFor([&] { return session.List()->CurIndex() == 2; }));
        EXPECT_TRUE(WaitFor(
            [&] { return Item(frame, Command::AddFavorite)->text() == "Release Favorites"; }));
    });
}

// Lyrics downloaded for the playing track show at once, while it goes on playing.
TEST_F(PlayerWindowTest, DownloadedLyricsOfThePlayingTrackShowAtOnce) {
    LyricsStandIn service;
    const std::string track = m_home.Write("music/song.mp3", "");
    std::filesystem::copy_file(std::string(SONVALE_FIXTURES) + "/mpeg1-l3-vbr-plain-12s.mp3", track,
                               std::filesystem::copy_options::overwrite_existing);
    service.Know(track, "[00:00.50]Hello there&lt;br&gt;[00:09.00]Goodbye");
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kDemoPlayed, 1);
    Settings::Set(profile, setting::kLyricsServer, TextCodec::Utf8ToUtf16(service.Host()));
    Settings::Set(profile, setting::kLyricsSources, std::u16string(u"soap"));
    RunPlayer([&track](MainFrame& frame) {
        frame.OnCopyData(QString::fromStdString(track));
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        EXPECT_FALSE(frame.View()->CommandAvailable(CommandId(Command::ShowLyrics)));
        ASSERT_TRUE(Item(frame, Command::DownloadLyrics)->isEnabled());

        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* dialog = qobject_cast<LyricsDownloadDialog*>(w);
            ASSERT_TRUE(dialog);
            ASSERT_EQ(dialog->List()->topLevelItemCount(), 1);
            dialog->DownloadButton()->click();
            ASSERT_TRUE(WaitFor([dialog] { return !dialog->Busy(); }));
            EXPECT_EQ(dialog->ResultOf(0), LyricsDownloadDialog::Result::Saved);
            dialog->CloseButton()->click();
        });
        frame.OnCmdMsg(CommandId(Command::DownloadLyrics));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        EXPECT_EQ(answers.Unexpected(), 0);

        PlayerSession& session = static_cast<ChildView*>(frame.View()->Widget())->Session();
        EXPECT_TRUE(session.State().syncedLyrics);
        LyricsData lyrics = session.Lyrics();
        EXPECT_EQ(lyrics.textByTime[1], u"Hello there");
        EXPECT_TRUE(frame.View()->CommandAvailable(CommandId(Command::ShowLyrics)));
        EXPECT_TRUE(frame.View()->IsPlaying());
    });
}
