#pragma once

#include <string>

// The machine's power supplies as the kernel lists them (/sys/class/power_supply): whether a
// mains supply is there and offline, and whether any battery is present.
class PowerSupply {
public:
    struct Status {
        bool mainsKnown = false; // a mains supply is listed
        bool mainsOnline = false;
        bool batteryPresent = false;
    };

    static constexpr const char* kFolder = "/sys/class/power_supply";

    static Status Read(const std::string& folder = kFolder);
    // Off the mains with no battery left to speak of: the player should power off while it
    // still can. Never true where no mains supply is listed (most desktops and virtual machines).
    static bool Failing(const Status& status) {
        return status.mainsKnown && !status.mainsOnline && !status.batteryPresent;
    }
};
