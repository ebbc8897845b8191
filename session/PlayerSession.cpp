#include "session/PlayerSession.h"

#include "input/KeyFunctionRules.h"
#include "input/SpokenTime.h"
#include "input/VolumeStep.h"
#include "platform/Folders.h"
#include "platform/MessageSink.h"
#include "platform/Profile.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"
#include "playback/AudioSystem.h"
#include "playback/FmodLibrary.h"
#include "playback/LibraryBackend.h"
#include "playback/MediaPlayerModule.h"
#include "playback/PlaybackController.h"
#include "playback/SpokenTimePlayer.h"
#include "playlist/EntryTags.h"
#include "playlist/MediaOpener.h"
#include "playlist/Playlist.h"
#include "session/SessionUi.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "support/AtomicFile.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <optional>
#include <unordered_set>
#include <utility>

using namespace setting;

namespace {

// The command line without surrounding blanks and quotes.
std::u16string Unquoted(std::u16string line) {
    while (!line.empty() && (line.back() == u' ' || line.back() == u'"'))
        line.pop_back();
    const size_t start = line.find_first_not_of(u" \"");
    return start == std::u16string::npos ? std::u16string() : line.substr(start);
}

int ButtonIndex(PlaybackSink::Button button) {
    return static_cast<int>(button);
}

} // namespace

PlayerSession::PlayerSession(Profile& profile, SessionUi& ui, MessageSink& sink,
                             AudioFactory makeAudio)
    : m_profile(profile), m_ui(ui), m_sink(sink), m_makeAudio(std::move(makeAudio)) {}

PlayerSession::~PlayerSession() {
    Shutdown();
}

void PlayerSession::AddObserver(PlayerObserver& observer) {
    m_observers.push_back(&observer);
}

bool PlayerSession::Running() const {
    return m_started && !m_shutDown;
}

bool PlayerSession::Start(const std::u16string& startCommandLine) {
    if (m_started)
        return true;
    m_startLine = startCommandLine;
    // 1. The audio: the run-time library and the built-in engine.
    m_audio = m_makeAudio(*this);
    if (!m_audio || !m_audio->Start()) {
        if (m_audio) {
            m_failureText = m_audio->FailureText();
            m_failureTitle = m_audio->FailureTitle();
        }
        m_audio.reset();
        return false;
    }
    m_playlist = std::make_unique<Playlist>(m_profile, *this, m_audio->Tags());
    m_opener = std::make_unique<MediaOpener>(*m_playlist);
    // Windows Media files always play: in the media player control, or in the engine's plug-in.
    m_playlist->SetWmaAvailable(true);
    m_media = std::make_unique<MediaPlayerModule>(m_sink);
    m_controller = std::make_unique<PlaybackController>(
        m_profile, *m_playlist, *this, m_ui, m_audio->Library(), m_audio->Engine(), m_media.get());
    m_audio->SetStreamShutdown([this] {
        if (m_controller)
            m_controller->CloseLibraryStream();
    });

    // 2. Volumes and the toggles.
    m_outputVolume = static_cast<uint32_t>(m_profile.GetProfileInt(
        kSettings, kSystemVolume, static_cast<int32_t>(m_outputVolume.load())));
    m_audio->SetOutputVolume(m_outputVolume);
    {
        std::lock_guard lock(m_stateLock);
        m_state.volumeRange = Settings::VolumeRange(m_profile);
        m_state.volume = Settings::Volume(m_profile, m_state.volumeRange);
        m_state.buttonMode = Settings::Get(m_profile, kButtonMode);
        m_state.alwaysOnTop = Settings::Get(m_profile, kAlwaysOnTop) == 1;
        m_state.lyricsSync = m_controller->LyricsSync();
        m_state.keepLyricsSync = Settings::Get(m_profile, kKeepLyricsSync) == 1;
        m_state.favoritesEnabled = Settings::Get(m_profile, kEnableFavorites) == 1;
    }
    ReadToggles();
    ApplyVolume(State().volume);
    LoadSleepTimers();

    // 3. The key map.
    m_keyMap.Load(m_profile);
    m_dispatcher = std::make_unique<KeyDispatcher>(m_keyMap, *this);

    // 4. The tick and the monitor; the rest of the start-up runs from the message loop.
    m_started = true;
    m_ticking = true; // publishes everything above to the mixer thread
    m_audio->ActivateTick();
    StartMonitor();
    m_sink.Post(kStartupContinuation, 0, 0);
    return true;
}

void PlayerSession::SetSkinControls(bool openFilesShown, bool exitShown, bool seekMarks) {
    m_openFilesShown = openFilesShown;
    m_exitShown = exitShown;
    m_seekMarks = seekMarks;
}

// ---- State

PlayerState PlayerSession::State() const {
    std::lock_guard lock(m_stateLock);
    return m_state;
}

LyricsData PlayerSession::Lyrics() const {
    if (!m_controller)
        return {};
    std::lock_guard lock(m_controller->TrackLock());
    return m_controller->Lyrics();
}

// Observers hear only of real changes: the monitor reports the same time many times a second.
void PlayerSession::Update(const std::function<void(PlayerState&)>& change) {
    {
        std::lock_guard lock(m_stateLock);
        const PlayerState before = m_state;
        change(m_state);
        if (m_state == before)
            return;
    }
    for (PlayerObserver* observer : m_observers)
        observer->StateChanged();
}

void PlayerSession::Focus(PlayerObserver::Control control) {
    for (PlayerObserver* observer : m_observers)
        observer->FocusRequested(control);
}

void PlayerSession::ReadToggles() {
    const bool shuffle = Settings::Get(m_profile, kShuffle) == 1;
    const bool repeat = Settings::Get(m_profile, kRepeat) == 1;
    const int repeatType = Settings::Get(m_profile, kRepeatType);
    Update([&](PlayerState& s) {
        s.shuffle = shuffle;
        s.repeat = repeat;
        s.repeatType = repeatType;
    });
}

bool PlayerSession::UsesLibrary() const {
    return m_audio && m_audio->UseDefaultDecoder() == 1;
}

EffectControls* PlayerSession::Effects() {
    if (!Running())
        return nullptr;
    return UsesLibrary() ? m_audio->LibraryControls() : m_audio->EngineControls();
}

EffectControls* PlayerSession::EngineEffects() {
    return Running() ? m_audio->EngineControls() : nullptr;
}

bool PlayerSession::EngineDecodes() const {
    return !UsesLibrary() || (m_controller && m_controller->StreamMode());
}

bool PlayerSession::WmaAvailable() const {
    return m_playlist && m_playlist->WmaAvailable();
}

bool PlayerSession::IsPlaying() const {
    return m_controller && m_controller->IsPlaying();
}

// ---- The tick and the monitor

// Once per mixed block, on the library's mixer thread: counts, and wakes the monitor when due.
// The LCD, the meters and the other periodic work of the windows run on their own timers.
void PlayerSession::OnTick() {
    if (!m_ticking || m_stopMonitor)
        return;
    TickJobs::State state;
    state.playing = m_controller->IsPlaying();
    state.paused = m_controller->IsPaused();
    state.seeking = m_controller->IsSeeking();
    state.displayOn = m_displayOn;
    state.active = m_active;
    state.syncedLyrics = m_syncedLyrics;
    state.wordTimes = m_wordTimes;
    state.lyricsListOpen = m_lyricsPageOpen;
    state.panelState1 = true; // the level meter is the window's
    state.speed = m_controller->Speed();
    state.sleepTimerSet = m_sleepTimerSet;
    state.suspended = m_wakeupPending || m_powerOffPending;
    const uint32_t due = m_tickJobs.Tick(state);
    if (due & TickJobs::DisplayCheck)
        m_sink.Post(kCheckBackgroundKeys, 0, 0);
    if (due & TickJobs::PowerCheck)
        m_sink.Post(kCheckPowerSupply, 0, 0);
    if (due & TickJobs::Monitor) {
        std::lock_guard lock(m_monitorLock);
        m_monitorDue = true;
        m_monitorWake.notify_one();
    }
    if (due & TickJobs::SleepTimers)
        m_sink.Post(kRunSleepTimers, 0, 0);
}

