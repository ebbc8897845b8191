#pragma once

#include "lyrics/LyricsData.h"
#include "playback/PlaybackSink.h"
#include "playback/PlaybackUi.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

struct NumberSetting;
class Playlist;
class EngineBackend;
class LibraryBackend;
class MediaPlayerBackend;
class Profile;
struct FileInfo;

// The main view's control of playback: which back end plays the playlist's current entry,
// opening it, play, pause, stop and seek, the end of a track and the step to the next one under
// shuffle, repeat and favourites, A-B repeat, the resume position, open errors, and the monitor
// that follows the playing track.
//
// Every operation takes the track lock (recursive), so the monitor on its worker thread and the
// commands on the UI thread never change a track at the same time.
class PlaybackController {
public:
    // Messages the controller handles or posts.
    static constexpr uint32_t kMediaPlayerNotice = 0x3E99; // wParam 1 duration known, 2 ended
    static constexpr uint32_t kRestartProgram = 0x5F9;
    static constexpr uint32_t kRestartDecoder = 0x5FA;
    // "RepeatType": none, the current track, the whole list.
    static constexpr int kRepeatNone = 0;
    static constexpr int kRepeatOne = 1;
    static constexpr int kRepeatAll = 2;
    // Library open modes: the normal one and the flag for exact MPEG length.
    static constexpr unsigned kOpenMode = 0x80151;
    static constexpr unsigned kExactLength = 0x20000;
    // Fixed durations: a media player file of unknown length, a stream.
    static constexpr int32_t kUnknownDurationMs = 600000;
    static constexpr int32_t kStreamDurationMs = 5940000;

    enum class Mode { None, Library, Engine, Stream, MediaPlayer };

    // The back ends must outlive the controller (or be replaced by SetBackends); `media` null
    // means there is no media player control.
    PlaybackController(Profile& profile, Playlist& playlist, PlaybackSink& sink, PlaybackUi& ui,
                       LibraryBackend& library, EngineBackend& engine,
                       MediaPlayerBackend* media = nullptr);
    PlaybackController(const PlaybackController&) = delete;
    PlaybackController& operator=(const PlaybackController&) = delete;

    // After an audio restart: the new library and engine.
    void SetBackends(LibraryBackend& library, EngineBackend& engine);

    // Opens the playlist's current entry. Without `keepList` and with a single entry the playlist
    // is emptied first (a file opened on its own).
    bool OpenCurrent(bool keepList);
    void Play(bool focus = false);
    void Pause(bool focus = false);
    void Stop(bool focus = false, bool keepPower = false);
    // Moves by `step` (+1, -1) and opens the new entry, playing it when the user wants play.
    // True when the open succeeded.
    bool StepTrack(int step, bool updateNumber);
    // Back to 0 in the current track.
    void RestartCurrent();
    // Previous restarts the track after its first 4 seconds, else steps back.
    void PreviousTrack();
    void NextTrack();
    void EndOfTrack();

    // The menu's Play, Pause and Stop: they follow the buttons and set or clear user-wants-play.
    void PlayCommand();
    void PauseCommand();
    void StopCommand();
    // The repeat button: the popup with several entries, else a toggle of "Repeat".
    void RepeatCommand();
    // One of the popup's choices (kRepeatNone, kRepeatOne, kRepeatAll); others change nothing.
    void RepeatChoice(int repeatType);
    void ShuffleCommand();

    // WM_PLAYER_STATUS and the media player's notice; false for any other message.
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // The monitor (worker 5); in stream mode it runs the stream monitor. A call while the
    // previous run is still busy returns at once.
    void RunMonitor();
    void RunStreamMonitor();

    // Seeks the loaded track and moves the slider and the display there.
    void SeekTo(int32_t ms);
    // The seek slider (100 ms units) being dragged, and let go.
    void SeekSliderMoving(int value);
    void SeekSliderReleased(int value);
    // Rewind and fast forward by "SeekInterval" or to the previous / next lyric line; false when
    // not allowed now.
    bool Rewind();
    bool FastForward();
    // The A-B marks of the seek slider (100 ms units): how many are set, and A and B.
    void SetSectionMarks(int count, int a, int b);

    // The view's volume step (0 .. "VolumeRange"), kept for ApplyVolume; read from the settings
    // at construction.
    void SetVolume(int32_t volume, int32_t range);
    // The volume rule for the current mode and settings.
    void ApplyVolume();
    // The playback speed factor, applied to a playing library channel at once.
    void SetSpeed(double speed);
    // One step of 0.05 up (+1) or down (-1) within 0.6 .. 1.4; only with the library decoder.
    bool SpeedStep(int direction);
    double Speed() const { return m_speed; }
    // The library channel's frequency now and a new one heard at once (the speed dialog's
    // preview), and the track's own rate the speed multiplies; 0 and nothing without a library
    // channel.
    int ChannelFrequency();
    void SetChannelFrequency(int hz);
    int BaseFrequency();

