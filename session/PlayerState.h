#pragma once

#include "lyrics/LyricsData.h"
#include "playback/PlaybackSink.h"
#include "playlist/FileInfo.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// What the player shows, as one value: the windows render it. The player session keeps it and
// hands out copies (PlayerSession::State()).
struct PlayerState {
    using Button = PlaybackSink::Button;
    using PanelState = PlaybackSink::PanelState;
    using Spectrum = PlaybackSink::Spectrum;

    // The LCD's track line: the entry's title or tags, or, when `titleName` is set, that name.
    // `titleSerial` changes with every new line, so that the same title shown again is seen.
    FileInfo titleEntry;
    std::u16string titleName;
    uint32_t titleSerial = 0;

    // The display panel.
    int elapsedSeconds = 0;
    int totalSeconds = 0;
    std::u16string rate = u"00";
    std::u16string bitrate = u"000";
    int trackNumber = 0;
    PanelState panel = PanelState::Stop;
    Spectrum spectrum = Spectrum::Clear;

    // The seek slider: -1 as the skin left it (disabled), 0 hidden, 1 shown; its range and
    // position in 100 ms units, and its A-B marks (0, 1 or 2 of them).
    int seekShown = -1;
    int seekMaximum = 0;
    int seekPosition = 0;
    int markCount = 0;
    int markA = 0;
    int markB = 0;

    // The transport buttons by Button: -1 as the skin left them, 0 hidden, 1 shown.
    std::array<int, 5> buttons{-1, -1, -1, -1, -1};
    // "ButtonMode": 1 shuffle and repeat, else speed and A-B.
    int buttonMode = 0;
    bool shuffle = false;
    bool repeat = false;
    // "RepeatType" while repeat is on: 1 the current track, else the list.
    int repeatType = 0;

    // The current lyrics line; `lyricSerial` changes with every line shown.
    LyricsData::Lookup lyric;
    uint32_t lyricSerial = 0;
    bool syncedLyrics = false;
    // Changes whenever lyrics were loaded for a track (PlayerSession::Lyrics() has them).
    uint32_t lyricsSerial = 0;
    // The lyrics' sync offset in half seconds, and whether it is kept between runs.
    int lyricsSync = 0;
    bool keepLyricsSync = false;

    // The volume slider: the step and its range.
    int volume = 0;
    int volumeRange = 100;

    bool playing = false;
    bool paused = false;
    bool stream = false;
    bool hold = false;
    bool alwaysOnTop = false;
    // "EnableFavorites", and whether the current entry belongs to the favourites.
    bool favoritesEnabled = false;
    bool currentFavorite = false;
    bool holdBacklight = false;
    // The player's own view of the screen (Display On/Off), and the meter window stopped and
    // hidden while the screen is off.
    bool displayOn = true;
    bool metersOff = false;
    double speed = 1.0;
    int currentIndex = -1;

    // The hot keys registered now (key codes, ascending), and whether the window is behind
    // another program's: the desktop's shortcut service is offered them then.
    std::vector<uint16_t> hotKeys;
    bool background = false;

    bool operator==(const PlayerState&) const = default;
};
