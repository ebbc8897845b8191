#include "skin/MuteSwitch.h"
#include "skin/MuteVolume.h"

#include "tests/skin/DisplaySkin.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

class FakeVolume : public MuteVolume {
public:
    uint32_t WaveOutVolume() override { return waveOut; }
    void SetWaveOutVolume(uint32_t volume) override {
        waveOut = volume;
        ++waveOutSets;
    }
    int LibraryVolume() override { return library; }
    void SetLibraryVolume(int volume) override {
        library = volume;
        ++librarySets;
    }
    uint32_t waveOut = 0x80008000;
    int library = 200;
    int waveOutSets = 0, librarySets = 0;
};

class MuteSwitchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(skin.loaded);
        mute = std::make_unique<MuteSwitch>(skin.profile, &volume);
        mute->resize(DisplaySkin::kSpeakerFrame, 78);
        mute->show();
    }
    QRgb PixelAt(int x, int y) {
        return mute->grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(x, y);
    }
    void Tap() { QTest::mouseClick(mute.get(), Qt::LeftButton, {}, QPoint(40, 40)); }

    DisplaySkin skin;
    FakeVolume volume;
    std::unique_ptr<MuteSwitch> mute;
};

TEST_F(MuteSwitchTest, TapsMuteAndRestoreTheWaveOutVolume) {
    mute->SetActive(false);
    Tap();
    EXPECT_FALSE(mute->IsMuted());
    mute->SetActive(true);

    Tap();
    EXPECT_TRUE(mute->IsMuted());
    EXPECT_EQ(volume.waveOut, 0u);
    mute->SetMute(true); // muting again keeps the volume from before, not the silence
    Tap();
    EXPECT_FALSE(mute->IsMuted());
    EXPECT_EQ(volume.waveOut, 0x80008000u);
    EXPECT_EQ(volume.waveOutSets, 2);
    // With the system volume in use the library's volume is left alone.
    EXPECT_EQ(volume.librarySets, 0);
}

TEST_F(MuteSwitchTest, WithoutSystemVolumeTheLibraryVolumeComesBackToo) {
    skin.Set(setting::kUseSystemVolume, 0);
    mute->SetMute(true);
    volume.library = 50;
    volume.waveOut = 0x10001000;
    mute->SetMute(false);
    EXPECT_EQ(volume.waveOut, 0x80008000u);
    EXPECT_EQ(volume.library, 200);
}

TEST_F(MuteSwitchTest, AnimatesFiveFramesWhilePlayingUnmuted) {
    mute->AnimateStep(); // not playing
    EXPECT_EQ(mute->ShownFrame(), -1);
    EXPECT_EQ(PixelAt(90, 40), DisplaySkin::SpeakerFrame(0));

    mute->SetPlaying(true);
    for (int frame : {0, 1, 2, 3, 4, 0, 1}) {
        PostWindowMessage(mute.get(), MuteSwitch::kAnimateMessage, 0, 0);
        QCoreApplication::sendPostedEvents(mute.get());
        EXPECT_EQ(mute->ShownFrame(), frame);
        // Frames are a fifth of the 500-pixel image wide.
        EXPECT_EQ(PixelAt(90, 40), DisplaySkin::SpeakerFrame(frame));
    }
    mute->SetMute(true);
    mute->AnimateStep();
    EXPECT_EQ(PixelAt(90, 40), DisplaySkin::SpeakerFrame(0));
    mute->SetMute(false);
    mute->SetClosing(true);
    mute->AnimateStep();
    EXPECT_EQ(mute->ShownFrame(), 1);
}

} // namespace
