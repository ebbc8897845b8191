#include "app/ChildView.h"

#include "app/MainFrame.h"
#include "app/MainMenu.h"
#include "app/SonvaleApp.h"
#include "engine/core/PlayerTypes.h"
#include "engine/player/PlayerApi.h"
#include "input/Command.h"
#include "input/KeyFunctionRules.h"
#include "input/SpokenTime.h"
#include "input/VolumeStep.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/SystemLocale.h"
#include "playback/FmodLibraryBackend.h"
#include "playback/FmodTagSource.h"
#include "playback/PlaybackController.h"
#include "playback/PlayerEngineBackend.h"
#include "playback/SpokenTimePlayer.h"
#include "playlist/MediaOpener.h"
#include "playlist/Playlist.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/ControlStyles.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageSlideBar.h"
#include "skin/MainViewLayout.h"
#include "skin/MuteSwitch.h"
#include "skin/ToggleButton.h"
#include "skin/VirtualKey.h"
#include "ui/Translated.h"

#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>

using namespace setting;

ChildView* ChildView::s_instance = nullptr;

namespace {

QString Text(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

// The first word of a command line, and the whole line without surrounding quotes.
std::u16string Unquoted(std::u16string line) {
    while (!line.empty() && (line.back() == u' ' || line.back() == u'"'))
        line.pop_back();
    size_t start = line.find_first_not_of(u" \"");
    return start == std::u16string::npos ? std::u16string() : line.substr(start);
}

} // namespace

ChildView::ChildView(QWidget* parent)
    : QWidget(parent), m_profile(Registry::Shared(), kRegistryKeyWord, kProfileName), m_ui(*this) {
    setFixedSize(480, 536);
    setFocusPolicy(Qt::StrongFocus);
    m_language = Settings::UiLanguage(m_profile, SystemLocale::LanguageId());
    s_instance = this;
}

ChildView::~ChildView() {
    Shutdown();
    // The displays write their settings when they go, through this view's profile: they go
    // first.
    const QObjectList children = this->children();
    qDeleteAll(children);
    if (s_instance == this)
        s_instance = nullptr;
}

bool ChildView::Create() {
    // 1. Audio start-up: the run-time library and the built-in engine.
    m_audio = std::make_unique<FmodBackend>(m_profile, Registry::Shared(), *this);
    if (!m_audio->Start()) {
        QMessageBox::critical(this, Translated(m_audio->FailureTitle()),
                              Translated(m_audio->FailureText()));
        m_audio.reset();
        return false;
    }
    m_tagSource = std::make_unique<FmodTagSource>(&m_audio->Fsound());
    m_library = std::make_unique<FmodLibraryBackend>(m_audio->Fsound(), &m_audio->Effects());
    m_engine = std::make_unique<PlayerEngineBackend>(m_audio->Engine());
    m_playlist = std::make_unique<Playlist>(m_profile, m_ui, m_tagSource.get());
    m_opener = std::make_unique<MediaOpener>(*m_playlist);
    m_controller =
        std::make_unique<PlaybackController>(m_profile, *m_playlist, m_ui, *m_library, *m_engine);
    m_audio->SetStreamShutdown([this](const FmodFunctions&) {
        if (m_controller)
            m_controller->CloseLibraryStream();
    });

    // 2-3. The skin and the controls.
    SkinManager::LoadSkin(u"", &m_profile);
    m_background.LoadImage(u"Main", u"Main", 130);
    CreateControls();
    m_layout->panel->SetQuality("00", "000");
    m_layout->panel->SetVUMeter(Settings::Get(m_profile, kVUMeter) != 0); // starts the levels
    if (auto* app = SonvaleApp::Instance())
        app->SetMediaKeyTarget(this);

    // 4-5. Volumes, and the buttons the skin and "ButtonMode" show.
    SetWaveOutVolume(static_cast<uint32_t>(
        m_profile.GetProfileInt(kSettings, kSystemVolume, static_cast<int32_t>(WaveOutVolume()))));
    m_volumeRange = Settings::VolumeRange(m_profile);
    m_volumeStep = Settings::Volume(m_profile, m_volumeRange);
    m_layout->volume->SetRange(0, m_volumeRange, 1);
    m_layout->volume->SetPos(m_volumeStep);
    m_layout->ShowButtonPair(Settings::Get(m_profile, kButtonMode));
    ApplyVolume(m_volumeStep);

    // 6. The key map, the tray icon.
    m_keyMap.Load(m_profile);
    m_dispatcher = std::make_unique<KeyDispatcher>(m_keyMap, m_ui);
    if (auto* frame = MainFrame::Instance()) {
        frame->SetTrayIcon(true);
        frame->Bubble().Remove();
    }

    // 7-9. The tick starts, then the workers; the rest of the start-up runs from the loop.
    m_ticking = true; // publishes everything above to the mixer thread
    m_audio->ActivateTick();
    StartMonitor();
    connect(&m_listSaver, &QTimer::timeout, this, [this] { SaveListsIfChanged(); });
    m_listSaver.start(1000);
    PostWindowMessage(this, kStartupContinuation, 0, 0);
    m_created = true;
    return true;
}

void ChildView::CreateControls() {
    m_layout = std::make_unique<MainViewLayout>(this, m_profile, this, this);
    m_layout->panel->SetActive(true);
    static_cast<ToggleButton*>(m_layout->buttons[CommandId(Command::Shuffle)])
        ->SetCheck(Settings::Get(m_profile, kShuffle));
    static_cast<ToggleButton*>(m_layout->buttons[CommandId(Command::Repeat)])
        ->SetCheck(Settings::Get(m_profile, kRepeat));
}

bool ChildView::IsPlaying() const {
    return m_controller && m_controller->IsPlaying();
}

bool ChildView::StartVuMeter(const FmodFunctions&) {
    return true; // the display panel's meter reads the levels through LevelSource
}

bool ChildView::StartSpectrum(const FmodFunctions&) {
    return true; // the spectrum window is not part of this view yet
}

// The levels of what plays: the library's channel, or the built-in engine's meter.
bool ChildView::Levels(float& left, float& right) {
    left = right = 0.0f;
    if (!AudioRunning() || !m_controller->IsPlaying())
        return false;
    if (m_controller->CurrentMode() == PlaybackController::Mode::Library) {
        int channel = m_controller->LibraryChannel();
        return channel >= 0 && m_audio->Fsound().GetCurrentLevels(channel, &left, &right);
    }
    int32_t l = 0, r = 0;
    PlayerGetLevels(m_audio->Engine(), &l, &r);
    left = std::min(1.0f, l / 32768.0f);
    right = std::min(1.0f, r / 32768.0f);
    return true;
}

// The built-in engine measures levels only while the VU meter asks for them.
void ChildView::StartLevels() {
    if (AudioRunning())
        PlayerSetLevelMeter(m_audio->Engine(), true);
}

void ChildView::StopLevels() {
    if (AudioRunning())
        PlayerSetLevelMeter(m_audio->Engine(), false);
}

uint32_t ChildView::WaveOutVolume() {
    return m_outputVolume;
}

// The program's output volume: the built-in engine's device and the library's master volume.
void ChildView::SetWaveOutVolume(uint32_t volume) {
    m_outputVolume = volume;
    if (!AudioRunning())
        return;
    PlayerSetVolume(m_audio->Engine(), volume);
    m_audio->Fsound().SetSFXMasterVolume(static_cast<int>((volume & 0xFFFF) * 255 / 0xFFFF));
}

int ChildView::LibraryVolume() {
    if (!AudioRunning() || m_controller->LibraryChannel() < 0)
        return 255;
    return m_audio->Fsound().GetVolume(m_controller->LibraryChannel());
}

void ChildView::SetLibraryVolume(int volume) {
    if (AudioRunning() && m_controller->LibraryChannel() >= 0)
        m_audio->Fsound().SetVolume(m_controller->LibraryChannel(), volume);
}

// Once per mixed block, on the library's mixer thread: count, and start the jobs due.
void ChildView::OnTick() {
    if (!m_ticking || m_stopMonitor)
        return;
    TickJobs::State state;
    state.playing = m_controller->IsPlaying();
    state.paused = m_controller->IsPaused();
    state.seeking = m_controller->IsSeeking();
    state.displayOn = m_displayOn;
    state.active = m_active;
    state.syncedLyrics = m_syncedLyrics;
    state.lcdScrolls = true; // the LCD takes a step only while its text scrolls
    state.speed = m_controller->Speed();
    uint32_t jobs = m_tickJobs.Tick(state);
    // The LCD and the meters take their steps on the UI thread: the tick posts them there. The
    // display-off check and the sleep timers come with power management.
    if (jobs & TickJobs::LcdScroll)
        PostWindowMessage(m_layout->lcd, DisplayLCD::kScrollStepMessage, 0, 0);
    if (jobs & TickJobs::LevelMeter) {
        PostWindowMessage(m_layout->panel, DisplayPanel::kLevelStepMessage, 0, 0);
        PostWindowMessage(m_layout->panel->GetMuteSwitch(), MuteSwitch::kAnimateMessage, 0, 0);
    }
    if (jobs & TickJobs::Monitor) {
        std::lock_guard lock(m_monitorLock);
        m_monitorDue = true;
        m_monitorWake.notify_one();
    }
}

// The playback monitor runs on a thread of its own: it may wait on the track lock while a
// command changes the track, and neither the tick nor the UI thread may wait for that.
void ChildView::StartMonitor() {
    m_stopMonitor = false;
    m_monitorDue = false;
    m_monitorThread = std::thread([this] {
        std::unique_lock lock(m_monitorLock);
        while (true) {
            m_monitorWake.wait(lock, [this] { return m_monitorDue || m_stopMonitor; });
            if (m_stopMonitor)
                return;
            m_monitorDue = false;
            lock.unlock();
            if (m_controller->StreamMode())
                m_controller->RunStreamMonitor();
            else
                m_controller->RunMonitor();
            lock.lock();
        }
    });
}

void ChildView::StopMonitor() {
    {
        std::lock_guard lock(m_monitorLock);
        m_stopMonitor = true;
        m_monitorWake.notify_one();
    }
    if (m_monitorThread.joinable())
        m_monitorThread.join();
}

// The audio and the controller are there from creation until shutdown; calls that arrive later
// (queued from a worker, a key) find nothing to do.
bool ChildView::AudioRunning() const {
    return !m_shutDown && m_controller && m_audio && m_audio->IsStarted();
}

bool ChildView::OnCommand(int id) {
    if (!AudioRunning())
        return false;
    const std::optional<Command> command = CommandFromId(id);
    if (!command)
        return false;
    if (IsKeyFunction(*command)) {
        RunKeyFunction(static_cast<uint32_t>(id));
        return true;
    }
    switch (*command) {
    case Command::OpenFiles:
        OpenFilesCommand();
        return true;
    case Command::OpenFolder:
        OpenFolderCommand();
        return true;
    case Command::OpenUrl:
        OpenUrlCommand();
        return true;
    case Command::DeleteFile:
        DeleteFileCommand();
        return true;
    case Command::Exit:
    case Command::Quit:
        ExitCommand();
        return true;
    case Command::Play:
        m_controller->PlayCommand();
        return true;
    case Command::Pause:
        m_controller->PauseCommand();
        return true;
    case Command::Stop:
        m_controller->StopCommand();
        return true;
    case Command::Previous:
        m_controller->PreviousTrack();
        return true;
    case Command::Next:
        m_controller->NextTrack();
        return true;
    case Command::Shuffle:
        m_controller->ShuffleCommand();
        static_cast<ToggleButton*>(m_layout->buttons[CommandId(Command::Shuffle)])
            ->SetCheck(Settings::Get(m_profile, kShuffle));
        return true;
    case Command::Repeat:
        m_controller->RepeatCommand();
        static_cast<ToggleButton*>(m_layout->buttons[CommandId(Command::Repeat)])
            ->SetCheck(Settings::Get(m_profile, kRepeat));
        return true;
    case Command::RepeatNone:
    case Command::RepeatOne:
    case Command::RepeatAll:
        m_controller->RepeatChoice(id);
        static_cast<ToggleButton*>(m_layout->buttons[CommandId(Command::Repeat)])
            ->SetCheck(Settings::Get(m_profile, kRepeat));
        return true;
    case Command::MarkSection:
        if (m_controller->IsLoaded())
            MarkSection();
        return true;
    case Command::ShuffleRepeatButtons:
    case Command::SpeedSectionButtons:
        Settings::Set(m_profile, kButtonMode, *command == Command::ShuffleRepeatButtons ? 1 : 0);
        m_layout->ShowButtonPair(*command == Command::ShuffleRepeatButtons ? 1 : 0);
        return true;
    case Command::EnableFavorites:
        EnableFavorites();
        return true;
    case Command::AddFavorite:
        ToggleFavorite();
        return true;
    case Command::AlwaysOnTop: {
        QWidget* top = window();
        bool onTop = !(top->windowFlags() & Qt::WindowStaysOnTopHint);
        top->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
        top->show();
        Settings::Set(m_profile, kAlwaysOnTop, onTop ? 1 : 0);
        return true;
    }
    case Command::Minimize:
        window()->showMinimized();
        return true;
    default:
        return false;
    }
}

bool ChildView::CommandAvailable(int id) const {
    const std::optional<Command> command = CommandFromId(id);
    if (!command)
        return false;
    switch (*command) {
    case Command::OpenFiles:
    case Command::DeleteFile:
    case Command::OpenFolder:
    case Command::OpenUrl:
    case Command::Exit:
    case Command::Previous:
    case Command::Play:
    case Command::Pause:
    case Command::Stop:
    case Command::Next:
    case Command::ShuffleRepeatButtons:
    case Command::SpeedSectionButtons:
    case Command::EnableFavorites:
    case Command::AddFavorite:
    case Command::AlwaysOnTop:
        return true;
    default:
        return false; // dialogs that come later
    }
}

void ChildView::OnCopyData(const std::u16string& commandLine) {
    std::u16string path = Unquoted(commandLine);
    if (path.empty() || path == u"PowerOnRestart" || path == u"PowerOnRestart&Play" ||
        path == u"AppRunAfterWakeup")
        return;
    OpenPathLater(path);
}

// The first start with nothing to play plays the demo track (with its lyrics), copied from the
// program's resources into the data folder.
void ChildView::PlayDemoOnFirstStart() {
    if (Settings::Get(m_profile, kDemoPlayed) == 1)
        return;
    Settings::Set(m_profile, kDemoPlayed, 1);
    QString folder = QString::fromStdString(Folders::DataFolder()) + QStringLiteral("/demo/");
    QDir().mkpath(folder);
    for (const char* name : {"sonvale-demo.lrc", "sonvale-demo.ogg"}) {
        QString target = folder + QLatin1String(name);
        if (!QFile::exists(target) &&
            !QFile::copy(QStringLiteral(":/demo/") + QLatin1String(name), target))
            return;
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                          QFile::ReadOther);
    }
    OpenPathLater((folder + QStringLiteral("sonvale-demo.ogg")).toStdU16String());
}

