// The "Sound Effects" sheet over the real player in this process: the pages set the playing
// sound at once, Cancel puts it back, presets apply the effects their flags name.
#include "app/MainFrame.h"
#include "effects/EffectPreset.h"
#include "effects/ui/EqualizerPage.h"
#include "effects/ui/PresetsPage.h"
#include "effects/ui/ReverbPage.h"
#include "effects/ui/SoundEffectsSheet.h"
#include "effects/ui/SurroundPage.h"
#include "input/Command.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/DialogAnswerer.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"
#include "tests/app/InProcessPlayer.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace {

using namespace setting;

class SoundEffectsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        chmod(m_home.Path().c_str(), 0700);
        ::setenv("SONVALE_HOME", m_home.Path().c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", m_home.Path().c_str(), 1);
        ::setenv("XDG_DOCUMENTS_DIR", m_home.File("documents").c_str(), 1);
        ::setenv("SONVALE_AUDIO", "null", 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sonvale-test-bus", 1);
        Registry::Shared().Open(m_home.File("registry.db"));
        Settings::Set(m_profile, kDemoPlayed, 1);
    }

    static void Click(QWidget* sheet, QDialogButtonBox::StandardButton button) {
        sheet->findChild<QDialogButtonBox*>()->button(button)->click();
    }

    TempFolder m_home;
    Profile m_profile{Registry::Shared(), kRegistryKeyWord, kProfileName};
};

// The amplitude of a tone in each tenth of a second of the left channel.
std::vector<double> ToneLevels(const WavFile& wav, double hz) {
    std::vector<double> levels;
    const size_t window = wav.rate / 10;
    for (size_t start = 0; start + window <= wav.Frames(); start += window) {
        double re = 0, im = 0;
        for (size_t i = 0; i < window; ++i) {
            const double x = wav.samples[(start + i) * wav.channels];
            const double phase = 2 * M_PI * hz * static_cast<double>(i) / wav.rate;
            re += x * std::cos(phase);
            im += x * std::sin(phase);
        }
        levels.push_back(2 * std::hypot(re, im) / window);
    }
    return levels;
}

// The built-in engine plays a quiet 440 Hz tone (in the lowest band); the strongest boost of
// that band makes it much louder at once, and Cancel brings it back.
TEST_F(SoundEffectsWindowTest, TheLowBandChangesThePlayingSoundAndCancelPutsItBack) {
    const std::string output = m_home.File("out.wav");
    ::setenv("SONVALE_AUDIO", ("wav:" + output).c_str(), 1);
    Settings::Set(m_profile, kUseDefaultDecoder, 0);
    const std::string track = std::string(SONVALE_FIXTURES) + "/mpeg1-l3-vbr-plain-12s.mp3";
    RunPlayer([&track](MainFrame& frame) {
        frame.OnCopyData(QString::fromStdString(track));
        ASSERT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        QTest::qWait(2500);
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* sheet = qobject_cast<SoundEffectsSheet*>(w);
            ASSERT_TRUE(sheet && sheet->Equalizer());
            EXPECT_EQ(sheet->Tabs()->count(), sheet->Mixer() ? 5 : 4);
            sheet->Tabs()->setCurrentWidget(sheet->Equalizer());
            sheet->Equalizer()->EnableBox()->setChecked(true);
            sheet->Equalizer()->Band(0)->setValue(0);
            QTest::qWait(2500);
            Click(w, QDialogButtonBox::Cancel);
        });
        ASSERT_TRUE(frame.View()->CommandAvailable(CommandId(Command::SoundEffects)));
        frame.OnCmdMsg(CommandId(Command::SoundEffects));
        EXPECT_EQ(answers.Dialogs().size(), 1u);
        QTest::qWait(3000);
    });
    WavFile wav;
    ASSERT_TRUE(wav.Read(output));
    const std::vector<double> levels = ToneLevels(wav, 440);
    ASSERT_GT(levels.size(), 60u);
    // Before: after the noise at the head; after: the last second but its very end.
    const double before = levels[18];
    const double after = levels[levels.size() - 5];
    const double loudest = *std::max_element(levels.begin() + 20, levels.end());
    EXPECT_GT(before, 100);
    EXPECT_GT(loudest, 4 * before);
    EXPECT_NEAR(after, before, before * 0.3);
}

