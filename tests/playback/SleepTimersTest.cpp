#include "playback/SleepTimers.h"

#include <gtest/gtest.h>

namespace {

// A timer fires when its deadline comes and then counts its minutes again; the power-off timer
// fires once only until it is armed anew; input moves every enabled deadline.
TEST(SleepTimersTest, DeadlinesMoveOnAndPowerOffFiresOnce) {
    SleepTimers timers;
    EXPECT_FALSE(timers.AnyEnabled());
    timers.Set(SleepTimers::StopPlaying, true, 1, 1000);
    timers.Set(SleepTimers::PowerOff, true, 2, 1000);
    timers.Set(SleepTimers::DisplayOff, false, 5000, 1000);
    EXPECT_TRUE(timers.AnyEnabled());
    EXPECT_EQ(timers.Get(SleepTimers::StopPlaying).deadline, 1060);
    EXPECT_EQ(timers.Get(SleepTimers::DisplayOff).minutes, 1440);

    EXPECT_EQ(timers.Check(1059), 0u);
    EXPECT_EQ(timers.Check(1060), SleepTimers::kStopPlayingDue);
    EXPECT_EQ(timers.Get(SleepTimers::StopPlaying).deadline, 1120);
    EXPECT_EQ(timers.Check(1120), SleepTimers::kStopPlayingDue | SleepTimers::kPowerOffDue);
    EXPECT_EQ(timers.Check(1240), SleepTimers::kStopPlayingDue); // power off fired already

    timers.Rearm(2000);
    EXPECT_EQ(timers.Get(SleepTimers::PowerOff).deadline, 2120);
    EXPECT_EQ(timers.Get(SleepTimers::DisplayOff).deadline, 1000 + 1440 * 60); // not enabled
    EXPECT_EQ(timers.Check(2120), SleepTimers::kStopPlayingDue);
    timers.Rearm(3000, true);
    EXPECT_EQ(timers.Check(3120), SleepTimers::kStopPlayingDue | SleepTimers::kPowerOffDue);
}

} // namespace
