#include "input/SpeedStep.h"

#include <algorithm>
#include <cmath>

double SpeedStep::Up(double speed) {
    const int64_t next = std::min<int64_t>(Hundredths(speed) + kStep, kHighest);
    return static_cast<double>(next) / 100.0;
}

double SpeedStep::Down(double speed) {
    const int64_t next = std::max<int64_t>(Hundredths(speed) - kStep, kLowest);
    return static_cast<double>(next) / 100.0;
}

uint32_t SpeedStep::Frequency(uint32_t baseFrequency, double speed) {
    const int64_t hundredths = std::max<int64_t>(Hundredths(speed), 0);
    const int64_t frequency = static_cast<int64_t>(baseFrequency) * hundredths / 100;
    return static_cast<uint32_t>(std::min<int64_t>(frequency, UINT32_MAX));
}

int64_t SpeedStep::Hundredths(double speed) {
    if (!std::isfinite(speed) || std::fabs(speed) > 1e6)
        return 100;
    return std::llround(speed * 100.0);
}