void ChildView::OpenPathLater(const std::u16string& path) {
    m_pendingPath = path;
    PostWindowMessage(this, kOpenFile, 0, 0);
}

void ChildView::OnActivate(bool active, bool minimised) {
    if (m_exiting)
        return;
    m_active = active && !minimised;
    m_layout->panel->SetActive(m_active);
    if (m_active)
        ApplyVolume(m_volumeStep);
}

// Start-up continuation: a file named on the command line, the start-up folder, or the saved
// playlist.
void ChildView::StartupContinuation() {
    std::u16string line = Unquoted(m_startLine);
    if (line == u"PowerOnRestart" || line == u"PowerOnRestart&Play") {
        m_playlist->SetRestartFlags(true, line == u"PowerOnRestart&Play");
        PostWindowMessage(this, kRestorePlaylist, 0, 0);
    } else if (line.empty()) {
        if (Settings::Get(m_profile, kOpenFolderAtStartup) == 1)
            PostWindowMessage(this, kOpenStartupFolder, 0, 0);
        else if (Settings::Get(m_profile, kSaveDefList) == 1)
            PostWindowMessage(this, kRestorePlaylist, 0, 0);
    } else {
        OpenPathLater(line);
    }
}

bool ChildView::event(QEvent* event) {
    if (const auto* message = WindowMessageEvent::From(event))
        return HandleMessage(message->message, message->wParam, message->lParam);
    return QWidget::event(event);
}

