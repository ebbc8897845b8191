#pragma once

#include "playback/PlaybackUi.h"
#include "playlist/FileInfo.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the player session needs a window for: the playback controller's boxes, popups and wait
// cursor, a question, the file chooser, the options sheet (the Open URL and Open Folder pages
// among its pages), timers, the window itself and the program's built-in resources. Used on the UI
// thread only, except the PlaybackUi calls.
class SessionUi : public PlaybackUi {
public:
    // Restart starts the program again playing; RestartQuietly without play; Foreground brings
    // the window to the front.
    enum class WindowAction { Close, Restart, Minimize, Restore, RestartQuietly, Foreground };
    // Pages of the options sheet the session asks for, by their bit in a page mask (the sheet,
    // options/OptionSheet, has them all), and the masks of "Settings..." and "About Sonvale...".
    static constexpr uint32_t kLyricsPage = 0x100;
    static constexpr uint32_t kOpenFolderPage = 0x2000;
    static constexpr uint32_t kSettingsPages = 0xE47;
    static constexpr uint32_t kAboutPages = 0xA0;

    // Yes/No with the question icon, No the default; true for Yes.
    virtual bool Ask(const UiText& text, const UiText& caption) = 0;
    // Moves a file to the desktop's trash; false when it could not.
    virtual bool MoveToTrash(const std::u16string& path) = 0;
    // Audio files chosen in `folder` (full paths); empty when cancelled.
    virtual std::vector<std::u16string> ChooseFiles(const std::u16string& folder) = 0;
    // The Open URL page; the address to open, nothing when cancelled or when there is none.
    virtual std::optional<std::u16string> AskAddress() = 0;

    // A repeating timer; each expiry calls PlayerSession::Timer(id).
    virtual void StartTimer(uint32_t id, uint32_t intervalMs) = 0;
    virtual void StopTimer(uint32_t id) = 0;

    virtual void Window(WindowAction action) = 0;
    // Shows the options pages of `pageMask` in the options sheet; true when the user closed it
    // with OK (the pages wrote their settings). The lyrics list stays open beside the player
    // (a second call brings it forward) and answers false.
    virtual bool ShowOptions(uint32_t pageMask) = 0;
    // The sleep timer dialog, filled from the session's timers; true on OK (it wrote the timers'
    // settings).
    virtual bool ShowSleepTimer() = 0;
    // The playback speed dialog (it previews on the library channel); the chosen speed factor,
    // nothing when cancelled.
    virtual std::optional<double> ShowPlaybackSpeed() = 0;
    // The CPU profile dialog: frequency bars on, or off with the title's scrolling; on OK the
    // window applies both.
    virtual bool ShowCpuProfile() = 0;
    // The sound effects sheet over the playing sound; true when closed with OK.
    virtual bool ShowSoundEffects() = 0;
    // The favorites editor over the session's playlist; true on OK (it wrote the marks back).
    virtual bool ShowFavorites() = 0;
    // The lyrics download dialog for these entries; it hands every lyrics file it wrote to
    // PlayerSession::LyricsWritten.
    virtual void ShowLyricsDownload(const std::vector<FileInfo>& entries) = 0;
    // The playlist dialog over the session's playlist; returns when it is closed.
    virtual void ShowPlaylist() = 0;
    // A built-in resource ("demo/sonvale-demo.ogg", "sounds/12.wav"); empty when missing.
    virtual std::string Resource(const std::string& name) = 0;
};
