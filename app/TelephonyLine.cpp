#include "app/TelephonyLine.h"

#include "app/ModemManagerLine.h"

// ModemManager's voice calls; the line does not open without it.
std::unique_ptr<TelephonyLine> TelephonyLine::System() {
    return std::make_unique<ModemManagerLine>();
}

bool TelephonyLine::IsCallActive(uint32_t state) {
    switch (state) {
    case kOffering:
    case kDialTone:
    case kDialing:
    case kRingBack:
    case kConnected:
        return true;
    default:
        return false;
    }
}
