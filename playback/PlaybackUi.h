#pragma once

#include "support/UiText.h"

// What the playback controller needs a window for: message boxes, the repeat popup, the
// notification bubble and the wait cursor. Everything else it reports goes to its
// PlaybackSink.
//
// Calls may come from the monitor's thread; an implementation hands them to the UI thread and
// never blocks the caller waiting for it (the monitor holds the track lock meanwhile), except
// RepeatPopup and the wait cursor, which are used on the UI thread only.
class PlaybackUi {
public:
    virtual ~PlaybackUi() = default;

    // An OK box with the error icon.
    virtual void MessageBox(const UiText& text, const UiText& title) = 0;
    // The notification bubble for `seconds`; RemoveBubble takes away the one shown, if any.
    virtual void ShowBubble(const UiText& title, const UiText& html, int seconds) = 0;
    virtual void RemoveBubble() = 0;
    // The wait cursor, with pending paint messages let through first.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // One short wait while the run-time library opens a file: on the UI thread the window goes
    // on handling its events (painting, Stop, Exit) meanwhile; elsewhere a short sleep.
    virtual void WaitStep() = 0;
    // The repeat popup at the repeat button with "None", "One", "All" (0, 1, 2), the item of
    // `repeatType` checked; the chosen one, -1 when dismissed.
    virtual int RepeatPopup(int repeatType) = 0;
};
