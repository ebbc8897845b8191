#pragma once

#include "support/UiText.h"

// What a window hears from the player session besides its state. Every call may come from any
// thread (the monitor runs on its own); an observer hands it to its own thread and reads the
// state there, and never blocks the caller.
class PlayerObserver {
public:
    // The controls a window is asked to give the keyboard focus to.
    enum class Control { Play, Pause, Stop, Previous, Next, Seek, Volume };

    virtual ~PlayerObserver() = default;

    // The state changed: read PlayerSession::State() on the observer's thread.
    virtual void StateChanged() = 0;
    // A status text on the LCD for `durationMs`, after which the track line returns.
    virtual void StatusShown(const UiText& text, int durationMs) = 0;
    virtual void FocusRequested(Control control) = 0;
    // The mute key: the window's mute switch changes over (and tells the session).
    virtual void MuteToggleRequested() = 0;
};
