#include "app/ChildView.h"

#include "app/GlobalShortcuts.h"
#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/MprisService.h"
#include "app/PowerService.h"
#include "app/SonvaleApp.h"
#include "effects/ui/SoundEffectsSheet.h"
#include "input/Command.h"
#include "input/ui/KeyMapPage.h"
#include "lyrics/ui/LyricsDownloadDialog.h"
#include "lyrics/ui/LyricsListPage.h"
#include "options/AboutPage.h"
#include "options/CpuProfileDialog.h"
#include "options/CpuUsagePage.h"
#include "options/DecoderPage.h"
#include "options/FileAssocPage.h"
#include "options/FontPage.h"
#include "options/GeneralPage.h"
#include "options/OptionSheet.h"
#include "options/PlaybackSpeedDialog.h"
#include "options/SleepTimerDialog.h"
#include "options/StreamingPage.h"
#include "platform/Registry.h"
#include "platform/SystemLocale.h"
#include "playback/FmodAudioSystem.h"
#include "playlist/ui/FavoritesDialog.h"
#include "playlist/ui/OpenFolderPage.h"
#include "playlist/ui/OpenUrlPage.h"
#include "playlist/ui/PlaylistDialog.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/ControlStyles.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageSlideBar.h"
#include "skin/MainViewLayout.h"
#include "skin/MeterWindow.h"
#include "skin/MuteSwitch.h"
#include "skin/ToggleButton.h"
#include "skin/VirtualButton.h"
#include "skin/VirtualKey.h"
#include "skin/ui/SkinPage.h"
#include "skin/ui/VisualizationPage.h"
#include "ui/FileFilter.h"
#include "ui/Translated.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QTimerEvent>

#include <algorithm>
#include <utility>

using namespace setting;

namespace {

// The play-status rows of the display panel's indicator.
constexpr int kPanelStop = 0;
constexpr int kPanelPlay = 1;
constexpr int kPanelPause = 2;

// The main view's background picture.
constexpr SkinManager::ElementName kBackground{u"Main", u"Main", 130};

// The ticks of the audio clock per LCD scroll step and per level-meter step.
constexpr int kLcdScrollTicks = 17;
constexpr int kLevelMeterTicks = 32;

constexpr Command kButtonCommands[] = {Command::Play, Command::Pause, Command::Stop,
                                       Command::Previous, Command::Next};

// The skinned controls by their control ids (the buttons by their commands').
std::map<int, QWidget*> SkinnedControls(const MainViewLayout& layout) {
    static constexpr int kLcdId = 1140;
    static constexpr int kPanelId = 1130;
    static constexpr int kMeterId = 1160;
    std::map<int, QWidget*> controls(layout.buttons.begin(), layout.buttons.end());
    controls[kLcdId] = layout.lcd;
    controls[kPanelId] = layout.panel;
    controls[DisplayPanel::kMuteSwitchId] = layout.panel->GetMuteSwitch();
    controls[kMeterId] = layout.meter;
    controls[MainViewLayout::kSeekSliderId] = layout.seek;
    controls[MainViewLayout::kVolumeSliderId] = layout.volume;
    return controls;
}

} // namespace

ChildView::ChildView(QWidget* parent)
    : QWidget(parent), m_profile(Registry::Shared(), kRegistryKeyWord, kProfileName),
      m_session(m_profile, *this, m_sink, [this](FmodView& owner) {
          return std::make_unique<FmodAudioSystem>(m_profile, Registry::Shared(), owner);
      }) {
    setFixedSize(480, 536);
    setFocusPolicy(Qt::StrongFocus);
    m_session.AddObserver(*this);
    connect(&m_lcdTimer, &QTimer::timeout, this, [this] {
        m_layout->lcd->ScrollStep();
        RunTimers(); // a status may have gone back to a line that fits
    });
    connect(&m_meterTimer, &QTimer::timeout, this, [this] {
        m_layout->panel->LevelStep();
        m_layout->panel->GetMuteSwitch()->AnimateStep();
    });
    connect(&m_listSaver, &QTimer::timeout, this, [this] { m_session.SaveListsIfChanged(); });
    m_meterFeedTimer.setTimerType(Qt::PreciseTimer);
    m_meterFeedTimer.setSingleShot(true);
    connect(&m_meterFeedTimer, &QTimer::timeout, this, &ChildView::TakeMeterBlocks);
}

ChildView::~ChildView() {
    Shutdown();
    // The displays write their settings when they go, through this view's profile: they go
    // first.
    const QObjectList children = this->children();
    qDeleteAll(children);
}

