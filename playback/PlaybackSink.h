#pragma once

#include "lyrics/LyricsData.h"
#include "playlist/FileInfo.h"
#include "support/UiText.h"

#include <cstdint>
#include <string>

// Where the playback controller reports what plays: the track line, the display panel, the seek
// slider, the transport buttons, the lyrics line, and the few things it asks of its owner (a
// message to itself, the output volume, the backlight hold). The player session implements it
// and keeps the state it describes.
//
// Calls come on the UI thread and from the monitor's thread; none may block waiting for the UI
// thread. Muted() may be asked on either.
class PlaybackSink {
public:
    enum class Button { Play, Pause, Stop, Previous, Next };
    enum class PanelState { Stop, Play, Pause };
    enum class Spectrum { Clear, On, Off };

    virtual ~PlaybackSink() = default;

    // The mute switch is on: volumes go to the switch only.
    virtual bool Muted() const = 0;

    // The track line of `entry` (title or tags), or a status text shown for `durationMs` before
    // the track line returns.
    virtual void ShowTitle(const FileInfo& entry) = 0;
    virtual void ShowStatus(const UiText& text, int durationMs) = 0;

    // The display panel: the elapsed (or shown) time and the total time in seconds, the sample
    // rate and bitrate fields, the track number, the play/pause/stop mark.
    virtual void SetPanelTime(int seconds) = 0;
    virtual void SetPanelTotal(int seconds) = 0;
    virtual void SetPanelFormat(const std::u16string& rate, const std::u16string& bitrate) = 0;
    virtual void SetTrackNumber(int number) = 0;
    virtual void SetPanelState(PanelState state) = 0;

    // The seek slider in 100 ms units: shown or hidden, its maximum, its position.
    virtual void ShowSeekSlider(bool show) = 0;
    virtual void SetSeekRange(int maximum) = 0;
    virtual void SetSeekPos(int position) = 0;

    virtual void ShowButton(Button button, bool show) = 0;
    virtual void FocusButton(Button button) = 0;
    virtual void SetSpectrum(Spectrum action) = 0;

    // The lyrics of a newly opened track are in place; called with the track lock held.
    virtual void LyricsLoaded() = 0;
    // The line to show; key -1 moves the lyrics view back to its start.
    virtual void ShowLyric(const LyricsData::Lookup& line) = 0;

    // Posts a message to the owner (the program restart 0x5F9, the decoder restart 0x5FA).
    virtual void PostToView(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

    // The new current entry; the speed applied; the backlight hold (with "NoUsePowerSave" 1);
    // the wave-out volume word (both 16-bit halves).
    virtual void CurrentEntryChanged(const FileInfo& entry) = 0;
    virtual void SpeedApplied(double speed) = 0;
    virtual void HoldBacklight(bool hold) = 0;
    virtual void SetWaveOutVolume(uint32_t volume) = 0;
};