bool ChildView::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!m_controller || m_shutDown)
        return true;
    switch (message) {
    case WM_COMMAND:
        OnCommand(LowWord(wParam));
        break;
    case WM_KEYDOWN:
        // A held key's repeats (bit 30: the key was already down) are not new presses.
        if (!(lParam & (intptr_t{1} << 30)))
            m_dispatcher->KeyDown(static_cast<uint32_t>(wParam));
        break;
    case WM_SLIDEBAR_NOTIFY:
        if (wParam == MainViewLayout::kSeekSliderId && lParam == SLIDEBAR_MOVED)
            m_controller->SeekSliderMoving(m_layout->seek->GetPos());
        else if (wParam == MainViewLayout::kSeekSliderId && lParam == SLIDEBAR_RELEASED)
            m_controller->SeekSliderReleased(m_layout->seek->GetPos());
        else if (wParam == MainViewLayout::kVolumeSliderId && lParam == SLIDEBAR_MOVED)
            ApplyVolume(m_layout->volume->GetPos());
        break;
    case WM_PLAYER_STATUS:
    case WM_PLAYER_STREAMTITLE:
    case 0x3E99:
        m_controller->HandleMessage(message, wParam, lParam);
        break;
    case kRunMonitor:
        m_controller->RunMonitor();
        break;
    case kRunStreamMonitor:
        m_controller->RunStreamMonitor();
        break;
    case kStartupContinuation:
        StartupContinuation();
        break;
    case kRestorePlaylist:
        WaitForListWrite();
        m_playlist->PlaylistRestore();
        // The demo never takes the place of a saved list, even one that could not be read.
        if (m_playlist->Count() == 0 && m_playlist->Current().path.empty() &&
            !m_playlist->SavedListFound())
            PlayDemoOnFirstStart();
        // What the start-up has to tell, once it has started playing.
        QTimer::singleShot(0, this, [this] {
            if (AudioRunning())
                m_playlist->ShowNotices();
        });
        break;
    case kOpenStartupFolder:
        m_opener->OpenStartupFolder();
        break;
    case kOpenFile:
        if (!m_pendingPath.empty())
            m_opener->OpenPath(std::exchange(m_pendingPath, std::u16string()));
        break;
    case kRestartProgram:
        if (auto* app = SonvaleApp::Instance())
            app->RequestRestart(true);
        ExitCommand();
        break;
    default:
        break;
    }
    return true;
}