bool ChildView::Create() {
    // 1. The session with its audio first (the first sound waits for nothing else), then the
    // skin and the controls, whose pictures are decoded on another thread meanwhile. The
    // session's start-up continuation runs from the event loop, once the controls exist.
    SkinManager::LoadSkin(u"", &m_profile);
    std::vector<SkinManager::ElementName> pictures = MainViewLayout::Elements();
    pictures.insert(pictures.begin(), kBackground);
    SkinManager::Prefetch(pictures);
    if (!m_session.Start(m_startLine)) {
        SkinManager::EndPrefetch();
        QMessageBox::critical(this, Translated(m_session.FailureTitle()),
                              Translated(m_session.FailureText()));
        return false;
    }
    if (auto* app = SonvaleApp::Instance())
        app->SetUpAppFont();
    m_background.LoadImage(kBackground.section, kBackground.key, kBackground.id);
    m_layout = std::make_unique<MainViewLayout>(this, m_profile, this, this);
    SkinManager::EndPrefetch();
    m_layout->panel->SetActive(true);
    m_layout->panel->SetQuality("00", "000");
    m_layout->meter->OnStateChanged([this] {
        if (m_created && !m_shutDown) {
            ShowControls();
            RunMeterFeed();
        }
    });
    m_lyricsShown = Settings::Get(m_profile, kUseLyricsDisplay) == 1;
    auto shown = [this](Command command) {
        const QWidget* button = m_layout->Button(CommandId(command));
        return button && !button->isHidden();
    };
    m_session.SetSkinControls(shown(Command::OpenFiles), shown(Command::Exit),
                              m_layout->seek->SelectionEnabled());
    m_layout->panel->SetVUMeter(Settings::Get(m_profile, kVUMeter) != 0); // starts the levels
    m_layout->volume->SetRange(0, m_session.State().volumeRange, 1);
    Render();
    // The desktop's services (each talks to a bus) come after the audio has started.
    m_mpris = std::make_unique<MprisService>(m_session, [this] { Window(WindowAction::Restore); });
    m_shortcuts = std::make_unique<GlobalShortcuts>(m_session, this);
    // A wake-up reaches the player as the command line "AppRunAfterWakeup".
    m_power =
        std::make_unique<PowerService>(m_session, [this] { OnCopyData(u"AppRunAfterWakeup"); });
    m_session.SetPowerControl(m_power.get());
    m_mpris->Register();

    // 2. The media keys and the periodic work. The tray icon waits until the start-up has opened
    // its track (ShowTrayIcon).
    if (auto* app = SonvaleApp::Instance())
        app->SetMediaKeyTarget(this);
    if (auto* frame = MainFrame::Instance())
        frame->Bubble().Remove();
    const int tickMs = m_session.TickMs();
    m_lcdTimer.setInterval(kLcdScrollTicks * tickMs);
    m_meterTimer.setInterval(kLevelMeterTicks * tickMs);
    m_listSaver.start(PlayerSession::kListSaveMs);
    ApplyOptions();
    RunTimers();
    m_created = true;
    qApp->installEventFilter(this); // taps for the sleep timers
    RunMeterFeed();
    return true;
}

// The tray icon waits until the start-up has opened its track: the start-up continuation has
// just posted that open, and this runs after it.
void ChildView::ShowTrayIcon() {
    if (!m_created || m_shutDown)
        return;
    if (auto* frame = MainFrame::Instance())
        frame->SetTrayIcon(true);
}

bool ChildView::OnCommand(int id) {
    const std::optional<Command> command = CommandFromId(id);
    const bool handled = command && !m_shutDown && m_session.Run(*command);
    // The speed button flips its mark on a click; the mark shows the factor whatever came of it.
    if (command == Command::PlaybackSpeed && m_created && !m_shutDown)
        ShowSpeedButton(m_session.State().speed);
    return handled;
}

bool ChildView::CommandAvailable(int id) const {
    const std::optional<Command> command = CommandFromId(id);
    return command && m_session.Available(*command);
}

MainMenu::State ChildView::MenuState() const {
    const PlayerState state = m_session.State();
    MainMenu::State shown;
    shown.buttonMode = state.buttonMode;
    shown.favoritesEnabled = state.favoritesEnabled;
    shown.currentFavorite = state.currentFavorite;
    shown.alwaysOnTop = state.alwaysOnTop;
    shown.keepLyricsSync = state.keepLyricsSync;
    shown.lyricsSync = state.lyricsSync;
    shown.syncedLyrics = state.syncedLyrics;
    return shown;
}

void ChildView::OnCopyData(const std::u16string& commandLine) {
    m_session.OpenCommandLine(commandLine);
}

void ChildView::OnActivate(bool active, bool minimised) {
    if (m_exiting || !m_created)
        return;
    m_active = active && !minimised;
    m_layout->panel->SetActive(m_active);
    m_layout->meter->SetActive(m_active || !m_stopSpectrum);
    m_session.Activate(m_active);
    RunTimers();
    RunMeterFeed();
}

void ChildView::Shutdown() {
    if (!m_created || m_shutDown)
        return;
    m_shutDown = true;
    if (auto* app = SonvaleApp::Instance())
        app->SetMediaKeyTarget(nullptr);
    m_lcdTimer.stop();
    m_meterTimer.stop();
    m_listSaver.stop();
    m_meterFeedTimer.stop();
    m_session.SetMeterHooks(false);
    m_mpris->Unregister();
    m_shortcuts->Stop();
    m_power->Stop();
    m_layout->lcd->SetClosing(true);
    m_layout->panel->SetClosing(true);
    m_session.Shutdown();
    if (auto* frame = MainFrame::Instance())
        frame->SetTrayIcon(false);
}

// ---- Messages and input