// A preset from the documents' "Preset" folder, listed in lower case, applies only the effects
// whose flags are on (the equalizer bands always), and what OK kept is what the pages find next.
TEST_F(SoundEffectsWindowTest, APresetAppliesTheEffectsOfItsFlags) {
    Settings::Set(m_profile, kUseDefaultDecoder, 0);
    m_home.Write("documents/Preset/Loud Hall.GPE",
                 "[Sonvale Equalizer]\nEnable=1\n0=5\n1=10\n2=31\n3=31\n4=31\n5=31\n6=31\n7=31\n"
                 "8=31\n9=50\nPreamp=20\n[Sonvale BassBoost]\nRate=9\n"
                 "[Sonvale Surround]\nEnable=1\nRate=45\n[Sonvale 3D Chorus]\nEnable=1\nRate=30\n"
                 "[Sonvale Reverb]\nEnable=1\nDelay=150\nRate=5\n"
                 "[Sonvale Echo]\nEnable=1\nDelay=100\nRate=24\n");
    RunPlayer([this](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* sheet = qobject_cast<SoundEffectsSheet*>(w);
            ASSERT_TRUE(sheet && sheet->Presets());
            PresetsPage* presets = sheet->Presets();
            ASSERT_EQ(presets->List()->topLevelItemCount(), 1);
            QTreeWidgetItem* item = presets->List()->topLevelItem(0);
            EXPECT_EQ(item->text(0), "loud hall");
            // "Surround" and "Echo" off through the "Sound Effect" submenu.
            presets->FlagAction(0)->trigger();
            presets->FlagAction(4)->trigger();
            EXPECT_FALSE(presets->FlagAction(0)->isChecked());
            presets->List()->setCurrentItem(item);
            ASSERT_TRUE(presets->ApplySelected());
            EXPECT_FALSE(sheet->Surround()->SurroundBox()->isChecked());
            EXPECT_TRUE(sheet->Surround()->ChorusBox()->isChecked());
            EXPECT_EQ(sheet->Reverb()->ReverbSlider()->value(), 4);
            EXPECT_FALSE(sheet->Reverb()->EchoBox()->isChecked());
            EXPECT_EQ(sheet->Reverb()->PreampSlider()->value(), 44);
            // What the pages show now, saved as a preset of its own.
            ASSERT_TRUE(presets->SaveAs("Mine"));
            EXPECT_EQ(presets->List()->topLevelItemCount(), 2);
            const auto saved = EffectPreset::Read(
                presets->List()->topLevelItem(1)->text(1).toStdU16String(), PresetFlags{});
            ASSERT_TRUE(saved && saved->equalizer && saved->reverb && saved->surround);
            EXPECT_EQ(saved->equalizer->bands[0], 5);
            EXPECT_EQ(saved->equalizer->preamp, 20);
            EXPECT_EQ(saved->reverb->delay, 150);
            EXPECT_EQ(saved->surround->enabled, 0);
            // Moving a band sets the preamp back to flat.
            sheet->Equalizer()->Band(1)->setValue(12);
            EXPECT_EQ(sheet->Reverb()->PreampSlider()->value(), 33);
            Click(w, QDialogButtonBox::Ok);
        });
        // The next opening reads the values back from the engine.
        answers.Then([](QWidget* w) {
            auto* sheet = qobject_cast<SoundEffectsSheet*>(w);
            ASSERT_TRUE(sheet && sheet->Equalizer());
            EXPECT_TRUE(sheet->Equalizer()->EnableBox()->isChecked());
            EXPECT_EQ(sheet->Equalizer()->Band(0)->value(), 5);
            EXPECT_EQ(sheet->Equalizer()->Band(1)->value(), 12);
            EXPECT_EQ(sheet->Equalizer()->Band(9)->value(), 50);
            EXPECT_EQ(sheet->Surround()->BassSlider()->value(), 9);
            EXPECT_FALSE(sheet->Surround()->SurroundBox()->isChecked());
            EXPECT_EQ(sheet->Surround()->ChorusSlider()->value(), 3);
            EXPECT_TRUE(sheet->Reverb()->ReverbBox()->isChecked());
            EXPECT_EQ(sheet->Reverb()->ReverbSlider()->value(), 4);
            EXPECT_FALSE(sheet->Reverb()->EchoBox()->isChecked());
            EXPECT_EQ(sheet->Reverb()->PreampSlider()->value(), 33);
            Click(w, QDialogButtonBox::Cancel);
        });
        frame.OnCmdMsg(CommandId(Command::SoundEffects));
        frame.OnCmdMsg(CommandId(Command::SoundEffects));
        EXPECT_EQ(answers.Dialogs().size(), 2u);
        EXPECT_EQ(answers.Unexpected(), 0);
        EXPECT_EQ(m_profile.GetProfileInt(kPresetSection, kPresetSurround.name, -1), 0);
        EXPECT_EQ(m_profile.GetProfileInt(kPresetSection, kPresetEcho.name, -1), 0);
        EXPECT_EQ(m_profile.GetProfileInt(kPresetSection, kPresetReverb.name, -1), 1);
    });
    // The effect values are stored at exit from the engine.
    EXPECT_EQ(Settings::Get(m_profile, kReverbDelay), 150);
    EXPECT_EQ(Settings::Get(m_profile, kReverbRate), 28);
}