// The playback monitor runs on a thread of its own: it may wait on the track lock while a
// command changes the track, and neither the tick nor the UI thread may wait for that.
void PlayerSession::StartMonitor() {
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

void PlayerSession::StopMonitor() {
    {
        std::lock_guard lock(m_monitorLock);
        m_stopMonitor = true;
        m_monitorWake.notify_one();
    }
    if (m_monitorThread.joinable())
        m_monitorThread.join();
}

int PlayerSession::TickMs() const {
    return m_audio ? m_audio->TickMs() : 23;
}

// ---- Commands

bool PlayerSession::Run(Command command) {
    if (!Running())
        return false;
    // While the library opens a file the window goes on taking input: Stop and Exit cancel the
    // open (Exit then closes the window once it has ended), anything else waits for the open.
    if (Opening()) {
        const bool stop = command == Command::Stop || command == Command::KeyStop ||
                          command == Command::KeyPlayStop;
        const bool exit =
            command == Command::Exit || command == Command::Quit || command == Command::KeyExit;
        if (stop || exit)
            m_controller->CancelOpen();
        if (exit)
            m_ui.Window(SessionUi::WindowAction::Close);
        return stop || exit;
    }
    if (IsKeyFunction(command)) {
        RunKeyFunction(static_cast<uint32_t>(CommandId(command)));
        return true;
    }
    switch (command) {
    case Command::OpenFiles:
        OpenFiles();
        return true;
    case Command::OpenFolder:
        OpenFolder();
        return true;
    case Command::OpenUrl:
        OpenUrl();
        return true;
    case Command::DeleteFile:
        DeleteFile();
        return true;
    case Command::Exit:
    case Command::Quit:
        m_ui.Window(SessionUi::WindowAction::Close);
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
        ReadToggles();
        return true;
    case Command::Repeat:
        m_controller->RepeatCommand();
        ReadToggles();
        return true;
    case Command::RepeatNone:
    case Command::RepeatOne:
    case Command::RepeatAll:
        m_controller->RepeatChoice(command == Command::RepeatNone ? PlaybackController::kRepeatNone
                                   : command == Command::RepeatOne
                                       ? PlaybackController::kRepeatOne
                                       : PlaybackController::kRepeatAll);
        ReadToggles();
        return true;
    case Command::MarkSection:
        if (m_controller->IsLoaded())
            MarkSection();
        return true;
    case Command::ShuffleRepeatButtons:
    case Command::SpeedSectionButtons: {
        const int mode = command == Command::ShuffleRepeatButtons ? 1 : 0;
        Settings::Set(m_profile, kButtonMode, mode);
        Update([mode](PlayerState& s) { s.buttonMode = mode; });
        return true;
    }
    case Command::EnableFavorites:
        EnableFavorites();
        return true;
    case Command::AddFavorite:
        ToggleFavorite();
        return true;
    case Command::AlwaysOnTop: {
        const bool onTop = !State().alwaysOnTop;
        Settings::Set(m_profile, kAlwaysOnTop, onTop ? 1 : 0);
        Update([onTop](PlayerState& s) { s.alwaysOnTop = onTop; });
        return true;
    }
    case Command::Minimize:
        m_ui.Window(SessionUi::WindowAction::Minimize);
        return true;
    case Command::DisplayOnOff:
        ToggleDisplay();
        return true;
    case Command::PowerOff:
        PowerOff();
        return true;
    case Command::ShowLyrics:
        if (!Available(command))
            return false;
        m_ui.ShowOptions(SessionUi::kLyricsPage);
        return true;
    case Command::EditFavorites:
        if (!Available(command))
            return false;
        m_ui.ShowFavorites();
        return true;
    case Command::DownloadLyrics: {
        if (!Available(command))
            return false;
        std::vector<FileInfo> current;
        {
            std::lock_guard lock(m_controller->TrackLock());
            current.push_back(m_playlist->Current());
        }
        DownloadLyricsFor(current);
        return true;
    }
    case Command::Settings:
        ShowSettings();
        return true;
    case Command::About:
        ShowOptionSheet(SessionUi::kAboutPages);
        return true;
    case Command::SleepTimer:
        if (m_ui.ShowSleepTimer())
            LoadSleepTimers();
        return true;
    case Command::PlaybackSpeed:
        if (!Available(command))
            return false;
        if (const std::optional<double> speed = m_ui.ShowPlaybackSpeed())
            SetSpeed(*speed);
        return true;
    case Command::CpuProfile:
        m_ui.ShowCpuProfile();
        return true;
    case Command::Playlist:
        ShowPlaylist();
        return true;
    case Command::SoundEffects:
        if (!Available(command))
            return false;
        ShowSoundEffects();
        return true;
    case Command::KeepSyncTime: {
        const bool keep = Settings::Get(m_profile, kKeepLyricsSync) != 1;
        Settings::Set(m_profile, kKeepLyricsSync, keep ? 1 : 0);
        Update([keep](PlayerState& s) { s.keepLyricsSync = keep; });
        return true;
    }
    case Command::SyncFaster:
    case Command::SyncDefault:
    case Command::SyncSlower:
        if (!Available(command))
            return false;
        SetLyricsSync(StepSync(command));
        return true;
    default:
        return false;
    }
}

int PlayerSession::StepSync(Command command) const {
    return command == Command::SyncDefault  ? 0
           : command == Command::SyncFaster ? m_controller->LyricsSync() + 1
                                            : m_controller->LyricsSync() - 1;
}

bool PlayerSession::StepLyricsSyncQuietly(Command command) {
    if (command != Command::SyncFaster && command != Command::SyncDefault &&
        command != Command::SyncSlower)
        return false;
    if (!Running() || !Available(command))
        return false;
    SetLyricsSync(StepSync(command), false);
    return true;
}

// The lyrics' sync offset, and its message on the display: "%.1f" seconds of half-second steps.
void PlayerSession::SetLyricsSync(int sync, bool message) {
    m_controller->SetLyricsSync(sync);
    Update([sync](PlayerState& s) { s.lyricsSync = sync; });
    if (!message)
        return;
    const int tenths = (sync < 0 ? -sync : sync) * 5;
    const std::string seconds = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    const std::u16string shown(seconds.begin(), seconds.end());
    if (sync == 0)
        ShowStatus(UI_TEXT("PlayerSession", "Lyrics Sync : %1 Second (Default Sync)").With(shown),
                   kSyncMessageMs);
    else if (sync > 0)
        ShowStatus(UI_TEXT("PlayerSession", "Lyrics Sync : %1 Second Faster").With(shown),
                   kSyncMessageMs);
    else
        ShowStatus(UI_TEXT("PlayerSession", "Lyrics Sync : %1 Second Slower").With(shown),
                   kSyncMessageMs);
}

bool PlayerSession::Available(Command command) const {
    switch (command) {
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
    case Command::KeepSyncTime:
    case Command::Settings:
    case Command::About:
        return true;
    case Command::ShowLyrics:
        return m_controller && m_controller->Lyrics().HasLyrics(); // timed lines or plain text
    case Command::EditFavorites:
        return m_playlist && m_playlist->Count() > 1;
    case Command::DownloadLyrics: { // the lyrics service knows MP3 files only
        if (!m_controller)
            return false;
        std::lock_guard lock(m_controller->TrackLock());
        return EntryTags::Lower(m_playlist->Current().ext) == u".mp3";
    }
    case Command::SleepTimer:
    case Command::CpuProfile:
    case Command::DisplayOnOff:
    case Command::PowerOff:
        return true;
    case Command::Playlist:
        return !m_playlistDialogOpen;
    case Command::PlaybackSpeed: // the run-time library plays a local track
        return UsesLibrary() && m_controller &&
               m_controller->CurrentMode() != PlaybackController::Mode::Stream &&
               m_controller->CurrentMode() != PlaybackController::Mode::MediaPlayer &&
               m_controller->CurrentMode() != PlaybackController::Mode::Engine;
    case Command::SoundEffects:
        return Running() && m_audio->EngineControls() && m_audio->LibraryControls();
    case Command::SyncFaster:
    case Command::SyncDefault:
    case Command::SyncSlower:
        return State().syncedLyrics; // the track has timed lyrics
    default:
        return false; // dialogs that come later
    }
}

void PlayerSession::KeyDown(uint32_t keyCode) {
    static constexpr uint32_t kKeepAwakeKey = 0x87; // sent by the player itself
    if (keyCode != kKeepAwakeKey)
        NoteInput();
    if (Running() && !Opening())
        m_dispatcher->KeyDown(keyCode);
}

void PlayerSession::Timer(uint32_t id) {
    if (Running())
        m_dispatcher->Timer(id);
}

void PlayerSession::SeekSliderMoving(int position) {
    if (Running() && !Opening())
        m_controller->SeekSliderMoving(position);
}

void PlayerSession::SeekSliderReleased(int position) {
    if (Running() && !Opening())
        m_controller->SeekSliderReleased(position);
}

void PlayerSession::SetVolumeStep(int step) {
    if (Running() && !Opening())
        ApplyVolume(step);
}

void PlayerSession::SetSpeed(double speed) {
    if (!Running() || Opening())
        return;
    m_controller->SetSpeed(speed);
    Update([speed](PlayerState& s) { s.speed = speed; });
}

int PlayerSession::ChannelFrequency() {
    return Running() ? m_controller->ChannelFrequency() : 0;
}

void PlayerSession::SetChannelFrequency(int hz) {
    if (Running() && !Opening())
        m_controller->SetChannelFrequency(hz);
}

int PlayerSession::BaseFrequency() {
    return Running() ? m_controller->BaseFrequency() : 0;
}

// ---- The sleep timers

void PlayerSession::SetClock(std::function<int64_t()> now) {
    m_clock = std::move(now);
}

int64_t PlayerSession::Now() const {
    return m_clock ? m_clock() : static_cast<int64_t>(std::time(nullptr));
}

SleepTimers::Record PlayerSession::SleepTimer(SleepTimers::Kind kind) const {
    return m_sleepTimers.Get(kind);
}

void PlayerSession::LoadSleepTimers() {
    const int64_t now = Now();
    m_sleepTimers.Set(SleepTimers::StopPlaying, Settings::Get(m_profile, kSleepPlayStop) == 1,
                      Settings::Get(m_profile, kSleepPlayStopTimer), now);
    m_sleepTimers.Set(SleepTimers::PowerOff, Settings::Get(m_profile, kSleepPowerOff) == 1,
                      Settings::Get(m_profile, kSleepPowerOffTimer), now);
    m_sleepTimers.Set(SleepTimers::DisplayOff, Settings::Get(m_profile, kSleepDisplayOff) == 1,
                      Settings::Get(m_profile, kSleepDisplayOffTimer), now);
    m_sleepTimerSet = m_sleepTimers.AnyEnabled();
}

void PlayerSession::NoteInput() {
    if (Running())
        m_sleepTimers.Rearm(Now());
    // Someone uses the player: a suspend that was asked for did not happen.
    m_powerOffPending = false;
}

void PlayerSession::RunSleepTimers() {
    const uint32_t due = m_sleepTimers.Check(Now());
    if ((due & SleepTimers::kStopPlayingDue) &&
        m_controller->ButtonShown(PlaybackSink::Button::Pause))
        m_controller->PauseCommand();
    if (due & SleepTimers::kPowerOffDue)
        m_sink.Post(kRunCommand, static_cast<uintptr_t>(CommandId(Command::PowerOff)), 0);
    if ((due & SleepTimers::kDisplayOffDue) && m_displayOn)
        m_sink.Post(kRunCommand, static_cast<uintptr_t>(CommandId(Command::DisplayOnOff)), 0);
}

// ---- Power

void PlayerSession::ToggleDisplay() {
    SwitchDisplay(!m_displayOn);
}

// With "StopSpectrum" 1 the meter window stops and hides while the screen is off.
void PlayerSession::SwitchDisplay(bool on) {
    m_displayOn = on;
    if (m_power)
        m_power->SetDisplay(on);
    if (!on && !m_metersStopped && Settings::Get(m_profile, kStopSpectrum) == 1)
        m_metersStopped = true;
    else if (on)
        m_metersStopped = false;
    const bool metersOff = m_metersStopped;
    Update([on, metersOff](PlayerState& s) {
        s.displayOn = on;
        s.metersOff = metersOff;
    });
}

// Something lit the screen the player had switched off: "AutoDisplayOff" puts it out again
// (unless the display-off timer is the one that does), else the player takes it as on.
void PlayerSession::CheckDisplay() {
    if (m_displayOn || !m_power || !m_power->DisplayIsOn())
        return;
    if (!m_sleepTimers.Get(SleepTimers::DisplayOff).enabled &&
        Settings::Get(m_profile, kAutoDisplayOff) == 1)
        m_power->SetDisplay(false);
    else
        SwitchDisplay(true);
}

// With "DecoderRestart" 1 the player stops first and keeps its place, and the wake-up starts
// the audio again there.
void PlayerSession::PowerOff() {
    const bool recover = Settings::Get(m_profile, kDecoderRestart) == 1;
    if (recover) {
        if (!m_displayOn)
            SwitchDisplay(true);
        if (m_controller->IsLoaded()) {
            m_playAfterWakeup = m_controller->IsPlaying();
            m_resumeMs = m_controller->LivePositionMs();
            if (!m_playlist->Current().path.empty()) {
                Settings::Set(m_profile, kCurPlayFilePath, m_playlist->Current().path);
                Settings::Set(m_profile, kCurPlayPos, m_resumeMs);
                Settings::Set(m_profile, kCurIndex, m_playlist->CurIndex());
            }
            m_controller->Stop(true, true);
        }
        m_controller->SetUserWantsPlay(false);
        m_powerOffPending = true;
    }
    if (!m_power) {
        SuspendFailed(PowerControl::SuspendResult::Unavailable);
        return;
    }
    m_power->Suspend([this](PowerControl::SuspendResult result) {
        if (result != PowerControl::SuspendResult::Started)
            SuspendFailed(result);
    });
}

// The system did not suspend: the player says so and plays on where Power Off stopped it.
void PlayerSession::SuspendFailed(PowerControl::SuspendResult result) {
    m_powerOffPending = false;
    const int32_t resumeMs = std::exchange(m_resumeMs, -1);
    if (std::exchange(m_playAfterWakeup, false) && m_controller->OpenCurrent(true)) {
        if (resumeMs > 0)
            m_controller->SeekTo(resumeMs);
        m_controller->SetUserWantsPlay(true);
        m_controller->Play();
    }
    if (result == PowerControl::SuspendResult::Refused)
        ShowStatus(UI_TEXT("PlayerSession", "Power off refused: no permission to suspend"), 3000);
    else
        ShowStatus(UI_TEXT("PlayerSession", "Power off: this system cannot suspend"), 3000);
}

// After a wake-up: the audio starts again at the place the player had, and plays on when it
// played; when the audio does not start the program starts again.
void PlayerSession::RestartDecoder() {
    if (!m_displayOn)
        SwitchDisplay(true);
    const int32_t resumeMs = std::exchange(m_resumeMs, -1);
    const bool playAfter = std::exchange(m_playAfterWakeup, false);
    m_restartWithPlay = playAfter || m_controller->IsPlaying() || m_controller->UserWantsPlay();
    if (!RestartAudio(resumeMs)) {
        m_wakeupPending = false;
        m_powerOffPending = false;
        m_sink.Post(kRestartProgram, 0, 0);
        return;
    }
    m_wakeupPending = false;
    m_powerOffPending = false;
    if (playAfter && m_controller->IsLoaded() && !m_controller->IsPlaying()) {
        m_controller->SetUserWantsPlay(true);
        m_controller->Play();
    }
    m_sleepTimers.Rearm(Now(), true);
    m_ui.Window(SessionUi::WindowAction::Foreground);
}

// A restart loop ends here: a second restart within kRestartGuardSeconds of the last only
// closes the program.
void PlayerSession::RestartProgram(bool forSettings) {
    const UiText title = UI_TEXT("PlayerSession", "Sonvale Alarm");
    if (forSettings) {
        m_ui.ShowBubble(title,
                        UI_TEXT("PlayerSession",
                                "<HTML><BODY>Sonvale is restarting. Please wait only for a little "
                                "between until a restart is completed.</BODY></HTML>"),
                        20);
        m_ui.Window(SessionUi::WindowAction::Restart);
        return;
    }
    const int64_t now = Now();
    const int64_t last = Settings::Get(m_profile, kRestartTime);
    Settings::Set(m_profile, kRestartTime, static_cast<int32_t>(now));
    if (now >= last && now - last < kRestartGuardSeconds) {
        m_ui.Window(SessionUi::WindowAction::Close);
        return;
    }
    m_ui.ShowBubble(
        title,
        UI_TEXT("PlayerSession",
                "<HTML><BODY>By the PDA power off, during decoder recovery, an error "
                "occurs and Sonvale is restarted. Please wait only for a little between "
                "until a restart is completed.</BODY></HTML>"),
        20);
    m_ui.Window(m_restartWithPlay ? SessionUi::WindowAction::Restart
                                  : SessionUi::WindowAction::RestartQuietly);
}

void PlayerSession::Activate(bool active) {
    m_active = active;
    if (!Running())
        return;
    if (active) {
        ApplyVolume(State().volume);
        if (!m_playlistDialogOpen)
            m_hotKeys.RegisterMapped(m_keyMap);
    } else if (m_playlistDialogOpen) {
        m_hotKeys.ReleaseMapped(m_keyMap);
    } else {
        m_hotKeys.GoToBackground(m_keyMap);
    }
    PublishHotKeys();
}

void PlayerSession::HotKey(uint32_t keyCode) {
    if (!m_hotKeys.IsRegistered(keyCode))
        return;
    NoteInput();
    if (Running() && !Opening())
        m_dispatcher->HotKey(keyCode << 16);
}

void PlayerSession::OpenCommandLine(const std::u16string& commandLine) {
    const std::u16string path = Unquoted(commandLine);
    if (path == u"AppRunAfterWakeup" && Running() &&
        Settings::Get(m_profile, kDecoderRestart) == 1) {
        m_wakeupPending = true;
        m_sink.Post(kRestartDecoder, 0, 0);
        return;
    }
    if (path.empty() || path == u"PowerOnRestart" || path == u"PowerOnRestart&Play" ||
        path == u"AppRunAfterWakeup")
        return;
    OpenPathLater(path);
}

void PlayerSession::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!Running())
        return;
    // Messages that arrive while the library opens a file wait for the open to end.
    if (Opening()) {
        m_deferred.push_back({message, wParam, lParam});
        return;
    }
    RunDeferred();
    Handle(message, wParam, lParam);
}