// A tap anywhere in the player's windows, and a key in its dialogs (the sound effects sheet),
// is input for the sleep timers.
bool ChildView::eventFilter(QObject* watched, QEvent* event) {
    if (!m_created || !watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    const bool tap = event->type() == QEvent::MouseButtonPress;
    const bool key =
        event->type() == QEvent::KeyPress && static_cast<QWidget*>(watched)->window() != window();
    if (tap || key)
        m_session.NoteInput();
    return QWidget::eventFilter(watched, event);
}

bool ChildView::event(QEvent* event) {
    if (const auto* message = WindowMessageEvent::From(event))
        return HandleMessage(message->message, message->wParam, message->lParam);
    return QWidget::event(event);
}

bool ChildView::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!m_created || m_shutDown)
        return true;
    switch (message) {
    case WM_COMMAND:
        OnCommand(LowWord(wParam));
        break;
    case WM_KEYDOWN:
        // A held key's repeats (bit 30: the key was already down) are not new presses.
        if (!(lParam & (intptr_t{1} << 30)))
            m_session.KeyDown(static_cast<uint32_t>(wParam));
        break;
    case WM_HOTKEY:
        m_session.HotKey(HighWord(static_cast<uintptr_t>(lParam)));
        break;
    case WM_SLIDEBAR_NOTIFY:
        if (wParam == MainViewLayout::kSeekSliderId && lParam == SLIDEBAR_MOVED)
            m_session.SeekSliderMoving(m_layout->seek->GetPos());
        else if (wParam == MainViewLayout::kSeekSliderId && lParam == SLIDEBAR_RELEASED)
            m_session.SeekSliderReleased(m_layout->seek->GetPos());
        else if (wParam == MainViewLayout::kVolumeSliderId && lParam == SLIDEBAR_MOVED)
            m_session.SetVolumeStep(m_layout->volume->GetPos());
        break;
    default:
        m_session.HandleMessage(message, wParam, lParam);
        if (message == PlayerSession::kStartupContinuation)
            QMetaObject::invokeMethod(
                this, [this] { ShowTrayIcon(); }, Qt::QueuedConnection);
        break;
    }
    return true;
}

void ChildView::keyPressEvent(QKeyEvent* event) {
    const uint32_t key = VirtualKeyFromQt(*event);
    if (event->isAutoRepeat() && key != 0)
        return; // a held key is one press
    if (key == 0 || !m_created) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_session.KeyDown(key);
}

// The tap menu: the menu bar's commands in one popup, for a right click on the view, or a tap
// on the skin's name strip below the buttons.
void ChildView::ShowTapMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    const QList<QMenu*> popups = MainMenu::CreatePopups(&menu, MainMenu::Kind::TapMenu);
    const MainMenu::State state = MenuState();
    for (QMenu* popup : popups) {
        menu.addMenu(popup);
        for (QAction* action : popup->findChildren<QAction*>())
            if (const int id = MainMenu::CommandId(action))
                action->setEnabled(CommandAvailable(id));
        MainMenu::ShowState(popup, state);
        for (QMenu* inner : popup->findChildren<QMenu*>())
            MainMenu::ShowState(inner, state);
    }
    QAction* chosen = menu.exec(globalPosition);
    if (const int id = chosen ? MainMenu::CommandId(chosen) : 0)
        PostWindowMessage(window(), WM_COMMAND, MakeWParam(static_cast<uint16_t>(id), 0), 0);
}

void ChildView::contextMenuEvent(QContextMenuEvent* event) {
    ShowTapMenu(event->globalPos());
}

void ChildView::mousePressEvent(QMouseEvent* event) {
    static constexpr int kNameStripTop = 510;
    if (event->button() == Qt::LeftButton && event->position().y() >= kNameStripTop)
        ShowTapMenu(event->globalPosition().toPoint());
    else
        QWidget::mousePressEvent(event);
}

void ChildView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    m_background.Draw(painter, 0, 0);
}

// ---- Drawing the state

void ChildView::OnUi(std::function<void()> work) {
    if (QThread::currentThread() == thread()) {
        work();
        return;
    }
    // Work queued from the monitor may arrive after the view shut down: it is dropped then.
    QMetaObject::invokeMethod(
        this,
        [this, work = std::move(work)] {
            if (!m_shutDown)
                work();
        },
        Qt::QueuedConnection);
}

// Changes are drawn together, once per turn of the event loop however many came.
void ChildView::StateChanged() {
    if (m_renderQueued.exchange(true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_renderQueued = false;
            if (m_created && !m_shutDown)
                Render();
        },
        Qt::QueuedConnection);
}

