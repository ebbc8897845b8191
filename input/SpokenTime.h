#pragma once

#include <cstdint>
#include <vector>

// "Alarm Time" speaks the time with WAVE resources played one after another: morning or
// afternoon, the hour, then "o'clock" or the minutes as tens and units.
class SpokenTime {
public:
    static constexpr uint32_t kMorning = 326;
    static constexpr uint32_t kAfternoon = 324;
    static constexpr uint32_t kTwelveOClock = 295; // hours run 295 (12) .. 307 (12 again)
    static constexpr uint32_t kTenMinutes = 308;   // 308 .. 312 for 10 .. 50
    static constexpr uint32_t kOneMinute = 313;    // 313 .. 321 for 1 .. 9
    static constexpr uint32_t kTensOnly = 322;     // the minutes word after a round ten
    static constexpr uint32_t kOnTheHour = 323;

    // The resource ids for the time; empty for an hour outside 0 .. 23 or a minute outside
    // 0 .. 59.
    static std::vector<uint32_t> Sounds(int hour, int minute);
};