void ChildView::keyPressEvent(QKeyEvent* event) {
    uint32_t key = VirtualKeyFromQt(*event);
    if (event->isAutoRepeat() && key != 0)
        return; // a held key is one press
    if (key == 0 || !m_dispatcher) {
        QWidget::keyPressEvent(event);
        return;
    }
    m_dispatcher->KeyDown(key);
}

// A key function: the rules of the function table decide, the controller plays.
void ChildView::RunKeyFunction(uint32_t functionCode) {
    if (!AudioRunning())
        return;
    auto shown = [this](int id) { return m_layout->buttons[id]->isVisible(); };
    KeyViewState state;
    state.hold = m_hold;
    state.streamMode = m_controller->StreamMode();
    state.deleting = m_deleting;
    state.trackLoaded = m_controller->IsLoaded();
    state.seeking = m_controller->IsSeeking();
    state.playing = m_controller->IsPlaying();
    state.stopped =
        m_controller->IsLoaded() && !m_controller->IsPlaying() && !m_controller->IsPaused();
    state.active = m_active;
    state.displayOn = m_displayOn;
    state.useDefaultDecoder = m_audio->UseDefaultDecoder() == 1;
    state.playShown = shown(CommandId(Command::Play));
    state.stopShown = shown(CommandId(Command::Stop));
    state.pauseShown = shown(CommandId(Command::Pause));
    state.previousShown = shown(CommandId(Command::Previous));
    state.nextShown = shown(CommandId(Command::Next));
    state.openFilesShown = shown(CommandId(Command::OpenFiles));
    state.exitShown = shown(CommandId(Command::Exit));

    switch (KeyFunctionRules::Resolve(functionCode, state)) {
    case KeyAction::Play:
        m_controller->PlayCommand();
        break;
    case KeyAction::Stop:
        m_controller->StopCommand();
        break;
    case KeyAction::Pause:
        m_controller->PauseCommand();
        break;
    case KeyAction::PreviousTrack:
        m_controller->PreviousTrack();
        break;
    case KeyAction::RestartTrack:
        m_controller->RestartCurrent();
        break;
    case KeyAction::NextTrack:
        m_controller->NextTrack();
        break;
    case KeyAction::Rewind:
        m_layout->seek->setFocus();
        m_controller->Rewind();
        break;
    case KeyAction::FastForward:
        m_layout->seek->setFocus();
        m_controller->FastForward();
        break;
    case KeyAction::VolumeUp:
    case KeyAction::VolumeDown:
        StepVolume(KeyFunctionRules::Resolve(functionCode, state) == KeyAction::VolumeUp);
        break;
    case KeyAction::MarkSection:
        MarkSection();
        break;
    case KeyAction::ToggleMute:
        m_layout->panel->GetMuteSwitch()->SetMute(!m_layout->panel->GetMuteSwitch()->IsMuted());
        break;
    case KeyAction::PowerOff:
        break; // power management comes with the power work
    case KeyAction::SpeedUp:
        m_controller->SpeedStep(+1);
        break;
    case KeyAction::SpeedDown:
        m_controller->SpeedStep(-1);
        break;
    case KeyAction::DeleteFile:
        DeleteFileCommand();
        break;
    case KeyAction::OpenFiles:
        OpenFilesCommand();
        break;
    case KeyAction::Exit:
        ExitCommand();
        break;
    case KeyAction::ToggleHold:
        m_hold = !m_hold;
        m_layout->panel->SetHold(m_hold ? 1 : 0);
        break;
    case KeyAction::Minimize:
        window()->showMinimized();
        break;
    case KeyAction::Restore:
        window()->showNormal();
        window()->activateWindow();
        break;
    case KeyAction::SpeakTime:
        SpeakTime();
        break;
    case KeyAction::ToggleShuffle:
        OnCommand(CommandId(Command::Shuffle));
        break;
    default:
        break; // the display, the playlist dialog: later
    }
}

