#pragma once

#include "app/MainMenu.h"
#include "options/OptionSheet.h"
#include "platform/Profile.h"
#include "session/PlayerObserver.h"
#include "session/PlayerSession.h"
#include "session/PlayerState.h"
#include "session/SessionUi.h"
#include "skin/LevelSource.h"
#include "skin/MuteVolume.h"
#include "skin/SkinManager.h"
#include "ui/WindowMessage.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

class LyricsListPage;
class PlaylistDialog;
class GlobalShortcuts;
class MprisService;
class PowerService;
class MainViewLayout;
class QDialog;

// The skinned main view: it turns clicks, keys and the skinned controls' messages into the
// player session's commands and draws the session's state. It also does for the session what
// needs a window (boxes, choosers, timers, the wait cursor) and runs the periodic work of the
// display on timers.
class ChildView : public QWidget,
                  public SessionUi,
                  public PlayerObserver,
                  public LevelSource,
                  public MuteVolume {
    Q_OBJECT

public:
    explicit ChildView(QWidget* parent = nullptr);
    ~ChildView() override;

    // Audio start-up, skin and controls, settings. False when the audio could not start (the
    // message has been shown); the frame then fails too.
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

    bool IsHoldOn() const { return m_session.IsHoldOn(); }
    bool IsPlaying() const { return m_session.IsPlaying(); }
    void SetExiting() { m_exiting = true; }
    // The command line the program was started with (the start-up continuation reads it).
    void SetStartCommandLine(const std::u16string& line) { m_startLine = line; }
    // Whether a command has something to act on now (the menu greys out the others).
    bool CommandAvailable(int id) const;
    // What the menus' marked items show, from the session's state.
    MainMenu::State MenuState() const;
    // False while the session opens a file; the open is cancelled then.
    bool ReadyToClose();

    // The pages the options sheet can show, by their mask bit; each page is named (objectName)
    // for the gallery's pictures.
    OptionSheet::PageMakers OptionPages();
    // The session under the view (the window tests and the gallery reach the dialogs' values).
    PlayerSession& Session() { return m_session; }

    // SessionUi.
    void MessageBox(const UiText& text, const UiText& title) override;
    void ShowBubble(const UiText& title, const UiText& html, int seconds) override;
    void RemoveBubble() override;
    void BeginWait() override;
    void EndWait() override;
    void WaitStep() override;
    int RepeatPopup(int repeatType) override;
    bool Ask(const UiText& text, const UiText& caption) override;
    bool MoveToTrash(const std::u16string& path) override;
    std::vector<std::u16string> ChooseFiles(const std::u16string& folder) override;
    std::optional<std::u16string> AskAddress() override;
    void StartTimer(uint32_t id, uint32_t intervalMs) override;
    void StopTimer(uint32_t id) override;
    void Window(WindowAction action) override;
    bool ShowOptions(uint32_t pageMask) override;
    bool ShowSoundEffects() override;
    void ShowPlaylist() override;
    std::string Resource(const std::string& name) override;
    bool ShowSleepTimer() override;
    std::optional<double> ShowPlaybackSpeed() override;
    bool ShowCpuProfile() override;
    bool ShowFavorites() override;
    void ShowLyricsDownload(const std::vector<FileInfo>& entries) override;

    // PlayerObserver.
    void StateChanged() override;
    void StatusShown(const UiText& text, int durationMs) override;
    void FocusRequested(Control control) override;
    void MuteToggleRequested() override;

    // LevelSource: the display panel's VU meter.
    void StartLevels() override { m_session.StartLevels(); }
    void StopLevels() override { m_session.StopLevels(); }
    bool Levels(float& left, float& right) override { return m_session.Levels(left, right); }

    // MuteVolume: the mute switch.
    uint32_t WaveOutVolume() override { return m_session.OutputVolume(); }
    void SetWaveOutVolume(uint32_t volume) override;
    int LibraryVolume() override { return m_session.ChannelVolume(); }
    void SetLibraryVolume(int volume) override { m_session.SetChannelVolume(volume); }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    bool HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Runs `work` on the UI thread: at once there, else queued.
    void OnUi(std::function<void()> work);
    // Draws what changed in the session's state since the last time.
    void Render();
    void ShowTrayIcon();
    void RunTimers();
    void RunMeterFeed();
    void TakeMeterBlocks();
    void ShowControls();
    void ShowPanelState(PlayerState::PanelState state);
    QWidget* ControlWidget(Control control) const;
    void ShowTapMenu(const QPoint& globalPosition);
    // The options pages the view hosts until the options sheet does.
    void ShowLyricsList();
    // After OK on the sheet: the view takes what the pages wrote.
    void ApplyOptions();
    // The Preferences page's values the view shows.
    void ApplyPreferences();
    // Called by ApplyOptions: the font slots and the UI language take effect.
    void ApplyFontsAndLanguage();
    // A new "SkinFile": the skin is loaded again and the skinned controls rebuilt from it, in
    // the state they showed.
    void ApplySkin();
    // The speed button's "on" state for a speed factor.
    void ShowSpeedButton(double speed);
    // New lyrics refill the open lyrics list; a new line is highlighted there.
    void ForwardToLyricsList(const PlayerState& state, const PlayerState& was);
    void ForwardToPlaylist(const PlayerState& state, const PlayerState& was);

    Profile m_profile;
    WindowMessageSink m_sink{this};
    // The player on the session bus; it hears the session, so it goes after it.
    std::unique_ptr<MprisService> m_mpris;
    std::unique_ptr<GlobalShortcuts> m_shortcuts;
    // Keeping awake, the screen, suspend and wake-up.
    std::unique_ptr<PowerService> m_power;
    bool m_meterShownBeforeOff = true;
    PlayerSession m_session;
    SkinManager m_background;
    // The controls; children of the view, which deletes them.
    std::unique_ptr<MainViewLayout> m_layout;

    // The last state drawn, and whether a drawing is queued.
    PlayerState m_shown;
    bool m_firstRender = true;
    std::atomic<bool> m_renderQueued{false};

    // The display's periodic work: the LCD's scroll, the level meter and the mute switch's
    // animation, at the rates of the audio clock; the lists' saver.
    QTimer m_lcdTimer;
    QTimer m_meterTimer;
    QTimer m_listSaver;
    QTimer m_meterFeedTimer;
    std::map<int, uint32_t> m_timers; // Qt timer id -> the session's timer id

    std::u16string m_startLine;
    std::u16string m_skinFile; // the skin the controls were built from
    int m_waits = 0;
    bool m_created = false;
    bool m_shutDown = false;
    bool m_active = true;
    bool m_lyricsShown = true;  // "UseLyricsDisplay"
    bool m_stopSpectrum = true; // "StopSpectrum": the meters stop while in the background
    std::atomic<bool> m_exiting{false};
    // The lyrics list's window while it is open.
    QPointer<QDialog> m_lyricsDialog;
    QPointer<LyricsListPage> m_lyricsPage;
    QPointer<PlaylistDialog> m_playlistDialog;
    // The address the Open URL page handed on with OK.
    std::optional<std::u16string> m_chosenAddress;
};
