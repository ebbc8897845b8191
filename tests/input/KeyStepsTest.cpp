#include "input/SpeedStep.h"
#include "input/SpokenTime.h"
#include "input/VolumeStep.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(VolumeStepTest, StepsTextAndScaledVolumes) {
    EXPECT_EQ(VolumeStep::Up(10, 20), 11);
    EXPECT_EQ(VolumeStep::Text(11, 20).English(), u"Volume Change :  55 %");
    EXPECT_EQ(VolumeStep::Up(20, 20), 20);
    EXPECT_EQ(VolumeStep::Down(0, 20), 0);
    EXPECT_EQ(VolumeStep::Down(1, 20), 0);
    EXPECT_EQ(VolumeStep::Text(100, 100).English(), u"Volume Change : 100 %");
    EXPECT_EQ(VolumeStep::Text(0, 10).English(), u"Volume Change :   0 %");

    EXPECT_EQ(VolumeStep::WaveOutVolume(20, 20), 0xFFFFFFFFu);
    EXPECT_EQ(VolumeStep::WaveOutVolume(10, 20), 0x7FFF7FFFu);
    EXPECT_EQ(VolumeStep::WaveOutVolume(0, 20), 0u);
    EXPECT_EQ(VolumeStep::LibraryVolume(10, 20), 127);
    EXPECT_EQ(VolumeStep::LibraryVolume(30, 20), 255);
    // A range of 0 would divide by zero; it reads as silence.
    EXPECT_EQ(VolumeStep::Percent(5, 0), 0);
}

TEST(SpeedStepTest, StepsInExactHundredths) {
    EXPECT_EQ(SpeedStep::Up(1.35), 1.4);
    EXPECT_EQ(SpeedStep::Up(1.4), 1.4);
    EXPECT_EQ(SpeedStep::Up(1.0), 1.05);
    EXPECT_EQ(SpeedStep::Down(0.65), 0.6);
    EXPECT_EQ(SpeedStep::Down(0.6), 0.6);

    // Every step from the bottom lands exactly on its hundredth (0.6 + 0.05 + 0.05 in plain
    // floating point is 0.7000000000000001).
    double speed = 0.6;
    for (int i = 1; i <= 16; ++i) {
        speed = SpeedStep::Up(speed);
        EXPECT_EQ(speed, (60 + 5 * i) / 100.0) << i;
    }
    EXPECT_EQ(SpeedStep::Up(speed), 1.4);
    for (int i = 0; i < 20; ++i)
        speed = SpeedStep::Down(speed);
    EXPECT_EQ(speed, 0.6);

    // The speed dialog allows up to 2.0: up drops to the keys' top, down steps from there.
    EXPECT_EQ(SpeedStep::Up(2.0), 1.4);
    EXPECT_EQ(SpeedStep::Down(2.0), 1.95);
    EXPECT_EQ(SpeedStep::Up(std::numeric_limits<double>::quiet_NaN()), 1.05);

    EXPECT_EQ(SpeedStep::Frequency(44100, 1.05), 46305u);
    EXPECT_EQ(SpeedStep::Frequency(44100, 0.95), 41895u);
    EXPECT_EQ(SpeedStep::Frequency(22050, 1.0), 22050u);
}

TEST(SpokenTimeTest, SoundsForTheTime) {
    EXPECT_EQ(SpokenTime::Sounds(0, 0), (std::vector<uint32_t>{326, 295, 323}));
    EXPECT_EQ(SpokenTime::Sounds(12, 0), (std::vector<uint32_t>{324, 307, 323}));
    EXPECT_EQ(SpokenTime::Sounds(13, 45), (std::vector<uint32_t>{324, 296, 311, 317}));
    EXPECT_EQ(SpokenTime::Sounds(23, 59), (std::vector<uint32_t>{324, 306, 312, 321}));
    EXPECT_EQ(SpokenTime::Sounds(1, 7), (std::vector<uint32_t>{326, 296, 319}));
    EXPECT_EQ(SpokenTime::Sounds(11, 30), (std::vector<uint32_t>{326, 306, 310, 322}));
    EXPECT_TRUE(SpokenTime::Sounds(24, 0).empty());
    EXPECT_TRUE(SpokenTime::Sounds(5, 60).empty());
}

} // namespace