void ChildView::Render() {
    const PlayerState state = m_session.State();
    const PlayerState& was = m_shown;
    const bool all = std::exchange(m_firstRender, false);
    DisplayLCD* lcd = m_layout->lcd;
    DisplayPanel* panel = m_layout->panel;
    ImageSlideBar* seek = m_layout->seek;

    if (all || state.titleSerial != was.titleSerial) {
        if (!state.titleName.empty())
            lcd->SetText(QString::fromStdU16String(state.titleName));
        else if (state.titleSerial != 0)
            lcd->SetTrackInfo(state.titleEntry);
    }
    if (all || state.totalSeconds != was.totalSeconds || state.elapsedSeconds != was.elapsedSeconds)
        panel->SetTime(state.totalSeconds, state.elapsedSeconds);
    if (all || state.rate != was.rate || state.bitrate != was.bitrate)
        panel->SetQuality(QString::fromStdU16String(state.rate),
                          QString::fromStdU16String(state.bitrate));
    if (all || state.trackNumber != was.trackNumber)
        panel->SetTrackNumber(state.trackNumber);
    if (!all && state.panel != was.panel)
        ShowPanelState(state.panel);
    if (all || state.hold != was.hold)
        panel->SetHold(state.hold ? 1 : 0);

    if (state.seekShown >= 0 && (all || state.seekShown != was.seekShown))
        seek->setEnabled(state.seekShown == 1);
    if (all || state.seekMaximum != was.seekMaximum)
        seek->SetRange(0, state.seekMaximum, 10);
    if ((all || state.seekPosition != was.seekPosition) && !seek->IsDragging())
        seek->SetPos(state.seekPosition);
    if (all || state.markCount != was.markCount || state.markA != was.markA ||
        state.markB != was.markB) {
        seek->SetMarks(state.markCount, state.markA, state.markB);
        if (auto* mark =
                static_cast<ToggleButton*>(m_layout->Button(CommandId(Command::MarkSection))))
            mark->SetCheck(state.markCount > 0);
    }

    for (size_t i = 0; i < state.buttons.size(); ++i) {
        QWidget* button = m_layout->Button(CommandId(kButtonCommands[i]));
        if (button && state.buttons[i] >= 0 && (all || state.buttons[i] != was.buttons[i]))
            button->setEnabled(true);
    }
    if (all || state.shuffle != was.shuffle)
        if (auto* shuffle =
                static_cast<ToggleButton*>(m_layout->Button(CommandId(Command::Shuffle))))
            shuffle->SetCheck(state.shuffle);
    if (all || state.repeat != was.repeat)
        if (auto* repeat = static_cast<ToggleButton*>(m_layout->Button(CommandId(Command::Repeat))))
            repeat->SetCheck(state.repeat);
    if (all || state.speed != was.speed)
        ShowSpeedButton(state.speed);

    if (all || state.volume != was.volume || state.volumeRange != was.volumeRange) {
        m_layout->volume->SetRange(0, state.volumeRange, 1);
        m_layout->volume->SetPos(state.volume);
    }
    // The meter window follows what plays; a stop or a new track wipes it.
    if (all || state.spectrum != was.spectrum)
        m_layout->meter->SetPlaying(state.spectrum == PlayerState::Spectrum::On,
                                    state.spectrum != PlayerState::Spectrum::On);
    // While the screen is off the meter window stops and hides.
    if (!all && state.metersOff != was.metersOff) {
        if (state.metersOff)
            m_meterShownBeforeOff = m_layout->meter->isVisibleTo(this);
        m_layout->meter->setVisible(!state.metersOff && m_meterShownBeforeOff);
        m_layout->meter->SetActive(!state.metersOff && (m_active || !m_stopSpectrum));
    }
    // The lyrics boards of the meter window: the current and the next line; a new track (key
    // -1) wipes them.
    m_layout->meter->SetLyricsHeld(state.syncedLyrics);
    if (all || state.lyricSerial != was.lyricSerial) {
        if (state.lyric.key < 0 || !m_lyricsShown)
            m_layout->meter->SetLyrics({}, {});
        else
            m_layout->meter->SetLyrics(QString::fromStdU16String(state.lyric.first),
                                       QString::fromStdU16String(state.lyric.second),
                                       state.lyric.sung);
    }

    QWidget* top = window();
    const bool onTop = top->windowFlags() & Qt::WindowStaysOnTopHint;
    if (!all && state.alwaysOnTop != was.alwaysOnTop && state.alwaysOnTop != onTop) {
        top->setWindowFlag(Qt::WindowStaysOnTopHint, state.alwaysOnTop);
        top->show();
    }

    ForwardToLyricsList(state, was);
    ForwardToPlaylist(state, was);
    m_shown = state;
    ShowControls();
    RunTimers();
    RunMeterFeed();
}

// The library's spectrum and the feed run while the meter window wants its blocks; a timer takes
// them as they are heard.
void ChildView::RunMeterFeed() {
    if (!m_created || m_shutDown)
        return;
    MeterWindow* meter = m_layout->meter;
    const bool want = meter->WantsBlocks();
    m_session.SetMeterHooks(want); // also starts the feed again after the audio restarted
    if (want && !m_meterFeedTimer.isActive()) {
        const MeterFeed& feed = m_session.Meter();
        if (feed.BlockFrames() > 0)
            meter->SetMixFrames(feed.BlockFrames(), feed.TotalFrames());
        m_meterFeedTimer.start(m_session.TickMs());
    } else if (!want) {
        m_meterFeedTimer.stop();
    }
}

void ChildView::TakeMeterBlocks() {
    MeterWindow* meter = m_layout->meter;
    m_session.Meter().TakeDue(MeterFeed::NowMs(), [meter](const MeterFeed::Block& block) {
        meter->Feed(block.hasSpectrum ? block.bands.data() : nullptr, MeterFeed::kBands,
                    block.mono.data(), block.frames);
    });
    meter->FlushDrawing();
    if (!meter->WantsBlocks()) {
        RunMeterFeed();
        return;
    }
    // Back when the block of the next drawing is heard; the blocks before it wait until then.
    // Before the mixer has made that block, half a block later.
    const int64_t now = MeterFeed::NowMs();
    const std::optional<int64_t> due = m_session.Meter().DueOf(meter->BlocksToDrawing() - 1);
    m_meterFeedTimer.start(due ? static_cast<int>(std::clamp<int64_t>(*due - now, 1, 1000))
                               : std::max(m_session.TickMs() / 2, 1));
}

