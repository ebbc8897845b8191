#pragma once

#include "app/WindowMessage.h"
#include "platform/Event.h"
#include "platform/Profile.h"
#include "platform/Thread.h"
#include "playback/FmodBackend.h"
#include "playback/FmodView.h"
#include "skin/LevelSource.h"
#include "skin/MuteVolume.h"
#include "skin/SkinManager.h"

#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

class CDisplayLCD;
class CDisplayPanel;
class CImageSlideBar;
class CToggleButton;
class CVirtualButton;

// The skinned main view: the player's controls, the audio back ends and everything that plays.
// The frame hosts it and hands it commands first. The run-time library's mixer calls it once per
// mixed block (the tick); five worker threads run the periodic jobs the tick paces.
class CChildView : public QWidget, public FmodView, public LevelSource, public MuteVolume {
public:
    explicit CChildView(QWidget* parent = nullptr);
    ~CChildView() override;

    // The view's creation: audio start-up, skin and controls, settings, workers. False when the
    // audio could not start (the message has been shown); the frame then fails too.
    bool Create();

    // Command routing: true when the view handled the command.
    bool OnCommand(int id);
    // The command line of a second instance (or of this one at start-up).
    void OnCopyData(const std::u16string& commandLine);
    // The frame's WM_ACTIVATE, passed on.
    void OnActivate(bool active, bool minimised);
    // The view's shutdown routine; a second run finds nothing left to stop.
    void Shutdown();

    bool IsHoldOn() const { return m_hold; }
    bool IsPlaying() const { return m_playing; }
    void SetExiting() { m_exiting = true; }
    // The command line the program was started with (the start-up continuation reads it).
    void SetStartCommandLine(const std::u16string& line) { m_startLine = line; }

    // The view of the running program, while it exists.
    static CChildView* Instance() { return s_instance; }

    // Command ids and private messages of the view.
    static constexpr int kSeekSliderId = 1110;
    static constexpr int kVolumeSliderId = 1120;
    static constexpr uint32_t kStartupContinuation = 0x5FB;

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

    // MuteVolume: the mute switch.
    uint32_t WaveOutVolume() override;
    void SetWaveOutVolume(uint32_t volume) override;
    int LibraryVolume() override;
    void SetLibraryVolume(int volume) override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    // The five workers: 1 LCD scrolling, 2 level meter, 3 display-off check, 4 sleep timers,
    // 5 the monitor.
    static constexpr int kWorkers = 5;

    void CreateControls();
    void ShowButtonPair(int buttonMode);
    void StartWorkers();
    void StopWorkers();
    void RunWorkerJob(int worker);
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    static CChildView* s_instance;

    Profile m_profile;
    int m_language = 1033;
    WindowMessageSink m_sink{this};
    std::unique_ptr<CFmodBackend> m_audio;

    CSkinManager m_background;
    CDisplayLCD* m_lcd = nullptr;
    CDisplayPanel* m_panel = nullptr;
    CImageSlideBar* m_seek = nullptr;
    CImageSlideBar* m_volume = nullptr;
    std::map<int, CVirtualButton*> m_buttons; // by command id

    std::array<Thread, kWorkers> m_workers;
    std::array<std::unique_ptr<Event>, kWorkers> m_workerEvents;
    std::atomic<bool> m_stopWorkers{false};
    std::array<uint16_t, kWorkers> m_tickCounts{};

    std::u16string m_startLine;
    bool m_created = false;
    bool m_shutDown = false;
    std::atomic<bool> m_hold{false};
    std::atomic<bool> m_playing{false};
    std::atomic<bool> m_exiting{false};
    std::atomic<bool> m_active{true};
    std::atomic<bool> m_displayOn{true};
};