    void SetUserWantsPlay(bool on) { m_userWantsPlay = on; }
    bool UserWantsPlay() const { return m_userWantsPlay; }
    // Set once the decoder has been restarted in this run.
    void SetDecoderRestarted(bool on) { m_decoderRestarted = on; }
    // The lyrics' sync offset in half seconds.
    void SetLyricsSync(int sync) { m_lyricsSync = sync; }
    int LyricsSync() const { return m_lyricsSync; }
    // Loads the loaded track's lyrics again (new ones were written beside it); a station has none.
    void ReloadLyrics();
    // The longest the library may take to open a file before the open fails.
    void SetOpenTimeout(std::chrono::milliseconds timeout) { m_openTimeout = timeout; }
    // Before the library closes: stops and closes the library stream.
    void CloseLibraryStream();
    // The run-time library is opening a file: the window handles events meanwhile, and only
    // CancelOpen may be called (the open then fails without a message).
    bool Opening() const { return m_opening; }
    void CancelOpen() { m_cancelOpen = true; }

    bool IsPlaying() const { return m_playing; }
    bool IsPaused() const { return m_paused; }
    bool IsSeeking() const { return m_seeking; }
    // A source is loaded in a back end.
    bool IsLoaded() const { return m_loaded; }
    bool OpenError() const { return m_openError; }
    Mode CurrentMode() const { return m_mode; }
    bool StreamMode() const { return m_mode == Mode::Stream; }
    bool MediaPlayerMode() const { return m_mode == Mode::MediaPlayer; }
    bool ButtonShown(PlaybackSink::Button button) const;
    int32_t PositionMs() const { return m_positionMs; }
    // Where the back end plays now (PositionMs is the monitor's last reading, a little behind).
    int32_t LivePositionMs();
    int PositionSeconds() const { return m_positionMs / 1000; }
    int32_t DurationMs() const { return m_durationMs; }
    int LibraryChannel() const { return m_channel; }
    const LyricsData& Lyrics() const { return m_lyrics; }
    int LyricKey() const { return m_lyricKey; }
    std::recursive_mutex& TrackLock() { return m_trackLock; }

private:
    bool OpenLocal(FileInfo& entry);
    bool OpenLocalSteps(FileInfo& entry, bool& noted);
    bool OpenStream(FileInfo& entry);
    bool OpenMediaPlayer(FileInfo& entry);
    bool OpenEngineOnly(FileInfo& entry);
    bool FailOpen(const FileInfo& entry);
    void StreamFailed();
    void ResetForOpen();
    void SetDuration(int32_t ms);
    // A length that was estimated too short grows while the track plays: the view follows it.
    void FollowLength();
    void SetPlayTime(FileInfo& entry, const std::u16string& text);
    // Title, artist and album for an entry without them: from the library's open stream, or
    // from the engine's tag reader for files the library does not open.
    void ReadTags(FileInfo& entry);
    void ReadFileTags(FileInfo& entry);
    void StoreTags(FileInfo& entry, const std::u16string& title, const std::u16string& artist,
                   const std::u16string& album);
    bool StartLibraryChannel();
    void LoadLyrics(FileInfo& entry, bool mediaPlayer);
    void ShowButtons(bool play, bool pause, bool stop);
    void BackendSeek(int32_t ms);
    int32_t BackendPosition();
    void UpdatePosition(int32_t ms);
    void MoveSlider(int position);
    bool TrailingSilence();
    void StreamMonitor();
    int LyricTarget(bool forward);
    bool SeekBy(bool forward);
    void Error(const UiText& text);
    int32_t Number(const NumberSetting& value) const;

    Profile& m_profile;
    Playlist& m_playlist;
    PlaybackSink& m_sink;
    PlaybackUi& m_ui;
    LibraryBackend* m_library;
    EngineBackend* m_engine;
    MediaPlayerBackend* m_media;

    std::recursive_mutex m_trackLock;
    std::atomic<bool> m_monitorBusy{false};
    std::atomic<bool> m_streamMonitorBusy{false};

    Mode m_mode = Mode::None;
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_seeking{false};
    std::atomic<bool> m_opening{false};
    std::atomic<bool> m_cancelOpen{false};
    bool m_openCancelled = false;
    bool m_streamPlayed = false; // the open station has played
    bool m_opened = false;       // started by Play since the last stop
    bool m_loaded = false;
    bool m_readyToPlay = true;
    bool m_userWantsPlay = false;
    bool m_openError = false;
    bool m_decoderRestarted = false;
    bool m_playShown = true;
    bool m_pauseShown = false;
    bool m_stopShown = false;

    int32_t m_durationMs = 0;
    bool m_lengthGrew = false; // the open's length was an estimate, too short
    std::u16string m_panelRate;
    std::atomic<int32_t> m_positionMs{0};
    int m_sliderPos = 0;
    int m_markCount = 0;
    int m_markA = 0;
    int m_markB = 0;
    int m_silentReadings = 0;

    int m_channel = -1;
    int m_baseFrequency = 0;
    std::atomic<double> m_speed{1.0}; // also read by the tick
    int32_t m_volume = 0;
    int32_t m_volumeRange = 100;
    int32_t m_savedRepeatType = 0;

    LyricsData m_lyrics;
    int m_lyricKey = -1;
    int m_lyricSung = -1; // how much of the line's words were sung when it was last shown
    std::atomic<int> m_lyricsSync{0}; // set on the UI thread, read by the monitor
    std::chrono::milliseconds m_openTimeout{180000};
};
