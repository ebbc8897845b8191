#include "app/TelephonyLine.h"

std::unique_ptr<TelephonyLine> TelephonyLine::System() {
    // No modem service is watched yet: without a line the player has no call handling.
    return nullptr;
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
