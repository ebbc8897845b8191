#include "input/SpokenTime.h"

std::vector<uint32_t> SpokenTime::Sounds(int hour, int minute) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59)
        return {};
    std::vector<uint32_t> sounds;
    sounds.push_back(hour < 12 ? kMorning : kAfternoon);
    // Midnight and noon both say twelve, through different sounds.
    const int h12 = hour <= 12 ? hour + 12 : hour;
    sounds.push_back(kTwelveOClock + static_cast<uint32_t>(h12 - 12));
    if (minute == 0) {
        sounds.push_back(kOnTheHour);
        return sounds;
    }
    const int tens = minute / 10;
    const int units = minute % 10;
    if (tens > 0)
        sounds.push_back(kTenMinutes + static_cast<uint32_t>(tens - 1));
    sounds.push_back(units == 0 ? kTensOnly : kOneMinute + static_cast<uint32_t>(units - 1));
    return sounds;
}