bool PlayerSession::Opening() const {
    return m_controller && m_controller->Opening();
}

void PlayerSession::RunDeferred() {
    while (!m_deferred.empty() && !Opening()) {
        const Deferred next = m_deferred.front();
        m_deferred.erase(m_deferred.begin());
        Handle(next.message, next.wParam, next.lParam);
    }
}

void PlayerSession::Handle(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case kStartupContinuation:
        StartupContinuation();
        break;
    case kRestorePlaylist:
        RestorePlaylist();
        break;
    case kOpenStartupFolder:
        m_opener->OpenStartupFolder();
        break;
    case kOpenFile:
        if (!m_pendingPath.empty())
            m_opener->OpenPath(std::exchange(m_pendingPath, std::u16string()));
        break;
    case kShowNotices:
        m_playlist->ShowNotices();
        break;
    case kApplyOutputVolume:
        SetOutputVolume(static_cast<uint32_t>(wParam));
        break;
    case kCheckPowerSupply:
        // Off the mains with no battery: power off while there is time to store the place.
        if (PowerSupply::Failing(PowerSupply::Read(m_powerSupplyFolder)))
            Run(Command::PowerOff);
        break;
    case kCheckBackgroundKeys:
        if (!m_active && !m_playlistDialogOpen) {
            m_hotKeys.CheckInBackground(m_keyMap, HotKeys::InUse{m_lyricsPageOpen, m_effectsOpen});
            PublishHotKeys();
        } else {
            CheckDisplay();
        }
        break;
    case kRestartProgram:
        RestartProgram(wParam == kRestartForSettings);
        break;
    case kRestartDecoder:
        RestartDecoder();
        break;
    case kRunCommand:
        if (const std::optional<Command> command = CommandFromId(static_cast<int>(wParam)))
            Run(*command);
        break;
    case kRunSleepTimers:
        RunSleepTimers();
        break;
    default:
        m_controller->HandleMessage(message, wParam, lParam);
        break;
    }
}

