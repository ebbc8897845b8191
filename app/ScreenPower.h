#pragma once

#include <optional>

// The screen's power through the X server's DPMS extension (on an X session only). Kept apart
// from the Qt code: the X headers define names that clash with Qt's.
namespace ScreenPower {

// Switches the screen on or off; false when there is no X display or it has no DPMS.
bool Set(bool on);
// Whether the screen is on; nothing when it can't be read.
std::optional<bool> IsOn();
// Starts the X server's idle time again (its own screen saver and DPMS blanking count from
// it); false without an X display.
bool ResetIdle();

} // namespace ScreenPower
