#pragma once

#include <cstdint>

// What the view knows when a key function arrives.
struct KeyViewState {
    bool playlistDialogOpen = false; // D
    bool hold = false;               // H
    bool lyricsListOpen = false;     // L
    bool streamMode = false;         // S
    bool deleting = false;           // X: a file deletion is in progress
    bool trackLoaded = false;        // not N: playing, paused, or stopped with a source
    bool seeking = false;
    bool playing = false;
    bool stopped = false; // stopped with a source
    bool active = false;  // the player is the foreground application
    bool displayOn = true;
    bool useDefaultDecoder = true; // "UseDefaultDecoder" is 1
    // Buttons the skin and "ButtonMode" show.
    bool playShown = true;
    bool stopShown = true;
    bool pauseShown = true;
    bool previousShown = true;
    bool nextShown = true;
    bool openFilesShown = true;
    bool exitShown = true;
};

// What the view does for a key function.
enum class KeyAction {
    None, // ignored, or nothing to do
    Play,
    Stop,
    Pause,
    PreviousTrack,
    RestartTrack, // the current track again from 0
    NextTrack,
    Rewind,
    FastForward,
    VolumeUp,
    VolumeDown,
    MarkSection, // the next A-B point on the seek slider
    ToggleMute,
    ToggleDisplay,
    PowerOff, // post WM_COMMAND 32830 to the main window
    SpeedUp,
    SpeedDown,
    DeleteFile,
    OpenFiles,
    Exit,
    ToggleHold,
    Minimize, // "Activate" while active
    Restore,  // "Activate" while in the background: restore and bring to the front
    ShowPlaylist,
    SpeakTime,
    ToggleShuffle,
};

// The rules of the key functions: in which view states a function is ignored, and what it
// comes to given the buttons shown.
class KeyFunctionRules {
public:
    // Whether the function is ignored in this state (unknown codes are).
    static bool IsIgnored(uint32_t functionCode, const KeyViewState& state);
    // What the view does: None when ignored or when the function has nothing to do here.
    static KeyAction Resolve(uint32_t functionCode, const KeyViewState& state);
    // A key press may light the display; after any function but "Display On/Off" a display
    // that was off is switched off again. `displayWasOn` is the state before the function.
    static bool SwitchDisplayOffAgain(uint32_t functionCode, bool displayWasOn);
};