// Start-up continuation: a file named on the command line, the start-up folder, or the saved
// playlist.
void PlayerSession::StartupContinuation() {
    const std::u16string line = Unquoted(m_startLine);
    if (line == u"PowerOnRestart" || line == u"PowerOnRestart&Play") {
        m_playlist->SetRestartFlags(true, line == u"PowerOnRestart&Play");
        m_sink.Post(kRestorePlaylist, 0, 0);
    } else if (line.empty()) {
        if (Settings::Get(m_profile, kOpenFolderAtStartup) == 1)
            m_sink.Post(kOpenStartupFolder, 0, 0);
        else if (Settings::Get(m_profile, kSaveDefList) == 1)
            m_sink.Post(kRestorePlaylist, 0, 0);
    } else {
        OpenPathLater(line);
    }
}

void PlayerSession::OpenPathLater(const std::u16string& path) {
    m_pendingPath = path;
    m_sink.Post(kOpenFile, 0, 0);
}

void PlayerSession::RestorePlaylist() {
    WaitForListWrite();
    {
        // The saved track may play before the rest of the list is read: the monitor's thread
        // waits for the whole list.
        std::lock_guard lock(m_controller->TrackLock());
        m_playlist->PlaylistRestore();
    }
    // The demo never takes the place of a saved list, even one that could not be read.
    if (m_playlist->Count() == 0 && m_playlist->Current().path.empty() &&
        !m_playlist->SavedListFound())
        PlayDemoOnFirstStart();
    // What the start-up has to tell, once it has started playing.
    m_sink.Post(kShowNotices, 0, 0);
}

// The first start with nothing to play plays the demo track (with its lyrics), copied from the
// program's resources into the data folder.
void PlayerSession::PlayDemoOnFirstStart() {
    if (Settings::Get(m_profile, kDemoPlayed) == 1)
        return;
    Settings::Set(m_profile, kDemoPlayed, 1);
    const std::filesystem::path folder = std::filesystem::path(Folders::DataFolder()) / "demo";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const char* name : {"sonvale-demo.lrc", "sonvale-demo.ogg"}) {
        const std::filesystem::path target = folder / name;
        if (std::filesystem::exists(target, error))
            continue;
        const std::string bytes = m_ui.Resource(std::string("demo/") + name);
        if (bytes.empty() || !AtomicFile::Write(target.string(), bytes))
            return;
    }
    OpenPathLater(TextCodec::Utf8ToUtf16((folder / "sonvale-demo.ogg").string()));
}

// ---- Key functions

// A key function: the rules of the function table decide, the controller plays.
void PlayerSession::RunKeyFunction(uint32_t functionCode) {
    if (!Running())
        return;
    const PlayerState shown = State();
    auto visible = [&shown](Button button) { return shown.buttons[ButtonIndex(button)] == 1; };
    KeyViewState state;
    state.hold = m_hold;
    state.lyricsListOpen = m_lyricsPageOpen;
    state.playlistDialogOpen = m_playlistDialogOpen;
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
    state.playShown = visible(Button::Play);
    state.stopShown = visible(Button::Stop);
    state.pauseShown = visible(Button::Pause);
    state.previousShown = visible(Button::Previous);
    state.nextShown = visible(Button::Next);
    state.openFilesShown = m_openFilesShown;
    state.exitShown = m_exitShown;

    const KeyAction action = KeyFunctionRules::Resolve(functionCode, state);
    const bool displayWasOn = m_displayOn;
    switch (action) {
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
        Focus(PlayerObserver::Control::Seek);
        m_controller->Rewind();
        break;
    case KeyAction::FastForward:
        Focus(PlayerObserver::Control::Seek);
        m_controller->FastForward();
        break;
    case KeyAction::VolumeUp:
    case KeyAction::VolumeDown:
        StepVolume(action == KeyAction::VolumeUp);
        break;
    case KeyAction::MarkSection:
        MarkSection();
        break;
    case KeyAction::ToggleMute:
        for (PlayerObserver* observer : m_observers)
            observer->MuteToggleRequested();
        break;
    case KeyAction::PowerOff:
        m_sink.Post(kRunCommand, static_cast<uintptr_t>(CommandId(Command::PowerOff)), 0);
        break;
    case KeyAction::ToggleDisplay:
        ToggleDisplay();
        break;
    case KeyAction::SpeedUp:
        m_controller->SpeedStep(+1);
        break;
    case KeyAction::SpeedDown:
        m_controller->SpeedStep(-1);
        break;
    case KeyAction::DeleteFile:
        DeleteFile();
        break;
    case KeyAction::OpenFiles:
        OpenFiles();
        break;
    case KeyAction::Exit:
        m_ui.Window(SessionUi::WindowAction::Close);
        break;
    case KeyAction::ToggleHold: {
        const bool hold = !m_hold;
        m_hold = hold;
        Update([hold](PlayerState& s) { s.hold = hold; });
        break;
    }
    case KeyAction::Minimize:
        m_ui.Window(SessionUi::WindowAction::Minimize);
        break;
    case KeyAction::Restore:
        m_ui.Window(SessionUi::WindowAction::Restore);
        break;
    case KeyAction::SpeakTime:
        SpeakTime();
        break;
    case KeyAction::ToggleShuffle:
        Run(Command::Shuffle);
        break;
    case KeyAction::ShowPlaylist:
        if (!m_active)
            m_ui.Window(SessionUi::WindowAction::Restore);
        ShowPlaylist();
        break;
    default:
        break; // the playlist dialog: later
    }
    // The key may have lit the screen; the player keeps it off until Display On/Off.
    if (KeyFunctionRules::SwitchDisplayOffAgain(functionCode, displayWasOn) && !m_displayOn &&
        m_power)
        m_power->SetDisplay(false);
}