// The display panel's play, pause or stop picture and its animation.
void ChildView::ShowPanelState(PlayerState::PanelState state) {
    DisplayPanel* panel = m_layout->panel;
    switch (state) {
    case PlayerState::PanelState::Play:
        panel->SetPlayState(kPanelPlay);
        panel->SetPlaying(true);
        break;
    case PlayerState::PanelState::Pause:
        panel->SetPlayState(kPanelPause);
        panel->SetPaused(true);
        break;
    case PlayerState::PanelState::Stop:
        panel->SetPlayState(kPanelStop);
        panel->SetStopped(true);
        break;
    }
}

// The controls as the state shows them, less what a large lyrics board covers.
void ChildView::ShowControls() {
    const MeterWindow::Covers covers = m_layout->meter->Covered();
    const bool transport = covers != MeterWindow::Covers::TogglesAndTransport;
    const bool toggles = covers == MeterWindow::Covers::Nothing;
    auto show = [this](Command command, bool visible) {
        if (QWidget* control = m_layout->Button(CommandId(command));
            control && control->isVisibleTo(this) != visible)
            control->setVisible(visible);
    };
    for (size_t i = 0; i < m_shown.buttons.size(); ++i)
        show(kButtonCommands[i], transport && m_shown.buttons[i] != 0);
    show(Command::OpenFiles, transport);
    if (m_layout->seek->isVisibleTo(this) != (transport && m_shown.seekShown != 0))
        m_layout->seek->setVisible(transport && m_shown.seekShown != 0);
    const bool shuffleRepeat = m_shown.buttonMode == 1;
    show(Command::Shuffle, toggles && shuffleRepeat);
    show(Command::Repeat, toggles && shuffleRepeat);
    show(Command::PlaybackSpeed, toggles && !shuffleRepeat);
    show(Command::MarkSection, toggles && !shuffleRepeat);
    show(Command::Playlist, toggles);
}

// The LCD takes steps while the window is in front and its line scrolls or a status waits; the
// meter runs while the window is in front and something plays.
void ChildView::RunTimers() {
    if (!m_layout || m_shutDown)
        return;
    auto run = [](QTimer& timer, bool on) {
        if (on && !timer.isActive())
            timer.start();
        else if (!on && timer.isActive())
            timer.stop();
    };
    run(m_lcdTimer, m_active && m_layout->lcd->ScrollsNow());
    run(m_meterTimer, m_active && m_shown.playing);
}

void ChildView::StatusShown(const UiText& text, int durationMs) {
    OnUi([this, text, durationMs] {
        m_layout->lcd->ShowStatus(Translated(text), durationMs);
        RunTimers();
    });
}

QWidget* ChildView::ControlWidget(Control control) const {
    switch (control) {
    case Control::Seek:
        return m_layout->seek;
    case Control::Volume:
        return m_layout->volume;
    default:
        return m_layout->Button(CommandId(kButtonCommands[static_cast<int>(control)]));
    }
}

void ChildView::FocusRequested(Control control) {
    OnUi([this, control] {
        if (QWidget* widget = ControlWidget(control))
            widget->setFocus();
    });
}

void ChildView::MuteToggleRequested() {
    OnUi([this] {
        MuteSwitch* mute = m_layout->panel->GetMuteSwitch();
        mute->SetMute(!mute->IsMuted());
    });
}

void ChildView::SetWaveOutVolume(uint32_t volume) {
    m_session.SetMuted(m_layout && m_layout->panel->GetMuteSwitch()->IsMuted());
    m_session.SetOutputVolume(volume);
}

// ---- SessionUi

void ChildView::MessageBox(const UiText& text, const UiText& title) {
    OnUi([this, text, title] { QMessageBox::critical(this, Translated(title), Translated(text)); });
}