void ChildView::StepVolume(bool up) {
    m_layout->volume->setFocus();
    int32_t volume = up ? VolumeStep::Up(m_volumeStep, m_volumeRange)
                        : VolumeStep::Down(m_volumeStep, m_volumeRange);
    m_layout->volume->SetPos(volume);
    if (m_displayOn)
        m_layout->lcd->ShowStatus(Text(VolumeStep::Text(volume, m_volumeRange)), 600);
    ApplyVolume(volume);
}

// "Volume" and the back end's volume; while muted only the mute switch keeps it.
void ChildView::ApplyVolume(int32_t volume) {
    m_volumeStep = volume;
    Settings::Set(m_profile, kVolume, volume);
    m_controller->SetVolume(volume, m_volumeRange);
    if (!m_layout->panel->GetMuteSwitch()->IsMuted())
        m_controller->ApplyVolume();
}

// The next A-B point: A, then B, then none.
void ChildView::MarkSection() {
    m_layout->seek->MarkSelection();
    int a = 0, b = 0;
    int count = m_layout->seek->MarkCount();
    m_layout->seek->GetSelection(a, b);
    m_controller->SetSectionMarks(count, a, b);
    static_cast<ToggleButton*>(m_layout->buttons[CommandId(Command::MarkSection)])
        ->SetCheck(count > 0);
}