void PlayerSession::StepVolume(bool up) {
    Focus(PlayerObserver::Control::Volume);
    const PlayerState state = State();
    const int32_t volume = up ? VolumeStep::Up(state.volume, state.volumeRange)
                              : VolumeStep::Down(state.volume, state.volumeRange);
    if (m_displayOn)
        ShowStatus(VolumeStep::Text(volume, state.volumeRange), 600);
    ApplyVolume(volume);
}

// "Volume" and the back end's volume; while muted only the mute switch keeps it.
void PlayerSession::ApplyVolume(int32_t volume) {
    int32_t range = 0;
    Update([&](PlayerState& s) {
        s.volume = volume;
        range = s.volumeRange;
    });
    Settings::Set(m_profile, kVolume, volume);
    m_controller->SetVolume(volume, range);
    if (!m_muted)
        m_controller->ApplyVolume();
}

void PlayerSession::ShowSettings() {
    const int32_t useDefaultDecoder = Settings::Get(m_profile, kUseDefaultDecoder);
    const int32_t useSystemVolume = Settings::Get(m_profile, kUseSystemVolume);
    if (ShowOptionSheet(SessionUi::kSettingsPages))
        ApplySettings(useDefaultDecoder, useSystemVolume);
    if (m_active) {
        m_hotKeys.RegisterMapped(m_keyMap); // the map the sheet left
        PublishHotKeys();
    }
}

// The sheet's sliders take the arrow keys: Left and Right are no hot keys while it is up.
void PlayerSession::ShowSoundEffects() {
    m_effectsOpen = true;
    m_hotKeys.Release(37);
    m_hotKeys.Release(39);
    PublishHotKeys();
    m_ui.ShowSoundEffects();
    m_effectsOpen = false;
    if (m_active)
        m_hotKeys.RegisterMapped(m_keyMap);
    PublishHotKeys();
}

bool PlayerSession::ShowOptionSheet(uint32_t mask) {
    m_hotKeys.ReleaseMapped(m_keyMap);
    PublishHotKeys();
    const bool ok = m_ui.ShowOptions(mask);
    if (m_active)
        m_hotKeys.RegisterMapped(m_keyMap);
    PublishHotKeys();
    return ok;
}

void PlayerSession::PublishHotKeys() {
    const std::vector<uint16_t> keys(m_hotKeys.Registered().begin(), m_hotKeys.Registered().end());
    const bool background = !m_active;
    Update([&](PlayerState& s) {
        s.hotKeys = keys;
        s.background = background;
    });
}

std::vector<uint32_t> PlayerSession::FunctionsOfKey(uint16_t keyCode) const {
    std::vector<uint32_t> functions;
    for (bool dbl : {false, true}) {
        if (const std::optional<uint32_t> function = m_keyMap.Find(keyCode, dbl))
            functions.push_back(*function);
    }
    return functions;
}

// The controller reads the seek interval, the list and resume switches, the zero-sample and
// lyrics-seek switches when it uses them; what is kept here is taken again.
void PlayerSession::ApplySettings(int32_t useDefaultDecoder, int32_t useSystemVolume) {
    if (Settings::Get(m_profile, kUseSystemVolume) != useSystemVolume)
        ApplyVolume(State().volume);
    if (m_controller->IsPlaying())
        HoldBacklight(Settings::Get(m_profile, kNoUsePowerSave) == 1);
    m_keyMap.Load(m_profile); // with "ContKeyMap"
    if (Settings::Get(m_profile, kUseDefaultDecoder) != useDefaultDecoder && !RestartAudio())
        m_sink.Post(kRestartProgram, kRestartForSettings, 0);
}

bool PlayerSession::RestartAudio(int32_t resumeMs) {
    std::lock_guard track(m_controller->TrackLock());
    const int32_t position =
        resumeMs >= 0 ? resumeMs : (m_controller->IsLoaded() ? m_controller->LivePositionMs() : 0);
    if (m_controller->IsPlaying())
        m_controller->Stop(false);
    m_ui.BeginWait();
    m_ticking = false;
    m_audio->Shutdown();
    m_playlist->SetTagSource(nullptr);
    if (!m_audio->Start()) {
        // The program starts again where it was.
        Settings::Set(m_profile, kSaveDefList, 1);
        Settings::Set(m_profile, kResume, 1);
        if (!m_playlist->Current().path.empty()) {
            Settings::Set(m_profile, kCurPlayFilePath, m_playlist->Current().path);
            Settings::Set(m_profile, kCurPlayPos, position);
        }
        m_ui.EndWait();
        return false;
    }
    m_playlist->SetTagSource(m_audio->Tags());
    m_controller->SetBackends(m_audio->Library(), m_audio->Engine());
    m_audio->SetOutputVolume(m_outputVolume);
    ApplyVolume(State().volume);
    m_controller->SetDecoderRestarted(true);
    m_ticking = true;
    m_audio->ActivateTick();
    if (!m_playlist->Current().path.empty() && m_controller->OpenCurrent(true) && position > 0)
        m_controller->SeekTo(position);
    m_ui.EndWait();
    if (m_controller->IsLoaded() && m_controller->UserWantsPlay())
        m_controller->Play();
    return true;
}

void PlayerSession::SetStreamBufferSize(int ms) {
    if (Running())
        m_audio->SetStreamBufferSize(ms);
}

void PlayerSession::ApplyStreamingOptions() {
    if (Running())
        m_audio->ApplyStreamingOptions();
}

// The next A-B point at the slider's position: A, then B, then none.
void PlayerSession::MarkSection() {
    if (!m_seekMarks)
        return;
    int count = 0, a = 0, b = 0;
    Update([&](PlayerState& s) {
        if (s.markCount == 0)
            s.markA = s.seekPosition;
        else if (s.markCount == 1)
            s.markB = s.seekPosition;
        s.markCount = s.markCount < 2 ? s.markCount + 1 : 0;
        count = s.markCount;
        a = std::min(s.markA, s.markB);
        b = std::max(s.markA, s.markB);
    });
    m_controller->SetSectionMarks(count, a, b);
}

// The slider's A-B marks and the controller's repeat, in 100 ms units.
void PlayerSession::SetMarks(int count, int a, int b) {
    Update([&](PlayerState& s) {
        s.markCount = count;
        s.markA = a;
        s.markB = b;
    });
    m_controller->SetSectionMarks(count, a, b);
}

void PlayerSession::SeekToLyricLine(int key) {
    if (!Running() || Opening() || key < 0)
        return;
    std::lock_guard lock(m_controller->TrackLock());
    if (!m_controller->IsPlaying() && !m_controller->IsPaused())
        return;
    SetMarks(0, 0, 0);
    m_controller->SeekTo(key * LyricsData::kMsPerKey);
}

void PlayerSession::LoopLyricLine(int key) {
    if (!Running() || Opening() || key < 0)
        return;
    std::lock_guard lock(m_controller->TrackLock());
    if (!m_controller->IsPlaying() && !m_controller->IsPaused())
        return;
    const std::vector<int>& times = m_controller->Lyrics().times;
    const auto next = std::upper_bound(times.begin(), times.end(), key);
    const int32_t start = key * LyricsData::kMsPerKey;
    const int32_t end = next != times.end() ? *next * LyricsData::kMsPerKey
                                            : m_controller->DurationMs() - LyricsData::kMsPerKey;
    if (end <= start)
        return;
    m_controller->SeekTo(start);
    SetMarks(2, start / 100, end / 100);
}