// On the run-time library only the two pages of its own effects show; they set its objects, and
// Cancel puts back what they found.
TEST_F(SoundEffectsWindowTest, TheLibrarysPagesSetItsEffects) {
    RunPlayer([](MainFrame& frame) {
        DialogAnswerer answers;
        answers.Then([](QWidget* w) {
            auto* sheet = qobject_cast<SoundEffectsSheet*>(w);
            ASSERT_TRUE(sheet);
            EXPECT_EQ(sheet->windowTitle(), "Sound Effects");
            EXPECT_EQ(sheet->Tabs()->count(), sheet->Mixer() ? 3 : 2);
            EXPECT_EQ(sheet->Tabs()->tabText(0), "Surround / BassBoost");
            EXPECT_EQ(sheet->Tabs()->tabText(1), "Reverb / Echo");
            sheet->Reverb()->EchoBox()->setChecked(true);
            sheet->Reverb()->EchoSlider()->setValue(2);
            sheet->Reverb()->PreampBox()->setChecked(true);
            sheet->Reverb()->PreampSlider()->setValue(40);
            Click(w, QDialogButtonBox::Ok);
        });
        answers.Then([](QWidget* w) {
            auto* sheet = qobject_cast<SoundEffectsSheet*>(w);
            ASSERT_TRUE(sheet);
            EXPECT_TRUE(sheet->Reverb()->EchoBox()->isChecked());
            EXPECT_EQ(sheet->Reverb()->EchoSlider()->value(), 2);
            EXPECT_EQ(sheet->Reverb()->PreampSlider()->value(), 40);
            sheet->Reverb()->EchoSlider()->setValue(5);
            sheet->Surround()->BassSlider()->setValue(12);
            Click(w, QDialogButtonBox::Cancel);
        });
        frame.OnCmdMsg(CommandId(Command::SoundEffects));
        frame.OnCmdMsg(CommandId(Command::SoundEffects));
        EXPECT_EQ(answers.Dialogs().size(), 2u);
    });
    EXPECT_EQ(Settings::Get(m_profile, kEchoStatus), 1);
    EXPECT_EQ(Settings::Get(m_profile, kEchoDelay), 100);
    EXPECT_EQ(Settings::Get(m_profile, kEchoRate), 24);
    EXPECT_EQ(Settings::Get(m_profile, kAmplifyRate), 40);
    EXPECT_EQ(Settings::Get(m_profile, kBaseBoostValue), 0);
}

} // namespace
