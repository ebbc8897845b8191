#pragma once

#include "input/Command.h"
#include "input/HotKeys.h"
#include "input/KeyDispatcher.h"
#include "input/KeyMap.h"
#include "platform/PowerSupply.h"
#include "playback/FmodView.h"
#include "playback/MeterFeed.h"
#include "playback/PlaybackSink.h"
#include "playback/SleepTimers.h"
#include "playback/TickJobs.h"
#include "playlist/PlaylistHost.h"
#include "session/PlayerObserver.h"
#include "session/PlayerState.h"
#include "session/PowerControl.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class AudioSystem;
class EffectControls;
class MediaOpener;
class MediaPlayerBackend;
class MessageSink;
class PlaybackController;
class Playlist;
class Profile;
class SessionUi;

// The player under its windows: the audio, the playlist, the media opener, the playback
// controller, the key map and dispatcher, the tick and the track monitor. Windows send it
// Commands (and slider moves, keys, their messages) and render its state; it tells them of
// changes through PlayerObserver and asks them for what needs a window through SessionUi.
//
// Threads: everything is called on the UI thread, except OnTick (the library's mixer) and the
// levels. The monitor runs on a thread of the session's own; what it reports reaches the state
// under the state lock and the observers from that thread.
class PlayerSession : public FmodView,
                      public PlaybackSink,
                      public PlaylistHost,
                      public KeyDispatcher::Host {
public:
    using AudioFactory = std::function<std::unique_ptr<AudioSystem>(FmodView& owner)>;

    // Messages the session posts to itself through `sink`; the window hands them back to
    // HandleMessage on the UI thread, with the engine's messages.
    static constexpr uint32_t kOpenStartupFolder = 0x71;
    static constexpr uint32_t kRestartProgram = 0x5F9;
    static constexpr uint32_t kRunSleepTimers = 0x5F6;
    static constexpr uint32_t kCheckPowerSupply = 0x5F7;
    static constexpr uint32_t kRestartDecoder = 0x5FA;
    static constexpr uint32_t kStartupContinuation = 0x5FB;
    static constexpr uint32_t kCheckBackgroundKeys = 0x5FC;
    static constexpr uint32_t kApplyOutputVolume = 0x5FD;
    static constexpr uint32_t kShowNotices = 0x5FE;
    static constexpr uint32_t kRunCommand = 0x5FF; // wParam: the command's id
    static constexpr uint32_t kOpenFile = 0x803C;
    static constexpr uint32_t kRestorePlaylist = 0x8056;
    // The list saver's period.
    static constexpr int kListSaveMs = 1000;
    // How long the lyrics sync message shows.
    static constexpr int kSyncMessageMs = 600;

    PlayerSession(Profile& profile, SessionUi& ui, MessageSink& sink, AudioFactory makeAudio);
    ~PlayerSession() override;
    PlayerSession(const PlayerSession&) = delete;
    PlayerSession& operator=(const PlayerSession&) = delete;

    // Observers are added before Start and stay until Shutdown.
    void AddObserver(PlayerObserver& observer);

    // Starts the audio and builds the parts; the start-up goes on from the message loop. False
    // when the audio could not start: FailureText()/FailureTitle() say why.
    bool Start(const std::u16string& startCommandLine);
    UiText FailureText() const { return m_failureText; }
    UiText FailureTitle() const { return m_failureTitle; }
    // The controls of the skin the key rules ask about: the open and exit buttons shown, and
    // whether the seek slider takes A-B marks.
    void SetSkinControls(bool openFilesShown, bool exitShown, bool seekMarks);
    // Writes the settings and the lists, stops the monitor and the audio. A second call does
    // nothing.
    void Shutdown();
    bool Running() const;

    // ---- In
    // A command; false when the session has nothing to do for it (now).
    bool Run(Command command);
    // Whether a command has something to act on now (menus grey out the others).
    bool Available(Command command) const;
    // A key press (the system's virtual key code); repeats of a held key are not presses.
    void KeyDown(uint32_t keyCode);
    // A hot key came back from the desktop (or a capture of the window's keys); taken only while
    // the key is registered, and told apart from a double press like any key.
    void HotKey(uint32_t keyCode);
    // A timer started through SessionUi expired.
    void Timer(uint32_t id);
    // The seek slider dragged (100 ms units) and let go; the volume slider moved.
    void SeekSliderMoving(int position);
    void SeekSliderReleased(int position);
    void SetVolumeStep(int step);
    // The playback speed factor from outside the player's keys (the desktop's media controls).
    void SetSpeed(double speed);
    // The playback speed dialog's preview on the library channel: its frequency now, a new one
    // heard at once, and the track's own rate; 0 and nothing while no library channel plays.
    int ChannelFrequency();
    void SetChannelFrequency(int hz);
    int BaseFrequency();
    // The sleep timers (stop playing, power off, display off) as they run now.
    SleepTimers::Record SleepTimer(SleepTimers::Kind kind) const;
    // The timers' stored settings take effect: each enabled one counts from now.
    void LoadSleepTimers();
    // A key press or a tap: the timers measure the time without input, so each enabled one
    // counts from now.
    void NoteInput();
    // The calendar clock of the sleep timers in seconds (the system's by default).
    void SetClock(std::function<int64_t()> now);
    // Where the power supplies are read (tests give a folder of their own).
    void SetPowerSupplyFolder(std::string folder) { m_powerSupplyFolder = std::move(folder); }
    // The text a second start handed over (a file to open), or "AppRunAfterWakeup" when the
    // device woke up.
    void OpenCommandLine(const std::u16string& commandLine);
    // The desktop's screen and suspend calls (null: none, the display is a flag only). Set
    // before Start; it stays until Shutdown.
    void SetPowerControl(PowerControl* power) { m_power = power; }
    // Seconds between two program restarts below which the second one only closes the program.
    static constexpr int64_t kRestartGuardSeconds = 20;
    // kRestartProgram's wParam for the restart the settings ask for (with play, no guard).
    static constexpr uintptr_t kRestartForSettings = 1;
    // The window went to the foreground or the background.
    void Activate(bool active);
    // The lyrics list page: lines are keys of the current lyrics (half seconds). Seeking to a
    // line ends any A-B repeat; looping a line repeats it from its key to the next line's (the
    // last line to half a second before the end). Only while a track plays or is paused.
    void SeekToLyricLine(int key);
    void LoopLyricLine(int key);
    // While the page is open the monitor follows the lines even behind another window, and the
    // keys that the list takes are left to it.
    void SetLyricsPageOpen(bool open);
    // The sync commands (SyncFaster, SyncDefault, SyncSlower) without the message on the
    // display; false when the track has no timed lyrics.
    bool StepLyricsSyncQuietly(Command command);
    // Messages the session posted to itself, and the engine's.
    void HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // The run-time library is opening a file (the window is in a wait step).
    bool Opening() const;
    // Writes the playlist files and the resume values when they changed (every kListSaveMs).
    void SaveListsIfChanged();

    // The options pages' live values: the run-time library's stream buffer (milliseconds) and
    // the built-in engine's streaming options from the stored settings.
    void SetStreamBufferSize(int ms);
    void ApplyStreamingOptions();
    // The sound effects sheet: the effects of the back end in use (the run-time library's own
    // objects while it is in use, else the built-in engine's) and the engine's, which the
    // equalizer and the presets set; null while the audio does not run. The engine decodes when
    // the library is not in use, or in stream mode.
    EffectControls* Effects();
    EffectControls* EngineEffects();
    bool EngineDecodes() const;

    // ---- Out
    PlayerState State() const;
    // The functions a key is mapped to: its single press, then its double press (UI thread).
    std::vector<uint32_t> FunctionsOfKey(uint16_t keyCode) const;
    // A copy of the current track's lyrics (UI thread).
    LyricsData Lyrics() const;
    bool IsPlaying() const;
    bool IsHoldOn() const { return m_hold; }
    // Whether the run-time library plays ("UseDefaultDecoder" 1 as the audio started).
    bool UsesLibrary() const;
    // Whether ".wma" and ".asf" files can be played (the Open Files dialog offers them then).
    bool WmaAvailable() const;
    // The run-time library's own processor use in percent; 0 while the library does not run.
    float LibraryCpuUsage() const;
    // The controller's run-time library channel's and the engine's levels (0 .. 1).
    void StartLevels();
    void StopLevels();
    bool Levels(float& left, float& right);
    // The mute switch: the output volume word and the library channel's volume it silences.
    uint32_t OutputVolume() const { return m_outputVolume; }
    void SetOutputVolume(uint32_t volume);
    int ChannelVolume();
    void SetChannelVolume(int volume);
    void SetMuted(bool muted);
    // The meter window's blocks of the library's mix, and its hooks (the library's spectrum and
    // the feed's unit) on or off; on starts the feed when the library runs and it has not yet.
    MeterFeed& Meter() { return m_meterFeed; }
    void SetMeterHooks(bool on);
    // Milliseconds per tick of the audio clock (the windows' periodic work counts in these).
    int TickMs() const;
    // The playlist and the controller, for the playlist's own windows.
    Playlist* List() { return m_playlist.get(); }
    // The favorites editor: a copy of the playlist's entries with the index of the current one,
    // and the marks it writes back (per row a path and whether it is a favourite). Every entry
    // of a row's path takes the row's mark; the favorites list becomes the marked paths in row
    // order.
    std::vector<FileInfo> PlaylistEntries(int& current) const;
    void SetFavoriteMarks(const std::vector<std::pair<std::u16string, bool>>& marks);
    // The lyrics download dialog for these entries ("Download Lyrics..." gives the current one).
    void DownloadLyricsFor(const std::vector<FileInfo>& entries);
    // A lyrics file was written for the track at `path`: when that track is loaded its lyrics
    // are read again at once, without a break in the sound.
    void LyricsWritten(const std::u16string& path);

    // ---- The playlist dialog. Rows are indices into the playlist as it is now; every change
    // keeps the current entry current (found again by its path) and is made under the track
    // lock. UI thread.
    enum class SortKey { Name, Path, Title, Artist, Album };
    // A copy of the entries, and the row of the entry now playing (-1 when it is not listed).
    std::vector<FileInfo> PlaylistEntries() const;
    int PlaylistCount() const;
    int PlayingRow() const;
    // Sorts by a text field, ascending; entries with equal texts keep their order.
    void SortPlaylist(SortKey key);
    // Moves the entry at `from` to `to`; false when either is no row.
    bool MovePlaylistEntry(int from, int to);
    void RemovePlaylistEntry(int row);
    void ClearPlaylist();
    // Asks, moves the entry's file to the trash and removes the entry; the file that can't be
    // trashed is reported and keeps its entry. False when nothing was deleted.
    bool DeletePlaylistFile(int row);
    // Appends entries (a scan's result) and files (tags read here) unless the list holds the
    // same path or is full; the number added.
    int AppendToPlaylist(const std::vector<FileInfo>& entries);
    int AddFilesToPlaylist(const std::vector<std::u16string>& paths);
    // Replaces the list by a playlist file's entries; a file that can't be read is reported
    // and leaves the list as it was.
    bool OpenPlaylistFile(const std::u16string& path);
    // Writes the list as a playlist file; an empty list or a file that can't be written is
    // reported.
    bool SavePlaylistFile(const std::u16string& path);
    // Plays the entry at `row`; Apply starts at the first entry (the first favourite while
    // favourites are on). Apply with an empty list is reported and returns false.
    void PlayPlaylistEntry(int row);
    bool ApplyPlaylist();
    // While the dialog is open its list takes the keys: the mapped hot keys are released, and
    // the key functions that need the dialog closed do nothing.
    void SetPlaylistDialogOpen(bool open);
    bool PlaylistDialogOpen() const { return m_playlistDialogOpen; }

    // FmodView.
    void* WindowHandle() override { return this; }
    MessageSink* EngineOwner() override { return &m_sink; }
    bool StartVuMeter(const FmodFunctions& fsound) override;
    bool StartSpectrum(const FmodFunctions& fsound) override;
    void StopVuMeter() override;
    void StopSpectrum() override;
    void OnTick() override;

    // PlaybackSink: the controller's reports become the state.
    bool Muted() const override { return m_muted; }
    void ShowTitle(const FileInfo& entry) override;
    void ShowStatus(const UiText& text, int durationMs) override;
    void SetPanelTime(int seconds) override;
    void SetPanelTotal(int seconds) override;
    void SetPanelFormat(const std::u16string& rate, const std::u16string& bitrate) override;
    void SetTrackNumber(int number) override;
    void SetPanelState(PanelState state) override;
    void ShowSeekSlider(bool show) override;
    void SetSeekRange(int maximum) override;
    void SetSeekPos(int position) override;
    void ShowButton(Button button, bool show) override;
    void FocusButton(Button button) override;
    void SetSpectrum(Spectrum action) override;
    void LyricsLoaded() override;
    void ShowLyric(const LyricsData::Lookup& line) override;
    void PostToView(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void CurrentEntryChanged(const FileInfo& entry) override;
    void SpeedApplied(double speed) override;
    void HoldBacklight(bool hold) override;
    void SetWaveOutVolume(uint32_t volume) override;

    // PlaylistHost.
    bool MessageBox(const UiText& text, const UiText& caption, Box box) override;
    void ShowTitle(const std::u16string& text) override;
    void ShowTrackNumber(int number) override { SetTrackNumber(number); }
    void BeginWait() override;
    void EndWait() override;
    bool MoveToTrash(const std::u16string& path) override;
    bool OpenCurrent() override;
    void Seek(int32_t ms) override;
    void Play() override;
    bool IsPlaying() override;
    void Stop() override;
    bool StepTrack(int step) override;

    // KeyDispatcher::Host.
    uint32_t NowMs() override;
    void StartTimer(uint32_t id, uint32_t intervalMs) override;
    void StopTimer(uint32_t id) override;
    void RunFunction(uint32_t functionCode) override;

private:
    struct Deferred {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
    };

    void Handle(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void RunDeferred();
    void StartMonitor();
    void StopMonitor();
    void StartupContinuation();
    void OpenPathLater(const std::u16string& path);
    void PlayDemoOnFirstStart();
    void RestorePlaylist();
    void RunKeyFunction(uint32_t functionCode);
    void StepVolume(bool up);
    void ApplyVolume(int32_t volume);
    void MarkSection();
    void SpeakTime();
    void OpenFiles();
    void OpenFolder();
    void OpenUrl();
    void DeleteFile();
    void ToggleFavorite();
    void EnableFavorites();
    void ReadToggles();
    void SetLyricsSync(int sync, bool message = true);
    int StepSync(Command command) const;
    void SetMarks(int count, int a, int b);
    void WriteSettingsAtExit();
    // The sleep timers' check (the tick asks for it): the stop-playing timer pauses what plays;
    // the power-off and display-off timers only keep time until the power handling acts on them.
    void RunSleepTimers();
    int64_t Now() const;
    // Power: the screen toggle and its periodic check, the suspend, and the recovery after the
    // device woke up (the audio starts again, else the program does).
    void ToggleDisplay();
    void SwitchDisplay(bool on);
    void CheckDisplay();
    void PowerOff();
    void SuspendFailed(PowerControl::SuspendResult result);
    void RestartDecoder();
    void RestartProgram(bool forSettings);
    // "Settings...": the options sheet, then what its pages wrote.
    void ShowSettings();
    void ApplySettings(int32_t useDefaultDecoder, int32_t useSystemVolume);
    // Stops the audio and starts it again with the stored settings; the current entry is opened
    // again at its position and plays when the user wants play. False when it did not start.
    bool RestartAudio(int32_t resumeMs = -1);
    void WaitForListWrite();
    // Changes the state under its lock and tells the observers when it changed.
    void Update(const std::function<void(PlayerState&)>& change);
    void Focus(PlayerObserver::Control control);
    // An options sheet: the hot keys are released while it is up and registered after it.
    bool ShowOptionSheet(uint32_t mask);
    void ShowSoundEffects();
    void PublishHotKeys();
    void ShowPlaylist();
    // Runs `change` on the entries under the track lock, then finds the current and previous
    // entries again by path and updates the favourites and the list mode.
    void EditPlaylist(const std::function<void(Playlist&)>& change);
    void StartAt(int row);

    Profile& m_profile;
    SessionUi& m_ui;
    MessageSink& m_sink;
    AudioFactory m_makeAudio;
    std::vector<PlayerObserver*> m_observers;

    std::unique_ptr<AudioSystem> m_audio;
    std::unique_ptr<Playlist> m_playlist;
    std::unique_ptr<MediaOpener> m_opener;
    std::unique_ptr<MediaPlayerBackend> m_media;
    std::unique_ptr<PlaybackController> m_controller;
    KeyMap m_keyMap;
    HotKeys m_hotKeys;
    std::unique_ptr<KeyDispatcher> m_dispatcher;
    TickJobs m_tickJobs;
    UiText m_failureText;
    UiText m_failureTitle;

    mutable std::mutex m_stateLock;
    PlayerState m_state; // under m_stateLock

    std::thread m_monitorThread;
    std::mutex m_monitorLock;
    std::condition_variable m_monitorWake;
    bool m_monitorDue = false;              // under m_monitorLock
    std::atomic<bool> m_stopMonitor{false}; // set under m_monitorLock
    std::atomic<bool> m_ticking{false};     // the session is complete: the tick may use it

    // The list files are written on a thread of their own.
    std::future<void> m_listWrite;

    std::vector<Deferred> m_deferred; // messages that came during an open
    std::u16string m_startLine;
    std::u16string m_pendingPath; // the file of the next kOpenFile
    std::atomic<uint32_t> m_outputVolume{0xFFFFFFFF};
    bool m_openFilesShown = true;
    bool m_exitShown = true;
    bool m_seekMarks = true;
    bool m_started = false;
    bool m_shutDown = false;
    bool m_deleting = false;
    bool m_effectsOpen = false; // the sound effects sheet is up
    std::string m_powerSupplyFolder = PowerSupply::kFolder;
    bool m_playlistDialogOpen = false;
    std::atomic<bool> m_hold{false};
    std::atomic<bool> m_active{true};
    std::atomic<bool> m_displayOn{true};
    std::atomic<bool> m_muted{false};
    std::atomic<bool> m_syncedLyrics{false};
    std::atomic<bool> m_wordTimes{false};
    std::atomic<bool> m_lyricsPageOpen{false};
    SleepTimers m_sleepTimers;                // UI thread
    std::atomic<bool> m_sleepTimerSet{false}; // any of them enabled, for the tick
    std::function<int64_t()> m_clock;
    MeterFeed m_meterFeed;
    const FmodFunctions* m_fsound = nullptr; // while the library runs
    PowerControl* m_power = nullptr;
    std::atomic<bool> m_wakeupPending{false};   // the tick rests until the audio is back
    std::atomic<bool> m_powerOffPending{false}; // the same, from Power Off until the wake-up
    bool m_metersStopped = false;               // by the display going off
    int32_t m_resumeMs = -1;                    // the position Power Off left, for the wake-up
    bool m_playAfterWakeup = false;             // it was playing when Power Off stopped it
    bool m_restartWithPlay = false;             // the program restart's new process plays
};