void PlayerSession::SetLyricsPageOpen(bool open) {
    m_lyricsPageOpen = open;
}

void PlayerSession::SpeakTime() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    SpokenTimePlayer speaker(
        [this](uint32_t id) { return m_ui.Resource("sounds/" + std::to_string(id) + ".wav"); });
    speaker.Play(SpokenTime::Sounds(local.tm_hour, local.tm_min));
}

// ---- Opening and the list

void PlayerSession::OpenFiles() {
    const std::vector<std::u16string> files = m_ui.ChooseFiles(Settings::Get(m_profile, kLastPath));
    if (!files.empty())
        m_opener->OpenFiles(files);
}

void PlayerSession::OpenFolder() {
    // The page writes the folder and its choices; a changed folder is opened.
    const std::u16string before = Settings::Get(m_profile, kOpenFolderName);
    if (m_ui.ShowOptions(SessionUi::kOpenFolderPage))
        m_opener->OpenFolder(before);
}

void PlayerSession::OpenUrl() {
    if (const std::optional<std::u16string> address = m_ui.AskAddress())
        m_opener->OpenUrl(*address);
}

void PlayerSession::DeleteFile() {
    if (m_deleting)
        return;
    m_deleting = true;
    m_opener->DeleteCurrentFile();
    m_deleting = false;
}

// The current entry and its playlist entry (found by path) change together.
void PlayerSession::ToggleFavorite() {
    FileInfo& current = m_playlist->Current();
    if (current.path.empty())
        return;
    const bool favorite = current.favorite != 1;
    current.favorite = favorite ? 1 : 0;
    for (int i = 0; i < m_playlist->Count(); ++i)
        if (Playlist::SamePath(m_playlist->PathAt(i), current.path)) {
            m_playlist->SetFavoriteAt(i, current.favorite);
            break;
        }
    m_playlist->RemoveFavorite(current.path);
    if (favorite)
        m_playlist->AddFavorite(current.path);
    Update([favorite](PlayerState& s) { s.currentFavorite = favorite; });
}

std::vector<FileInfo> PlayerSession::PlaylistEntries(int& current) const {
    current = -1;
    if (!m_controller)
        return {};
    std::lock_guard lock(m_controller->TrackLock());
    const Playlist& list = *m_playlist;
    current = list.CurIndex();
    return list.AllEntries();
}

// The current entry keeps its own copy of the mark, which the menu shows.
void PlayerSession::SetFavoriteMarks(const std::vector<std::pair<std::u16string, bool>>& marks) {
    if (!m_controller)
        return;
    bool currentFavorite = false;
    {
        std::lock_guard lock(m_controller->TrackLock());
        Playlist& list = *m_playlist;
        FileInfo& current = list.Current();
        std::vector<std::u16string> favorites;
        for (const auto& [path, marked] : marks) {
            for (int i = 0; i < list.Count(); ++i)
                if (Playlist::SamePath(list.PathAt(i), path))
                    list.SetFavoriteAt(i, marked ? 1 : 0);
            if (!current.path.empty() && Playlist::SamePath(current.path, path))
                current.favorite = marked ? 1 : 0;
            if (marked)
                favorites.push_back(path);
        }
        list.SetFavorites(favorites);
        currentFavorite = current.favorite == 1;
    }
    Update([currentFavorite](PlayerState& s) { s.currentFavorite = currentFavorite; });
}

void PlayerSession::DownloadLyricsFor(const std::vector<FileInfo>& entries) {
    if (!entries.empty())
        m_ui.ShowLyricsDownload(entries);
}

void PlayerSession::LyricsWritten(const std::u16string& path) {
    if (!m_controller)
        return;
    std::lock_guard lock(m_controller->TrackLock());
    FileInfo written;
    written.path = path;
    if (m_controller->IsLoaded() && Playlist::SamePath(m_playlist->Current(), written))
        m_controller->ReloadLyrics();
}

void PlayerSession::EnableFavorites() {
    const bool on = Settings::Get(m_profile, kEnableFavorites) != 1;
    Settings::Set(m_profile, kEnableFavorites, on ? 1 : 0);
    Update([on](PlayerState& s) { s.favoritesEnabled = on; });
    const std::optional<FileInfo> entry = m_playlist->EntryAt(m_playlist->CurIndex());
    if (on && m_playlist->Count() >= 2 && entry && entry->favorite != 1)
        m_controller->NextTrack();
}

// The playlist files and the resume values follow the list while the program runs, so that a
// crash or a kill loses nothing. A track change holding the track lock is waited out by the
// next round.
void PlayerSession::SaveListsIfChanged() {
    if (Running() && !Opening())
        RunDeferred();
    if (!Running() || Opening() ||
        (m_listWrite.valid() &&
         m_listWrite.wait_for(std::chrono::seconds(0)) != std::future_status::ready))
        return;
    std::unique_lock lock(m_controller->TrackLock(), std::try_to_lock);
    if (!lock.owns_lock())
        return;
    m_playlist->SaveResumeValues(m_controller->PositionMs());
    std::optional<Playlist::ListFiles> files = m_playlist->ChangedLists();
    lock.unlock();
    if (files)
        m_listWrite = std::async(std::launch::async, [this, files = std::move(*files)]() mutable {
            m_playlist->WriteLists(std::move(files)); // the future keeps the closure
        });
}

void PlayerSession::WaitForListWrite() {
    if (m_listWrite.valid())
        m_listWrite.wait();
}

// The values written at exit; the effect values are written again, from the back end that was
// in use, when the audio shuts down.
void PlayerSession::WriteSettingsAtExit() {
    const PlayerState state = State();
    ExitSettings exit;
    exit.systemVolume = m_outputVolume;
    exit.volume = state.volume;
    exit.lastPath = Settings::Get(m_profile, kLastPath);
    exit.shuffle = Settings::Get(m_profile, kShuffle);
    exit.repeat = Settings::Get(m_profile, kRepeat);
    exit.repeatType = Settings::Get(m_profile, kRepeatType);
    exit.alwaysOnTop = state.alwaysOnTop ? 1 : 0;
    exit.buttonMode = state.buttonMode;
    exit.enableFavorites = Settings::Get(m_profile, kEnableFavorites);
    exit.keepLyricsSync = Settings::Get(m_profile, kKeepLyricsSync);
    exit.lyricsSync = state.lyricsSync;
    exit.resume = Settings::Get(m_profile, kResume);
    exit.curPlayFilePath = m_playlist->Current().path;
    exit.curPlayPos = m_controller->PositionMs();
    exit.curIndex = m_playlist->CurIndex();
    exit.useDefaultDecoder = m_audio->UseDefaultDecoder();
    exit.effects = Settings::ReadEffects(m_profile);
    Settings::WriteAtExit(m_profile, exit);
}

void PlayerSession::Shutdown() {
    if (!m_started || m_shutDown)
        return;
    m_shutDown = true;
    m_ticking = false;
    StopMonitor();
    WaitForListWrite();
    WriteSettingsAtExit();
    m_ui.StopTimer(KeyDispatcher::kTimerId);
    m_hotKeys.ReleaseMapped(m_keyMap);
    PublishHotKeys();
    m_playlist->PlaylistStore(m_controller->PositionMs());
    m_media->Stop();
    m_audio->Shutdown(); // writes the effect values, closes the library's stream and the library
}

// ---- Levels and volumes

// The run-time library's start-up hands over its functions for the meters; both stop before it
// closes.
bool PlayerSession::StartVuMeter(const FmodFunctions& fsound) {
    m_fsound = &fsound;
    return true;
}

bool PlayerSession::StartSpectrum(const FmodFunctions& fsound) {
    return m_meterFeed.Start(fsound);
}

float PlayerSession::LibraryCpuUsage() const {
    return m_fsound && m_fsound->GetCPUUsage ? m_fsound->GetCPUUsage() : 0.0f;
}

void PlayerSession::StopVuMeter() {
    m_meterFeed.Stop();
    m_fsound = nullptr;
}

void PlayerSession::StopSpectrum() {
    m_meterFeed.Stop();
}

void PlayerSession::SetMeterHooks(bool on) {
    if (on && !m_meterFeed.Started() && m_fsound)
        m_meterFeed.Start(*m_fsound);
    m_meterFeed.SetHooks(on);
}

void PlayerSession::StartLevels() {
    if (Running())
        m_audio->SetEngineLevelMeter(true);
}

