#include "app/ScreenPower.h"

#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <cstdlib>
#include <memory>

namespace {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A connection of its own for the one request: the player's windows may not be on X at all.
DisplayPtr OpenDpms() {
    if (!std::getenv("DISPLAY"))
        return nullptr;
    DisplayPtr display(XOpenDisplay(nullptr));
    int event = 0, error = 0;
    if (!display || !DPMSQueryExtension(display.get(), &event, &error) ||
        !DPMSCapable(display.get()))
        return nullptr;
    return display;
}

} // namespace

namespace ScreenPower {

bool Set(bool on) {
    DisplayPtr display = OpenDpms();
    if (!display)
        return false;
    if (!on)
        DPMSEnable(display.get());
    DPMSForceLevel(display.get(), on ? DPMSModeOn : DPMSModeOff);
    XFlush(display.get());
    return true;
}

std::optional<bool> IsOn() {
    DisplayPtr display = OpenDpms();
    if (!display)
        return std::nullopt;
    CARD16 level = 0;
    BOOL enabled = 0;
    if (!DPMSInfo(display.get(), &level, &enabled))
        return std::nullopt;
    return !enabled || level == DPMSModeOn;
}

bool ResetIdle() {
    if (!std::getenv("DISPLAY"))
        return false;
    DisplayPtr display(XOpenDisplay(nullptr));
    if (!display)
        return false;
    XResetScreenSaver(display.get());
    XFlush(display.get());
    return true;
}

} // namespace ScreenPower
