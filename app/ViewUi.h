#pragma once

#include "input/KeyDispatcher.h"
#include "playback/PlaybackUi.h"
#include "playlist/PlaylistHost.h"

#include <QObject>

#include <functional>
#include <map>

class ChildView;

// The main view as the playback controller, the playlist and the key dispatcher see it. Calls
// from other threads (the monitor runs on a worker) are handed to the UI thread.
class ViewUi : public QObject, public PlaybackUi, public PlaylistHost, public KeyDispatcher::Host {
public:
    explicit ViewUi(ChildView& view);

    // PlaybackUi and PlaylistHost.
    bool Korean() const override;
    bool Muted() const override;
    void MessageBox(const std::u16string& text, const std::u16string& title) override;
    bool MessageBox(const UiText& text, const UiText& caption, Box box) override;
    void ShowTitle(const FileInfo& entry) override;
    void ShowTitle(const std::u16string& text) override;
    void ShowStatus(const std::u16string& text, int durationMs) override;
    void SetPanelTime(int seconds) override;
    void SetPanelTotal(int seconds) override;
    void SetPanelFormat(const std::u16string& rate, const std::u16string& bitrate) override;
    void SetTrackNumber(int number) override;
    void ShowTrackNumber(int number) override { SetTrackNumber(number); }
    void SetPanelState(PanelState state) override;
    void ShowSeekSlider(bool show) override;
    void SetSeekRange(int maximum) override;
    void SetSeekPos(int position) override;
    void ShowButton(Button button, bool show) override;
    void FocusButton(Button button) override;
    void SetSpectrum(Spectrum action) override;
    void LyricsLoaded() override;
    void ShowLyric(const LyricsData::Lookup& line) override;
    void ShowBubble(const std::u16string& title, const std::u16string& html, int seconds) override;
    void RemoveBubble() override;
    void BeginWait() override;
    void EndWait() override;
    void PostToView(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void CurrentEntryChanged(const FileInfo& entry) override;
    void SpeedApplied(double speed) override;
    void HoldBacklight(bool hold) override;
    void SetWaveOutVolume(uint32_t volume) override;
    int RepeatPopup(int repeatType) override;

    // PlaylistHost: the playback controller.
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

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    // Runs `work` on the UI thread: at once there, else queued.
    void OnUi(std::function<void()> work);
    QWidget* ButtonWidget(Button button) const;

    ChildView& m_view;
    int m_totalSeconds = 0;
    int m_elapsedSeconds = 0;
    int m_waits = 0;
    std::map<int, uint32_t> m_timers; // Qt timer id -> the view's timer id
};