void PlayerSession::StopLevels() {
    if (Running())
        m_audio->SetEngineLevelMeter(false);
}

// The levels of what plays: the library's channel, or the built-in engine's meter.
bool PlayerSession::Levels(float& left, float& right) {
    left = right = 0.0f;
    if (!Running() || !m_controller->IsPlaying())
        return false;
    if (m_controller->CurrentMode() == PlaybackController::Mode::Library) {
        const int channel = m_controller->LibraryChannel();
        return channel >= 0 && m_audio->Library().Levels(channel, left, right);
    }
    return m_audio->EngineLevels(left, right);
}

void PlayerSession::SetOutputVolume(uint32_t volume) {
    m_outputVolume = volume;
    if (Running())
        m_audio->SetOutputVolume(volume);
}

int PlayerSession::ChannelVolume() {
    return Running() ? m_audio->ChannelVolume(m_controller->LibraryChannel()) : 255;
}

void PlayerSession::SetChannelVolume(int volume) {
    if (Running())
        m_audio->SetChannelVolume(m_controller->LibraryChannel(), volume);
}

void PlayerSession::SetMuted(bool muted) {
    m_muted = muted;
}

// ---- PlaybackSink

void PlayerSession::ShowTitle(const FileInfo& entry) {
    Update([&entry](PlayerState& s) {
        s.titleEntry = entry;
        s.currentFavorite = entry.favorite == 1;
        s.titleName.clear();
        ++s.titleSerial;
    });
}

void PlayerSession::ShowStatus(const UiText& text, int durationMs) {
    for (PlayerObserver* observer : m_observers)
        observer->StatusShown(text, durationMs);
}

void PlayerSession::SetPanelTime(int seconds) {
    Update([seconds](PlayerState& s) { s.elapsedSeconds = seconds; });
}

void PlayerSession::SetPanelTotal(int seconds) {
    Update([seconds](PlayerState& s) { s.totalSeconds = seconds; });
}

void PlayerSession::SetPanelFormat(const std::u16string& rate, const std::u16string& bitrate) {
    Update([&](PlayerState& s) {
        s.rate = rate;
        s.bitrate = bitrate;
    });
}

void PlayerSession::SetTrackNumber(int number) {
    Update([number](PlayerState& s) { s.trackNumber = number; });
}

void PlayerSession::SetPanelState(PanelState panel) {
    Update([panel](PlayerState& s) {
        s.panel = panel;
        s.playing = panel == PanelState::Play;
        s.paused = panel == PanelState::Pause;
    });
}

void PlayerSession::ShowSeekSlider(bool show) {
    Update([show](PlayerState& s) { s.seekShown = show ? 1 : 0; });
}

void PlayerSession::SetSeekRange(int maximum) {
    Update([maximum](PlayerState& s) { s.seekMaximum = maximum; });
}

void PlayerSession::SetSeekPos(int position) {
    Update([position](PlayerState& s) { s.seekPosition = position; });
}

void PlayerSession::ShowButton(Button button, bool show) {
    Update([button, show](PlayerState& s) { s.buttons[ButtonIndex(button)] = show ? 1 : 0; });
}

void PlayerSession::FocusButton(Button button) {
    static constexpr PlayerObserver::Control kControls[] = {
        PlayerObserver::Control::Play, PlayerObserver::Control::Pause,
        PlayerObserver::Control::Stop, PlayerObserver::Control::Previous,
        PlayerObserver::Control::Next};
    Focus(kControls[ButtonIndex(button)]);
}

void PlayerSession::SetSpectrum(Spectrum action) {
    Update([action](PlayerState& s) { s.spectrum = action; });
}

// Called with the controller's track lock held, so its lyrics can be read here.
void PlayerSession::LyricsLoaded() {
    const bool synced = !m_controller->Lyrics().times.empty();
    m_syncedLyrics = synced;
    m_wordTimes = !m_controller->Lyrics().wordsByTime.empty();
    Update([synced](PlayerState& s) {
        s.syncedLyrics = synced;
        ++s.lyricsSerial;
    });
}

void PlayerSession::ShowLyric(const LyricsData::Lookup& line) {
    Update([&line](PlayerState& s) {
        s.lyric = line;
        ++s.lyricSerial;
    });
}

void PlayerSession::PostToView(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    m_sink.Post(message, wParam, lParam);
}

void PlayerSession::CurrentEntryChanged(const FileInfo& entry) {
    const int index = m_playlist->CurIndex();
    const bool favorite = entry.favorite == 1;
    Update([index, favorite](PlayerState& s) {
        s.currentIndex = index;
        s.currentFavorite = favorite;
    });
}

void PlayerSession::SpeedApplied(double speed) {
    Update([speed](PlayerState& s) { s.speed = speed; });
}

void PlayerSession::HoldBacklight(bool hold) {
    Update([hold](PlayerState& s) { s.holdBacklight = hold; });
}

// The controller's volume rule may run on the monitor's thread: the output volume is set on the
// UI thread.
void PlayerSession::SetWaveOutVolume(uint32_t volume) {
    m_sink.Post(kApplyOutputVolume, volume, 0);
}

// ---- PlaylistHost

bool PlayerSession::MessageBox(const UiText& text, const UiText& caption, Box box) {
    if (box == Box::Question)
        return m_ui.Ask(text, caption);
    m_ui.MessageBox(text, caption);
    return true;
}

void PlayerSession::ShowTitle(const std::u16string& text) {
    Update([&text](PlayerState& s) {
        if (text.empty()) { // nothing loaded: the line shows nothing
            s.titleEntry = FileInfo();
            s.currentFavorite = false;
        }
        s.titleName = text;
        ++s.titleSerial;
    });
}

void PlayerSession::BeginWait() {
    m_ui.BeginWait();
}

void PlayerSession::EndWait() {
    m_ui.EndWait();
}

bool PlayerSession::MoveToTrash(const std::u16string& path) {
    return m_ui.MoveToTrash(path);
}

bool PlayerSession::OpenCurrent() {
    return m_controller->OpenCurrent(true);
}

void PlayerSession::Seek(int32_t ms) {
    m_controller->SeekTo(ms);
}

void PlayerSession::Play() {
    m_controller->SetUserWantsPlay(true);
    m_controller->Play();
}

bool PlayerSession::IsPlaying() {
    return m_controller && m_controller->IsPlaying();
}

void PlayerSession::Stop() {
    m_controller->Stop();
}

bool PlayerSession::StepTrack(int step) {
    return m_controller->StepTrack(step, true);
}

// ---- KeyDispatcher::Host

