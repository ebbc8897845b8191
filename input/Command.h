#pragma once

#include <optional>

// Every command the player's menus, skinned buttons, key functions and frame send. Each has one
// numeric id (see Command.cpp): the number a command message carries and the key map stores.
enum class Command {
    // The File menu.
    OpenFiles,
    OpenFolder,
    OpenUrl,
    DeleteFile,
    Exit,
    // The Play menu and the transport buttons.
    Play,
    Pause,
    Stop,
    Previous,
    Next,
    ShuffleRepeatButtons, // "Shuffle/Repeat": the button pair shows shuffle and repeat
    SpeedSectionButtons,  // "Speed/A<->B": the button pair shows speed and A-B
    Playlist,
    PlaybackSpeed,
    // The Lyrics menu.
    DownloadLyrics,
    ShowLyrics,
    KeepSyncTime,
    SyncFaster,
    SyncDefault,
    SyncSlower,
    // The Favorites menu.
    EnableFavorites,
    AddFavorite,
    EditFavorites,
    // The Tools menu.
    SleepTimer,
    SoundEffects,
    Settings,
    AlwaysOnTop,
    About,
    CpuProfile, // the CPU profile dialog: frequency bars and scrolling on or off
    // The skinned buttons that are not in the menu.
    Minimize,
    Quit,
    // The screen on or off; suspend the device.
    DisplayOnOff,
    PowerOff,
    Shuffle,
    Repeat,
    MarkSection,
    // The repeat popup's choices.
    RepeatNone,
    RepeatOne,
    RepeatAll,
    // The commands the frame maps to key functions, and the title bar's OK button.
    MediaPlayPause,
    MediaPreviousTrack,
    MediaNextTrack,
    TitleOk,
    // The key functions, in the key map's order; the view runs them by their function code.
    KeyPlay,
    KeyStop,
    KeyPause,
    KeyPlayStop,
    KeyPlayPause,
    KeyPreviousTrack,
    KeyNextTrack,
    KeyRewind,
    KeyFastForward,
    KeyVolumeUp,
    KeyVolumeDown,
    KeyRepeatSection,
    KeyMute,
    KeyDisplay,
    KeyPowerOff,
    KeySpeedUp,
    KeySpeedDown,
    KeyDeleteFile,
    KeyOpenFiles,
    KeyExit,
    KeyHold,
    KeyActivate,
    KeyShowPlaylist,
    KeyAlarmTime,
    KeyShuffle,
    KeyUndefined,
};

inline constexpr int kCommandCount = static_cast<int>(Command::KeyUndefined) + 1;

// The command a numeric id stands for, or none for an id no command has.
std::optional<Command> CommandFromId(int id);
// The numeric id of a command.
int CommandId(Command command);
// True for the key functions (KeyPlay .. KeyUndefined).
bool IsKeyFunction(Command command);