void ChildView::SpeakTime() {
    QTime now = QTime::currentTime();
    SpokenTimePlayer speaker([](uint32_t id) {
        QFile file(QStringLiteral(":/sounds/%1.wav").arg(id));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    });
    speaker.Play(SpokenTime::Sounds(now.hour(), now.minute()));
}

void ChildView::OpenFilesCommand() {
    QString folder = Text(Settings::Get(m_profile, kLastPath));
    QStringList files = QFileDialog::getOpenFileNames(
        this, m_language == 1042 ? QStringLiteral("파일 열기") : QStringLiteral("Open Files"),
        folder, QStringLiteral("Audio (*.mp3 *.mp2 *.ogg *.wav *.wma *.asf *.wpl);;All files (*)"));
    if (files.isEmpty())
        return;
    Settings::Set(m_profile, kLastPath, QFileInfo(files.front()).absolutePath().toStdU16String());
    std::vector<std::u16string> selection;
    for (const QString& file : files)
        selection.push_back(file.toStdU16String());
    m_opener->OpenFiles(selection);
}

void ChildView::OpenFolderCommand() {
    std::u16string before = Settings::Get(m_profile, kOpenFolderName);
    QString folder = QFileDialog::getExistingDirectory(
        this,
        m_language == 1042 ? QStringLiteral("오디오 파일이 있는 폴더 선택")
                           : QStringLiteral("Select folder with audio files"),
        Text(before));
    if (folder.isEmpty())
        return;
    Settings::Set(m_profile, kOpenFolderName, (folder + '/').toStdU16String());
    m_opener->OpenFolder(before);
}

