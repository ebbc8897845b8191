#pragma once

#include <cstdint>

// The speed keys: the playback speed factor moves by 0.05, up to at most 1.4 and down to at
// least 0.6. The factor is stepped in whole hundredths so that 1.35 + 0.05 is exactly 1.4.
class SpeedStep {
public:
    static constexpr int32_t kStep = 5;      // hundredths
    static constexpr int32_t kHighest = 140; // hundredths, for the up key
    static constexpr int32_t kLowest = 60;   // hundredths, for the down key

    static double Up(double speed);
    static double Down(double speed);
    // The frequency a playing channel gets: base frequency × speed.
    static uint32_t Frequency(uint32_t baseFrequency, double speed);

private:
    // The factor in hundredths; a factor that is not a number counts as 1.
    static int64_t Hundredths(double speed);
};
