#pragma once

#include "support/UiText.h"

#include <cstdint>
#include <string>

// What the playlist needs from the view that owns it: message boxes, the text display, the wait
// cursor and the playback controller.
class PlaylistHost {
public:
    enum class Box { Error, Question };

    virtual ~PlaylistHost() = default;

    // Error: an OK box with the error icon. Question: Yes/No with the question icon, No the
    // default; true for Yes. The view shows both texts in the UI language.
    virtual bool MessageBox(const UiText& text, const UiText& caption, Box box) = 0;
    // Shows a text (an entry's name) on the LCD text line.
    virtual void ShowTitle(const std::u16string& text) = 0;
    // Shows `number` on the track number display.
    virtual void ShowTrackNumber(int number) = 0;
    // Dispatches pending paint messages and shows the wait cursor; EndWait hides it.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // Moves a file to the desktop's trash; false when it could not (the file stays where it is).
    virtual bool MoveToTrash(const std::u16string& path) = 0;

    // The playback controller: open the playlist's current entry, seek in it, play, stop.
    virtual bool OpenCurrent() = 0;
    virtual void Seek(int32_t ms) = 0;
    virtual void Play() = 0;
    virtual bool IsPlaying() = 0;
    virtual void Stop() = 0;
    // Moves to the next (+1) or previous (-1) track and opens it.
    virtual bool StepTrack(int step) = 0;
};