void ChildView::OpenUrlCommand() {
    bool ok = false;
    QString address =
        QInputDialog::getText(this, QStringLiteral("Open URL"), QStringLiteral("URL:"),
                              QLineEdit::Normal, QStringLiteral("http://"), &ok);
    if (ok)
        m_opener->OpenUrl(address.toStdU16String());
}

void ChildView::DeleteFileCommand() {
    if (m_deleting)
        return;
    m_deleting = true;
    m_opener->DeleteCurrentFile();
    m_deleting = false;
}

void ChildView::ToggleFavorite() {
    auto& entries = m_playlist->Entries();
    int index = m_playlist->CurIndex();
    if (index < 0 || index >= static_cast<int>(entries.size()))
        return;
    entries[index].favorite = entries[index].favorite == 1 ? 0 : 1;
    auto& favorites = m_playlist->Favorites();
    std::erase(favorites, entries[index].path);
    if (entries[index].favorite == 1)
        favorites.push_back(entries[index].path);
}

void ChildView::EnableFavorites() {
    bool on = Settings::Get(m_profile, kEnableFavorites) != 1;
    Settings::Set(m_profile, kEnableFavorites, on ? 1 : 0);
    int index = m_playlist->CurIndex();
    const FileInfo* entry = m_playlist->EntryAt(index);
    if (on && m_playlist->Count() >= 2 && entry && entry->favorite != 1)
        m_controller->NextTrack();
}

