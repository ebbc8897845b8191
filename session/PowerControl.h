#pragma once

#include <functional>

// What the desktop does for the player's power handling: the screen on and off, and the
// suspend. The keep-awake hold follows PlayerState::holdBacklight and needs no call here.
// Used on the UI thread only.
class PowerControl {
public:
    enum class SuspendResult { Started, Refused, Unavailable };

    virtual ~PowerControl() = default;

    // Switches the screen on or off where the desktop lets the player; elsewhere nothing.
    virtual void SetDisplay(bool on) = 0;
    // Whether the screen is on now; when it can't be read, what the player last asked for.
    virtual bool DisplayIsOn() = 0;
    // Asks the system to suspend; `done` hears the answer on the UI thread, at once or later.
    virtual void Suspend(std::function<void(SuspendResult)> done) = 0;
};