uint32_t PlayerSession::NowMs() {
    using namespace std::chrono;
    return static_cast<uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void PlayerSession::StartTimer(uint32_t id, uint32_t intervalMs) {
    m_ui.StartTimer(id, intervalMs);
}

void PlayerSession::StopTimer(uint32_t id) {
    m_ui.StopTimer(id);
}

void PlayerSession::RunFunction(uint32_t functionCode) {
    RunKeyFunction(functionCode);
}

// ---- The playlist dialog

void PlayerSession::ShowPlaylist() {
    if (m_playlistDialogOpen)
        return; // one at a time
    SetPlaylistDialogOpen(true);
    m_ui.ShowPlaylist();
    SetPlaylistDialogOpen(false);
}

void PlayerSession::SetPlaylistDialogOpen(bool open) {
    m_playlistDialogOpen = open;
    if (!Running())
        return;
    if (open)
        m_hotKeys.ReleaseMapped(m_keyMap);
    else if (m_active)
        m_hotKeys.RegisterMapped(m_keyMap);
    PublishHotKeys();
}

std::vector<FileInfo> PlayerSession::PlaylistEntries() const {
    if (!m_playlist)
        return {};
    std::lock_guard lock(m_controller->TrackLock());
    return m_playlist->AllEntries();
}

int PlayerSession::PlaylistCount() const {
    if (!m_playlist)
        return 0;
    std::lock_guard lock(m_controller->TrackLock());
    return m_playlist->Count();
}

int PlayerSession::PlayingRow() const {
    if (!m_playlist)
        return -1;
    std::lock_guard lock(m_controller->TrackLock());
    const std::u16string& path = m_playlist->Current().path;
    if (path.empty())
        return -1;
    const int index = m_playlist->IndexOfExact(path);
    return index < m_playlist->Count() ? index : -1;
}

void PlayerSession::EditPlaylist(const std::function<void(Playlist&)>& change) {
    if (!Running())
        return;
    int shownIndex = -1;
    {
        std::lock_guard lock(m_controller->TrackLock());
        Playlist& list = *m_playlist;
        const std::u16string previousPath =
            list.EntryAt(list.PrevIndex()) ? std::u16string(list.PathAt(list.PrevIndex())) : u"";
        const int before = list.CurIndex();
        change(list);

        // The favourites in the list's new order.
        list.FavoritesFromEntries();

        const std::u16string& current = list.Current().path;
        if (!current.empty())
            list.SetCurIndex(list.IndexOfExact(current));
        else if (list.CurIndex() >= list.Count())
            list.SetCurIndex(0);
        const int previousIndex = list.IndexOfExact(previousPath);
        list.SetPrevIndex(previousIndex < list.Count() ? previousIndex : list.CurIndex());
        list.SetListMode(list.Count() > 1);
        if (list.CurIndex() != before)
            shownIndex = list.CurIndex();
    }
    if (shownIndex >= 0)
        SetTrackNumber(shownIndex + 1);
}

void PlayerSession::SortPlaylist(SortKey key) {
    EditPlaylist([key](Playlist& list) {
        if (list.Count() < 2)
            return;
        auto field = [key](const FileInfo& entry) -> const std::u16string& {
            switch (key) {
            case SortKey::Name:
                return entry.name;
            case SortKey::Path:
                return entry.path;
            case SortKey::Title:
                return entry.title;
            case SortKey::Artist:
                return entry.artist;
            case SortKey::Album:
                break;
            }
            return entry.album;
        };
        // Letters compare without case; equal texts keep their order.
        std::vector<std::pair<std::u16string, size_t>> keys;
        keys.reserve(static_cast<size_t>(list.Count()));
        for (int i = 0; i < list.Count(); ++i)
            keys.emplace_back(TextCodec::FoldCase(field(*list.EntryAt(i))), i);
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<size_t> order;
        order.reserve(keys.size());
        for (const auto& item : keys)
            order.push_back(item.second);
        list.Reorder(order);
    });
}

bool PlayerSession::MovePlaylistEntry(int from, int to) {
    const int count = m_playlist ? m_playlist->Count() : 0;
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;
    if (from != to)
        EditPlaylist([from, to](Playlist& list) { list.MoveEntry(from, to); });
    return true;
}

void PlayerSession::RemovePlaylistEntry(int row) {
    if (!m_playlist || !m_playlist->EntryAt(row))
        return;
    EditPlaylist([row](Playlist& list) { list.Erase(row); });
}

void PlayerSession::ClearPlaylist() {
    if (!m_playlist)
        return;
    {
        std::lock_guard lock(m_controller->TrackLock());
        m_playlist->ClearPlayed();
    }
    EditPlaylist([](Playlist& list) { list.Clear(); });
}

bool PlayerSession::DeletePlaylistFile(int row) {
    const std::optional<FileInfo> found =
        m_playlist ? m_playlist->EntryAt(row) : std::optional<FileInfo>();
    if (!found || m_deleting)
        return false;
    const FileInfo entry = *found;
    const UiText text =
        UI_TEXT("Playlist", "Do you really want to delete file \"%1\" ?").With(entry.path);
    if (!m_ui.Ask(text, UI_TEXT("Playlist", "Sonvale")))
        return false;
    if (!m_ui.MoveToTrash(entry.path)) {
        m_ui.MessageBox(UI_TEXT("Playlist", "The file \"%1\" could not be moved to the trash.")
                            .With(entry.path),
                        UI_TEXT("Playlist", "Sonvale Error"));
        return false;
    }
    EditPlaylist([&entry](Playlist& list) {
        for (int i = 0; i < list.Count(); ++i)
            if (Playlist::SamePath(list.PathAt(i), entry.path)) {
                list.Erase(i);
                break;
            }
    });
    return true;
}

int PlayerSession::AppendToPlaylist(const std::vector<FileInfo>& added) {
    int count = 0;
    EditPlaylist([&added, &count](Playlist& list) {
        std::unordered_set<std::u16string> listed;
        for (int i = 0; i < list.Count(); ++i)
            listed.insert(TextCodec::FoldCase(list.PathAt(i)));
        for (const FileInfo& entry : added) {
            if (list.Count() >= Playlist::kMaxEntries)
                break;
            if (!listed.insert(TextCodec::FoldCase(entry.path)).second)
                continue;
            FileInfo listedEntry = entry;
            if (listedEntry.title.empty())
                listedEntry.title = listedEntry.name;
            list.Add(listedEntry);
            ++count;
        }
    });
    return count;
}

int PlayerSession::AddFilesToPlaylist(const std::vector<std::u16string>& paths) {
    if (!Running())
        return 0;
    std::vector<FileInfo> added;
    for (const std::u16string& path : paths) {
        TagInfo info;
        if (!m_playlist->FillEntryTags(path, info))
            continue; // gone since it was chosen
        FileInfo entry;
        entry.path = path;
        entry.name = std::filesystem::path(TextCodec::Utf16ToUtf8(path)).stem().u16string();
        const std::u16string ext =
            std::filesystem::path(TextCodec::Utf16ToUtf8(path)).extension().u16string();
        entry.ext = TextCodec::FoldCase(ext);
        entry.title = info.title;
        entry.artist = info.artist;
        entry.album = info.album;
        added.push_back(std::move(entry));
    }
    return AppendToPlaylist(added);
}

bool PlayerSession::OpenPlaylistFile(const std::u16string& path) {
    if (!Running())
        return false;
    // An unreadable file leaves the list as it was.
    if (std::FILE* file = RegularFile::OpenStream(path)) {
        std::fclose(file);
    } else {
        m_ui.MessageBox(UI_TEXT("Playlist", "File open error."),
                        UI_TEXT("Playlist", "Sonvale Error"));
        return false;
    }
    bool loaded = false;
    EditPlaylist([&path, &loaded](Playlist& list) {
        list.Clear();
        loaded = list.PlaylistLoad(path, true);
    });
    return loaded;
}

bool PlayerSession::SavePlaylistFile(const std::u16string& path) {
    if (!Running())
        return false;
    if (m_playlist->Count() == 0) {
        m_ui.MessageBox(UI_TEXT("Playlist", "File is not exist in list."),
                        UI_TEXT("Playlist", "Sonvale Error"));
        return false;
    }
    bool saved = false;
    {
        std::lock_guard lock(m_controller->TrackLock());
        saved = m_playlist->PlaylistSave(path);
    }
    if (!saved)
        m_ui.MessageBox(UI_TEXT("Playlist", "File open error."),
                        UI_TEXT("Playlist", "Sonvale Error"));
    return saved;
}

void PlayerSession::StartAt(int row) {
    {
        std::lock_guard lock(m_controller->TrackLock());
        const std::optional<FileInfo> entry = m_playlist->EntryAt(row);
        if (!entry)
            return;
        m_playlist->Current() = *entry;
        m_playlist->SetCurIndex(row);
        m_playlist->SetPrevIndex(0);
        m_playlist->SetListMode(m_playlist->Count() > 1);
    }
    BeginWait();
    if (m_playlist->ListMode())
        SetTrackNumber(row + 1);
    ShowTitle(m_playlist->Current().name);
    if (OpenCurrent())
        Play();
    EndWait();
}

void PlayerSession::PlayPlaylistEntry(int row) {
    if (Running() && !Opening())
        StartAt(row);
}

// From the first entry, or with favourites on from the first favourite found stepping on from
// it (the second entry is tried first, the first one last).
bool PlayerSession::ApplyPlaylist() {
    if (!Running() || Opening())
        return false;
    int count = 0;
    std::vector<int32_t> favorites;
    if (m_playlist) {
        std::lock_guard lock(m_controller->TrackLock());
        count = m_playlist->Count();
        for (int i = 0; i < count; ++i)
            favorites.push_back(m_playlist->FavoriteAt(i));
    }
    if (count == 0) {
        m_ui.MessageBox(UI_TEXT("Playlist", "File is not exist in list."),
                        UI_TEXT("Playlist", "Sonvale Error"));
        return false;
    }
    int row = 0;
    if (Settings::Get(m_profile, kEnableFavorites) == 1) {
        for (int step = 1; step <= count; ++step)
            if (favorites[static_cast<size_t>(step % count)] == 1) {
                row = step % count;
                break;
            }
    }
    StartAt(row);
    return true;
}