void ChildView::ExitCommand() {
    m_exiting = true;
    window()->close();
}

// The tap menu: the menu bar's commands in one popup, for a right click on the view, or a tap
// on the skin's name strip below the buttons.
void ChildView::ShowTapMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    const QList<QMenu*> popups = MainMenu::CreatePopups(&menu, MainMenu::Kind::TapMenu);
    for (QMenu* popup : popups) {
        menu.addMenu(popup);
        for (QAction* action : popup->findChildren<QAction*>())
            if (const int id = MainMenu::CommandId(action))
                action->setEnabled(CommandAvailable(id));
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

// The values written at exit; the effect values are written again, from the back end that was
// in use, when the audio shuts down.
void ChildView::WriteSettingsAtExit() {
    ExitSettings exit;
    exit.systemVolume = m_outputVolume;
    exit.volume = m_volumeStep;
    exit.lastPath = Settings::Get(m_profile, kLastPath);
    exit.shuffle = Settings::Get(m_profile, kShuffle);
    exit.repeat = Settings::Get(m_profile, kRepeat);
    exit.repeatType = Settings::Get(m_profile, kRepeatType);
    exit.alwaysOnTop = window()->windowFlags() & Qt::WindowStaysOnTopHint ? 1 : 0;
    exit.buttonMode = Settings::Get(m_profile, kButtonMode);
    exit.enableFavorites = Settings::Get(m_profile, kEnableFavorites);
    exit.keepLyricsSync = Settings::Get(m_profile, kKeepLyricsSync);
    exit.lyricsSync = Settings::LyricsSync(m_profile);
    exit.resume = Settings::Get(m_profile, kResume);
    exit.curPlayFilePath = m_playlist->Current().path;
    exit.curPlayPos = m_controller->PositionMs();
    exit.curIndex = m_playlist->CurIndex();
    exit.useDefaultDecoder = m_audio->UseDefaultDecoder();
    exit.effects = Settings::ReadEffects(m_profile);
    Settings::WriteAtExit(m_profile, exit);
}

// The playlist files and the resume values follow the list while the program runs, so that a
// crash or a kill loses nothing. A track change holding the track lock is waited out by the
// next round.
void ChildView::SaveListsIfChanged() {
    if (!AudioRunning() || (m_listWrite.valid() && m_listWrite.wait_for(std::chrono::seconds(0)) !=
                                                       std::future_status::ready))
        return;
    std::unique_lock lock(m_controller->TrackLock(), std::try_to_lock);
    if (!lock.owns_lock())
        return;
    m_playlist->SaveResumeValues(m_controller->PositionMs());
    std::optional<Playlist::ListFiles> files = m_playlist->ChangedLists();
    lock.unlock();
    if (files)
        m_listWrite = std::async(std::launch::async, [this, files = std::move(*files)] {
            m_playlist->WriteLists(files);
        });
}

void ChildView::WaitForListWrite() {
    if (m_listWrite.valid())
        m_listWrite.wait();
}

void ChildView::Shutdown() {
    if (!m_created || m_shutDown)
        return;
    m_shutDown = true;
    m_ticking = false;
    if (auto* app = SonvaleApp::Instance())
        app->SetMediaKeyTarget(nullptr);
    StopMonitor();
    m_listSaver.stop();
    WaitForListWrite();
    WriteSettingsAtExit();
    m_ui.StopTimer(KeyDispatcher::kTimerId);
    m_layout->lcd->SetClosing(true);
    m_layout->panel->SetClosing(true);
    m_playlist->PlaylistStore(m_controller->PositionMs());
    if (auto* frame = MainFrame::Instance())
        frame->SetTrayIcon(false);
    m_audio->Shutdown(); // writes the effect values, closes the library's stream and the library
}
