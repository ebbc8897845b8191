#pragma once

#include "app/ViewUi.h"
#include "input/KeyDispatcher.h"
#include "input/KeyMap.h"
#include "platform/Profile.h"
#include "playback/FmodBackend.h"
#include "playback/FmodView.h"
#include "playback/TickJobs.h"
#include "skin/LevelSource.h"
#include "skin/MuteVolume.h"
#include "skin/SkinManager.h"
#include "ui/WindowMessage.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class MainViewLayout;
class FmodLibraryBackend;
class FmodTagSource;
class MediaOpener;
class PlaybackController;
class PlayerEngineBackend;
class Playlist;

// The skinned main view: the player's controls, the audio back ends, the playlist and the
// playback controller, the key dispatcher. The frame hosts it and hands it commands first. The
// run-time library's mixer calls it once per mixed block (the tick); five worker threads run the
// periodic jobs the tick paces.
class ChildView : public QWidget, public FmodView, public LevelSource, public MuteVolume {
public:
    explicit ChildView(QWidget* parent = nullptr);
    ~ChildView() override;

    // The view's creation: audio start-up, skin and controls, settings, workers. False when the
    // audio could not start (the message has been shown); the frame then fails too.
    bool Create();

    // Command routing: true when the view handled the command. Key function codes (65010 ..
    // 65035) are taken as commands too.
    bool OnCommand(int id);
    // The command line of a second instance.
    void OnCopyData(const std::u16string& commandLine);
    // The frame's WM_ACTIVATE, passed on.
    void OnActivate(bool active, bool minimised);
    // The view's shutdown routine; a second run finds nothing left to stop.
    void Shutdown();

    bool IsHoldOn() const { return m_hold; }
    bool IsPlaying() const;
    void SetExiting() { m_exiting = true; }
    // The command line the program was started with (the start-up continuation reads it).
    void SetStartCommandLine(const std::u16string& line) { m_startLine = line; }
    // Whether a command has something to act on now (the menu greys out the others).
    bool CommandAvailable(int id) const;

    // The view of the running program, while it exists.
    static ChildView* Instance() { return s_instance; }

    // Private messages.
    static constexpr uint32_t kOpenStartupFolder = 0x71;
    static constexpr uint32_t kRunMonitor = 0x5F7;
    static constexpr uint32_t kRestartProgram = 0x5F9;
    static constexpr uint32_t kStartupContinuation = 0x5FB;
    static constexpr uint32_t kRunStreamMonitor = 0x5FC;
    static constexpr uint32_t kOpenFile = 0x803C;
    static constexpr uint32_t kRestorePlaylist = 0x8056;

    // FmodView.
    void* WindowHandle() override { return this; }
    MessageSink* EngineOwner() override { return &m_sink; }
    bool StartVuMeter(const FmodFunctions& fsound) override;
    bool StartSpectrum(const FmodFunctions& fsound) override;
    void StopVuMeter() override {}
    void StopSpectrum() override {}
    void OnTick() override;

    // LevelSource: the display panel's VU meter.
    void StartLevels() override;
    void StopLevels() override;
    bool Levels(float& left, float& right) override;

    // MuteVolume: the mute switch. The wave-out volume is the program's output volume.
    uint32_t WaveOutVolume() override;
    void SetWaveOutVolume(uint32_t volume) override;
    int LibraryVolume() override;
    void SetLibraryVolume(int volume) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    friend class ViewUi;

    // The five workers: 1 LCD scrolling, 2 level meter, 3 display-off check, 4 sleep timers,
    // 5 the monitor.

    bool AudioRunning() const;
    void CreateControls();
    void StartMonitor();
    void StopMonitor();
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    void StartupContinuation();
    void OpenPathLater(const std::u16string& path);
    void PlayDemoOnFirstStart();
    void RunKeyFunction(uint32_t functionCode);
    void StepVolume(bool up);
    void ApplyVolume(int32_t volume);
    void MarkSection();
    void SpeakTime();
    void OpenFilesCommand();
    void OpenFolderCommand();
    void OpenUrlCommand();
    void DeleteFileCommand();
    void ToggleFavorite();
    void EnableFavorites();
    void ExitCommand();
    void WriteSettingsAtExit();
    void SaveListsIfChanged();
    void WaitForListWrite();
    void ShowTapMenu(const QPoint& globalPosition);

    static ChildView* s_instance;

    Profile m_profile;
    int m_language = 1033;
    WindowMessageSink m_sink{this};
    ViewUi m_ui;
    std::unique_ptr<FmodBackend> m_audio;
    std::unique_ptr<FmodTagSource> m_tagSource;
    std::unique_ptr<FmodLibraryBackend> m_library;
    std::unique_ptr<PlayerEngineBackend> m_engine;
    std::unique_ptr<Playlist> m_playlist;
    std::unique_ptr<MediaOpener> m_opener;
    std::unique_ptr<PlaybackController> m_controller;
    KeyMap m_keyMap;
    std::unique_ptr<KeyDispatcher> m_dispatcher;
    TickJobs m_tickJobs;

    SkinManager m_background;
    // The controls; children of the view, which deletes them.
    std::unique_ptr<MainViewLayout> m_layout;
    // Once a second: the playlist files and the resume values, when they changed. The files are
    // written on a thread of their own.
    QTimer m_listSaver;
    std::future<void> m_listWrite;

    std::thread m_monitorThread;
    std::mutex m_monitorLock;
    std::condition_variable m_monitorWake;
    bool m_monitorDue = false;              // under m_monitorLock
    std::atomic<bool> m_stopMonitor{false}; // set under m_monitorLock
    std::atomic<bool> m_ticking{false};     // the view is complete: the tick may use it

    std::u16string m_startLine;
    std::u16string m_pendingPath; // the file of the next kOpenFile
    uint32_t m_outputVolume = 0xFFFFFFFF;
    int32_t m_volumeRange = 100;
    int32_t m_volumeStep = 50;
    bool m_created = false;
    bool m_shutDown = false;
    bool m_deleting = false;
    std::atomic<bool> m_hold{false};
    std::atomic<bool> m_exiting{false};
    std::atomic<bool> m_active{true};
    std::atomic<bool> m_displayOn{true};
    std::atomic<bool> m_syncedLyrics{false}; // the open track has timed lyrics (read by the tick)
};