// The questions ask before something that can't be taken back: No is the default.
bool ChildView::Ask(const UiText& text, const UiText& caption) {
    return QMessageBox::question(this, Translated(caption), Translated(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

bool ChildView::MoveToTrash(const std::u16string& path) {
    const QString file = QString::fromStdU16String(path);
    QString inTrash;
    if (!QFile::moveToTrash(file, &inTrash))
        return false;
    if (QDir::isAbsolutePath(inTrash))
        return true;
    // With no trash folder it can make, Qt puts the file below the working folder: that is no
    // trash, so the file goes back where it was and the failure is reported.
    const QDir files = QFileInfo(inTrash).dir();
    const QString info = files.filePath(QStringLiteral("../info"));
    QFile::remove(
        QDir(info).filePath(QFileInfo(inTrash).fileName() + QStringLiteral(".trashinfo")));
    QFile::rename(inTrash, file);
    QDir().rmdir(info); // only when empty
    QDir().rmdir(files.path());
    return false;
}

void ChildView::ShowBubble(const UiText& title, const UiText& html, int seconds) {
    OnUi([title, html, seconds] {
        if (auto* frame = MainFrame::Instance())
            frame->Bubble().Show(Translated(html), Translated(title), seconds);
    });
}

void ChildView::RemoveBubble() {
    OnUi([] {
        if (auto* frame = MainFrame::Instance())
            frame->Bubble().Remove();
    });
}

void ChildView::BeginWait() {
    if (QThread::currentThread() != thread())
        return;
    if (m_waits++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void ChildView::EndWait() {
    if (QThread::currentThread() != thread() || m_waits == 0)
        return;
    if (--m_waits == 0)
        QApplication::restoreOverrideCursor();
}

// The window goes on painting and taking input while the library opens a file.
void ChildView::WaitStep() {
    static constexpr int kStepMs = 10;
    if (QThread::currentThread() != thread()) {
        QThread::msleep(2);
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(kStepMs, &loop, &QEventLoop::quit);
    loop.exec();
}

bool ChildView::ReadyToClose() {
    if (!m_session.Opening())
        return true;
    m_session.Run(Command::Stop); // cancels the open
    return false;
}

int ChildView::RepeatPopup(int repeatType) {
    QMenu menu(this);
    const char* const kItems[] = {QT_TR_NOOP("None"), QT_TR_NOOP("One"), QT_TR_NOOP("All")};
    for (int type = 0; type < 3; ++type) {
        QAction* action = menu.addAction(QCoreApplication::translate("ChildView", kItems[type]));
        action->setData(type);
        action->setCheckable(true);
        action->setChecked(type == repeatType);
    }
    QWidget* button = m_layout->Button(CommandId(Command::Repeat));
    QAction* chosen = menu.exec(button ? button->mapToGlobal(QPoint(0, 0)) : QCursor::pos());
    return chosen ? chosen->data().toInt() : -1;
}

std::vector<std::u16string> ChildView::ChooseFiles(const std::u16string& folder) {
    const QString filter =
        m_session.WmaAvailable()
            ? tr("All supported types|*.mp2;*.mp3;*.ogg;*.wma;*.asf;*.wav;*.wpl|Mpeg Layer2 Audio "
                 "Files (*.mp2)|*.mp2|Mpeg Layer3 Audio Files (*.mp3)|*.mp3|Ogg Vorbis Audio Files "
                 "(*.ogg)|*.ogg|WMA Audio Files (*.wma)|*.wma|ASF Audio Files (.asf)|*.asf|Wave "
                 "Audio Files (*.wav)|*.wav|Playlist Files (*.wpl)|*.wpl|")
            : tr("All supported types|*.mp2;*.mp3;*.ogg;*.wav;*.wpl|Mpeg Layer2 Audio Files "
                 "(*.mp2)|*.mp2|Mpeg Layer3 Audio Files (*.mp3)|*.mp3|Ogg Vorbis Audio Files "
                 "(*.ogg)|*.ogg|Wave Audio Files (*.wav)|*.wav|Playlist Files (*.wpl)|*.wpl|");
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Open Audio Files"), QString::fromStdU16String(folder), DialogFilter(filter));
    std::vector<std::u16string> chosen;
    for (const QString& file : files)
        chosen.push_back(file.toStdU16String());
    return chosen;
}

// The Open URL page in the options sheet; its OK hands the address here.
std::optional<std::u16string> ChildView::AskAddress() {
    m_chosenAddress.reset();
    if (!ShowOptions(OptionSheet::kOpenUrl))
        return std::nullopt;
    return std::exchange(m_chosenAddress, std::nullopt);
}

void ChildView::StartTimer(uint32_t id, uint32_t intervalMs) {
    StopTimer(id);
    m_timers[startTimer(static_cast<int>(intervalMs))] = id;
}

void ChildView::StopTimer(uint32_t id) {
    for (auto it = m_timers.begin(); it != m_timers.end();) {
        if (it->second == id) {
            killTimer(it->first);
            it = m_timers.erase(it);
        } else {
            ++it;
        }
    }
}

void ChildView::timerEvent(QTimerEvent* event) {
    const auto found = m_timers.find(event->timerId());
    if (found != m_timers.end())
        m_session.Timer(found->second);
}

void ChildView::Window(WindowAction action) {
    QWidget* top = window();
    switch (action) {
    case WindowAction::Restart:
        if (auto* app = SonvaleApp::Instance())
            app->RequestRestart(true);
        [[fallthrough]];
    case WindowAction::Close:
        m_exiting = true;
        top->close();
        break;
    case WindowAction::Minimize:
        top->showMinimized();
        break;
    case WindowAction::Restore:
        top->showNormal();
        top->activateWindow();
        break;
    case WindowAction::RestartQuietly:
        if (auto* app = SonvaleApp::Instance())
            app->RequestRestart(false);
        m_exiting = true;
        top->close();
        break;
    case WindowAction::Foreground:
        top->showNormal();
        top->raise();
        top->activateWindow();
        break;
    }
}

namespace {

OptionsPage* Named(OptionsPage* page, const char* name) {
    page->setObjectName(QLatin1String(name));
    return page;
}

} // namespace

bool ChildView::ShowOptions(uint32_t pageMask) {
    if (pageMask == kLyricsPage) {
        ShowLyricsList();
        return false;
    }
    const QString title = pageMask == kSettingsPages ? tr("Settings")
                          : pageMask == kAboutPages  ? tr("About Sonvale")
                                                     : QString();
    OptionSheet sheet(title, pageMask, OptionPages(), window());
    if (title.isEmpty() && !sheet.Pages().empty())
        sheet.setWindowTitle(sheet.Pages().front()->windowTitle());
    if (sheet.exec() != QDialog::Accepted)
        return false;
    ApplyOptions();
    return true;
}

bool ChildView::ShowSoundEffects() {
    SoundEffectsSheet sheet(m_profile, m_session.Effects(), m_session.EngineEffects(),
                            m_session.EngineDecodes(), SoundEffectsSheet::PresetFolder(), window());
    return sheet.exec() == QDialog::Accepted;
}

void ChildView::ShowPlaylist() {
    PlaylistDialog dialog(m_profile, m_session, window());
    m_playlistDialog = &dialog;
    dialog.exec();
}

// The playlist dialog marks and follows the entry now playing.
void ChildView::ForwardToPlaylist(const PlayerState& state, const PlayerState& was) {
    if (m_playlistDialog && state.titleSerial != was.titleSerial)
        m_playlistDialog->FollowPlaying();
}

OptionSheet::PageMakers ChildView::OptionPages() {
    OptionSheet::PageMakers makers;
    makers[OptionSheet::kVisualization] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new VisualizationPage(m_profile, m_session.UsesLibrary(), parent),
                      "visualization")};
    };
    makers[OptionSheet::kLyrics] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new LyricsListPage(m_session, m_profile, parent), "lyrics")};
    };
    makers[OptionSheet::kOpenUrl] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {
            Named(new OpenUrlPage(
                      m_profile,
                      [this](const std::u16string& address) { m_chosenAddress = address; }, parent),
                  "open-url")};
    };
    makers[OptionSheet::kOpenFolder] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new OpenFolderPage(m_profile, parent), "open-folder")};
    };
    makers[OptionSheet::kGeneral] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new GeneralPage(m_profile, parent), "preferences")};
    };
    makers[OptionSheet::kDecoder] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new DecoderPage(m_profile, &m_session, parent), "decoder"),
                Named(new StreamingPage(m_profile, &m_session, parent), "streaming")};
    };
    makers[OptionSheet::kFont] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new FontPage(m_profile, parent), "font")};
    };
    makers[OptionSheet::kResourceUsage] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new CpuUsagePage([this] { return m_session.LibraryCpuUsage(); }, parent),
                      "resource-usage")};
    };
    makers[OptionSheet::kAbout] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new AboutPage(m_profile, parent), "about")};
    };
    makers[OptionSheet::kSkin] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new SkinPage(m_profile, parent), "skin")};
    };
    makers[OptionSheet::kFileAssociations] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new FileAssocPage(m_profile, m_session.WmaAvailable(), parent),
                      "file-associations")};
    };
    makers[OptionSheet::kKeyMap] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
        return {Named(new KeyMapPage(m_profile, parent), "button-map")};
    };
    return makers;
}

