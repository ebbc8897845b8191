#pragma once

#include "lyrics/LyricsData.h"
#include "playlist/FileInfo.h"

#include <cstdint>
#include <string>

// What the playback controller needs from the main view: message boxes, the LCD, the display
// panel, the seek slider, the transport buttons, the spectrum, the lyrics view, the notification
// bubble, the wait cursor and posting a message to the view.
//
// Calls come on the UI thread, and from the monitor on worker thread 5. An implementation hands
// the latter to the UI thread by posting them; none of the void calls may block the caller
// waiting for the UI thread (the monitor holds the track lock meanwhile). The value-returning
// calls are made on the UI thread only, except Korean(), which must not change.
class PlaybackUi {
public:
    enum class Button { Play, Pause, Stop, Previous, Next };
    enum class PanelState { Stop, Play, Pause };
    enum class Spectrum { Clear, On, Off };

    virtual ~PlaybackUi() = default;

    // The UI language is Korean (1042).
    virtual bool Korean() const = 0;
    // The mute switch is on: volumes go to the switch only.
    virtual bool Muted() const = 0;
    // An OK box with the error icon, owned by the view.
    virtual void MessageBox(const std::u16string& text, const std::u16string& title) = 0;

    // The LCD: the track line of `entry` (title or tags), or a status text shown for
    // `durationMs` before the track line returns.
    virtual void ShowTitle(const FileInfo& entry) = 0;
    virtual void ShowStatus(const std::u16string& text, int durationMs) = 0;

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

    // The lyrics of a newly opened track are in place (the lyrics view reloads them).
    virtual void LyricsLoaded() = 0;
    // The line to show; key -1 moves the lyrics view back to its start.
    virtual void ShowLyric(const LyricsData::Lookup& line) = 0;

    // The notification bubble; RemoveBubble takes away the one shown, if any.
    virtual void ShowBubble(const std::u16string& title, const std::u16string& html,
                            int seconds) = 0;
    virtual void RemoveBubble() = 0;
    // The wait cursor, with pending paint messages let through first.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;

    // Posts a message to the view (the program restart 0x5F9, the decoder restart 0x5FA).
    virtual void PostToView(uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;

    // Other windows: the playlist dialog, when open, gets the new current entry (0x8058); the
    // speed dialog, when open, is told the speed was applied; the backlight hold (with
    // "NoUsePowerSave" 1); the wave-out volume word (both 16-bit halves).
    virtual void CurrentEntryChanged(const FileInfo& entry) = 0;
    virtual void SpeedApplied(double speed) = 0;
    virtual void HoldBacklight(bool hold) = 0;
    virtual void SetWaveOutVolume(uint32_t volume) = 0;

    // The repeat popup at the repeat button with "None" (1053), "One" (1054), "All" (1055), the
    // item of `repeatType` checked; the chosen id, 0 when dismissed.
    virtual int RepeatPopup(int repeatType) = 0;
};