// One lyrics list at a time, beside the player: a second "Show Lyrics..." brings the open one
// forward.
void ChildView::ShowLyricsList() {
    if (m_lyricsDialog) {
        m_lyricsDialog->show();
        m_lyricsDialog->raise();
        m_lyricsDialog->activateWindow();
        return;
    }
    auto* sheet = new OptionSheet(tr("Lyricslist"), OptionSheet::kLyrics, OptionPages(), this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->resize(360, 420);
    m_lyricsDialog = sheet;
    m_lyricsPage =
        sheet->Pages().empty() ? nullptr : static_cast<LyricsListPage*>(sheet->Pages().front());
    sheet->show();
}

void ChildView::ForwardToLyricsList(const PlayerState& state, const PlayerState& was) {
    if (!m_lyricsPage)
        return;
    if (state.lyricsSerial != was.lyricsSerial)
        m_lyricsPage->Refill();
    else if (state.lyricSerial != was.lyricSerial && state.lyric.key != was.lyric.key)
        m_lyricsPage->Highlight(state.lyric.key);
}

// The meter window takes the frequency bars' settings: offered only while the library plays,
// how often they are drawn, and whether they stop in the background.
void ChildView::ApplyOptions() {
    ApplySkin();
    MeterWindow* meter = m_layout->meter;
    meter->SetSpectrumAvailable(Settings::Get(m_profile, kUseSpectrum) == 1 &&
                                m_session.UsesLibrary());
    meter->SetUpdateInterval(
        Settings::Get(m_profile, NumberSetting{kUpdateInterval.name, kUpdateIntervalMeterDefault}));
    m_stopSpectrum = Settings::Get(m_profile, kStopSpectrum) == 1;
    meter->SetActive(m_active || !m_stopSpectrum);
    RunMeterFeed();
    ApplyPreferences();
    ApplyFontsAndLanguage();
}

// The title's scrolling and the lyrics on the main screen.
void ChildView::ApplyPreferences() {
    m_layout->lcd->SetScroll(Settings::Get(m_profile, kScrollMsg) != 0);
    m_layout->meter->SetLyricsLayout(Settings::Get(m_profile, kTwoLineLyrics) == 1,
                                     Settings::Get(m_profile, kReturnLine) == 1);
    const bool lyricsShown = Settings::Get(m_profile, kUseLyricsDisplay) == 1;
    if (lyricsShown == m_lyricsShown)
        return;
    m_lyricsShown = lyricsShown;
    const PlayerState state = m_session.State();
    if (state.lyric.key < 0 || !m_lyricsShown)
        m_layout->meter->SetLyrics({}, {});
    else
        m_layout->meter->SetLyrics(QString::fromStdU16String(state.lyric.first),
                                   QString::fromStdU16String(state.lyric.second), state.lyric.sung);
}

// The font slots take effect at once: the LCD, the lyric lines and an open lyrics list. A new
// UI language installs its texts and rebuilds the frame's menus.
void ChildView::ApplyFontsAndLanguage() {
    if (!m_created)
        return; // everything was just made with the stored values
    m_layout->lcd->ReloadFont();
    m_layout->meter->ReloadFonts();
    if (m_lyricsPage)
        m_lyricsPage->ReloadFont();
    auto* app = SonvaleApp::Instance();
    if (!app)
        return;
    app->ReloadFonts();
    const int language = Settings::UiLanguage(m_profile, SystemLocale::LanguageId());
    if (app->SetUiLanguage(language))
        if (auto* frame = MainFrame::Instance())
            frame->RebuildMenus();
}

// The controls go and come back built from the new skin, without a restart: the session plays
// on, and the new controls show its whole state again, with what only the controls knew (the
// toggles' marks, what is shown and enabled, the mute, the focus) taken over. The displays keep
// their own state in the settings, which the old ones write as they go and the new ones read.
void ChildView::ApplySkin() {
    const std::u16string chosen = Settings::Get(m_profile, kSkinFile);
    if (!m_created) {
        m_skinFile = SkinManager::SkinPath();
        return;
    }
    if (m_shutDown || chosen == m_skinFile)
        return;
    m_skinFile = chosen;

    struct Shown {
        bool visible = false;
        bool enabled = false;
        bool checked = false;
    };
    std::map<int, Shown> shown;
    int focused = 0;
    // The control that has the focus, or gets it back when the window is active again.
    const QWidget* focus = window()->focusWidget();
    for (const auto& [id, control] : SkinnedControls(*m_layout)) {
        auto* toggle = dynamic_cast<ToggleButton*>(control);
        shown[id] = {control->isVisibleTo(this), control->isEnabled(),
                     toggle && toggle->GetCheck()};
        if (control == focus)
            focused = id;
    }
    const MuteSwitch::Muted muted = m_layout->panel->GetMuteSwitch()->Kept();

    m_lcdTimer.stop();
    m_meterTimer.stop();
    m_meterFeedTimer.stop();
    m_layout->meter->OnStateChanged({});
    std::map<int, QWidget*> old = SkinnedControls(*m_layout);
    old.erase(DisplayPanel::kMuteSwitchId); // the panel's child
    for (const auto& [id, control] : old)
        delete control;
    m_layout.reset();

    SkinManager::LoadSkin(m_skinFile, &m_profile);
    m_background.LoadImage(kBackground.section, kBackground.key, kBackground.id);
    m_layout = std::make_unique<MainViewLayout>(this, m_profile, this, this);
    for (const auto& [id, control] : SkinnedControls(*m_layout)) {
        const auto was = shown.find(id);
        if (was == shown.end())
            continue;
        control->setVisible(was->second.visible);
        control->setEnabled(was->second.enabled);
        if (auto* toggle = dynamic_cast<ToggleButton*>(control))
            toggle->SetCheck(was->second.checked);
    }
    DisplayPanel* panel = m_layout->panel;
    panel->GetMuteSwitch()->TakeOver(muted);
    panel->SetActive(m_active);
    ShowPanelState(m_shown.panel);
    m_layout->meter->OnStateChanged([this] {
        if (m_created && !m_shutDown) {
            ShowControls();
            RunMeterFeed();
        }
    });
    m_firstRender = true;
    Render();
    if (focused != 0)
        if (QWidget* control = SkinnedControls(*m_layout)[focused])
            control->setFocus();
    update();
}

bool ChildView::ShowSleepTimer() {
    SleepTimerDialog dialog(m_profile, m_session, window());
    return dialog.exec() == QDialog::Accepted;
}

bool ChildView::ShowFavorites() {
    int current = -1;
    const std::vector<FileInfo> entries = m_session.PlaylistEntries(current);
    FavoritesDialog dialog(m_profile, entries, current, window());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_session.SetFavoriteMarks(dialog.Marks());
    return true;
}

// Lyrics written for the playing track show at once.
void ChildView::ShowLyricsDownload(const std::vector<FileInfo>& entries) {
    LyricsDownloadDialog dialog(m_profile, entries, window());
    connect(&dialog, &LyricsDownloadDialog::LyricsWritten, this,
            [this](const QString& path) { m_session.LyricsWritten(path.toStdU16String()); });
    dialog.exec();
}

std::optional<double> ChildView::ShowPlaybackSpeed() {
    PlaybackSpeedDialog dialog(m_session, window());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Speed();
}

// The speed button shows "on" for any factor but 1.0.
void ChildView::ShowSpeedButton(double speed) {
    if (auto* button =
            static_cast<ToggleButton*>(m_layout->Button(CommandId(Command::PlaybackSpeed))))
        button->SetCheck(speed != 1.0);
}

// On OK the title's scrolling and the frequency bars follow the profile at once.
bool ChildView::ShowCpuProfile() {
    CpuProfileDialog dialog(m_profile, window());
    if (dialog.exec() != QDialog::Accepted)
        return false;
    m_layout->lcd->SetScroll(Settings::Get(m_profile, kScrollMsg) != 0);
    m_layout->meter->SetSpectrumAvailable(Settings::Get(m_profile, kUseSpectrum) == 1 &&
                                          m_session.UsesLibrary());
    RunMeterFeed();
    RunTimers();
    return true;
}

std::string ChildView::Resource(const std::string& name) {
    QFile file(QStringLiteral(":/") + QString::fromStdString(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}
