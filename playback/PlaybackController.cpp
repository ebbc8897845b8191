#include "playback/PlaybackController.h"

#include "engine/core/PlayerTypes.h"
#include "lyrics/LyricsLoader.h"
#include "platform/Profile.h"
#include "platform/TextCodec.h"
#include "playback/EngineBackend.h"
#include "playback/LibraryBackend.h"
#include "playback/MediaPlayerBackend.h"
#include "playlist/EntryTags.h"
#include "playlist/Playlist.h"
#include "playlist/StreamAddress.h"
#include "runtime/fsound_errors.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

using namespace setting;
using Button = PlaybackSink::Button;
using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

constexpr int kOpenReady = 0; // the library's open state of a ready stream
constexpr int kPreviousRestartSeconds = 4;
constexpr int kVbrDifferenceMs = 2999;
constexpr int kSilenceDurationMs = 30000;
constexpr int kSilenceWindowMs = 10000;
constexpr int kSilentReadingsToEnd = 4;
constexpr int kConnectingAtOpenMs = 1000;
constexpr int kStreamStatusMs = 600;
constexpr int kStreamFailedMs = 3000;
constexpr int kVbrNoteSeconds = 60;
constexpr int kMaxKbps = 999;
constexpr double kSpeedStep = 0.05;
constexpr double kSpeedMin = 0.6;
constexpr double kSpeedMax = 1.4;

// Streaming states of the engine.
constexpr int32_t kStreamStopped = 1;
constexpr int32_t kStreamConnecting = 2;
constexpr int32_t kStreamBuffering = 3;
constexpr int32_t kStreamPlaying = 4;

bool KnownExtension(const std::u16string& ext) {
    static const char16_t* const kKnown[] = {u".mp2", u".mp3", u".ogg", u".wma",
                                             u".asf", u".wav", u".wpl", u".url"};
    return std::any_of(std::begin(kKnown), std::end(kKnown),
                       [&](const char16_t* known) { return ext == known; });
}

void NormaliseExtension(FileInfo& entry) {
    if (!KnownExtension(entry.ext))
        entry.ext = EntryTags::Lower(EntryTags::Extension(entry.path));
}

bool IsStream(const FileInfo& entry) {
    return entry.ext == u".url" || StreamAddress::HasScheme(entry.path);
}

bool IsMediaPlayerFile(const FileInfo& entry) {
    return entry.ext == u".wma" || entry.ext == u".asf";
}

// `value` in decimal with leading zeros up to `width` digits, as the display panel shows it.
std::u16string Padded(int value, size_t width) {
    const std::string digits = std::to_string(value < 0 ? 0 : value);
    std::u16string text(digits.begin(), digits.end());
    if (text.size() < width)
        text.insert(0, width - text.size(), u'0');
    return text;
}

} // namespace

PlaybackController::PlaybackController(Profile& profile, Playlist& playlist, PlaybackSink& sink,
                                       PlaybackUi& ui, LibraryBackend& library,
                                       EngineBackend& engine, MediaPlayerBackend* media)
    : m_profile(profile), m_playlist(playlist), m_sink(sink), m_ui(ui), m_library(&library),
      m_engine(&engine), m_media(media) {
    m_lyricsSync = Settings::LyricsSync(profile);
    m_volumeRange = Settings::VolumeRange(profile);
    m_volume = Settings::Volume(profile, m_volumeRange);
    m_savedRepeatType = Number(kRepeatType);
}

void PlaybackController::SetBackends(LibraryBackend& library, EngineBackend& engine) {
    Lock lock(m_trackLock);
    m_library = &library;
    m_engine = &engine;
    m_channel = -1;
    m_loaded = false;
}

int32_t PlaybackController::Number(const NumberSetting& value) const {
    return Settings::Get(m_profile, value);
}

void PlaybackController::Error(const UiText& text) {
    m_ui.MessageBox(text, UI_TEXT("PlaybackController", "Decoder Error"));
}

bool PlaybackController::ButtonShown(Button button) const {
    switch (button) {
    case Button::Play:
        return m_playShown;
    case Button::Pause:
        return m_pauseShown;
    case Button::Stop:
        return m_stopShown;
    default:
        return m_playlist.ListMode();
    }
}

void PlaybackController::ShowButtons(bool play, bool pause, bool stop) {
    m_playShown = play;
    m_pauseShown = pause;
    m_stopShown = stop;
    m_sink.ShowButton(Button::Play, play);
    m_sink.ShowButton(Button::Pause, pause);
    m_sink.ShowButton(Button::Stop, stop);
}

// ---- Opening

bool PlaybackController::OpenCurrent(bool keepList) {
    Lock lock(m_trackLock);
    Stop(false, false);
    if (!keepList && !m_playlist.ListMode()) {
        m_playlist.Clear();
        m_sink.ShowButton(Button::Previous, false);
        m_sink.ShowButton(Button::Next, false);
        m_playlist.SetListMode(false);
        m_playlist.SetCurIndex(0);
    }

    FileInfo& entry = m_playlist.Current();
    NormaliseExtension(entry);
    m_openError = false;
    m_loaded = false;
    if (entry.ext == u".wpl") {
        const FileInfo list = entry;
        const UiText empty =
            UI_TEXT("PlaybackController", "The playlist has nothing to play (%1)").With(list.path);
        if (!m_playlist.PlaylistLoad(list.path, true)) { // says why itself
            m_mode = Mode::None;
            return FailOpen(list);
        }
        if (m_playlist.Count() == 0) {
            m_mode = Mode::None;
            Error(empty);
            return FailOpen(list);
        }
        if (m_playlist.Count() > 1) {
            m_sink.ShowButton(Button::Previous, true);
            m_sink.ShowButton(Button::Next, true);
            m_playlist.SetListMode(true);
        }
        m_playlist.SetCurIndex(0);
        entry = *m_playlist.EntryAt(0);
        NormaliseExtension(entry);
        if (entry.ext == u".wpl") {
            m_mode = Mode::None;
            Error(empty);
            return FailOpen(list);
        }
    }

    // Previous and Next follow the list, whatever built it.
    const bool several = m_playlist.Count() > 1;
    m_sink.ShowButton(Button::Previous, several);
    m_sink.ShowButton(Button::Next, several);

    // Windows Media: the media player control with the run-time library's setting, else (or
    // when the control can't be set up) the engine's own plug-in.
    if (IsMediaPlayerFile(entry))
        m_mode = Number(kUseDefaultDecoder) == 1 && m_media && m_media->Ready() ? Mode::MediaPlayer
                                                                                : Mode::Engine;
    else if (IsStream(entry))
        m_mode = Mode::Stream;
    else
        m_mode = Number(kUseDefaultDecoder) == 1 ? Mode::Library : Mode::Engine;

    ResetForOpen();
    if (entry.path.empty()) {
        // Nothing to play (the last file was deleted): what was open goes.
        if (m_library->IsOpen()) {
            m_library->ResetEffects();
            m_library->Close();
        }
        m_engine->Close();
        m_channel = -1;
        m_mode = Mode::None;
        return true;
    }

    bool ok = false;
    if (m_mode == Mode::MediaPlayer) {
        ok = OpenMediaPlayer(entry);
        if (!ok)
            Error(UI_TEXT("PlaybackController", "This kind of file can't be played (%1)")
                      .With(entry.path));
    } else if (m_mode == Mode::Stream) {
        ok = OpenStream(entry);
        if (!ok)
            Error(UI_TEXT("PlaybackController", "Connection failed (%1)").With(entry.path));
    } else {
        ok = OpenLocal(entry);
    }
    if (!ok && m_openCancelled) {
        // Stopped by the user while the library opened: stopped, ready to try again.
        m_openCancelled = false;
        ShowButtons(true, false, false);
        return false;
    }
    if (!ok)
        return FailOpen(entry);
    m_loaded = true;
    m_sink.ShowTitle(entry);
    if (m_mode == Mode::Stream)
        m_sink.ShowStatus(UI_TEXT("PlaybackController", "Connecting..."), kConnectingAtOpenMs);
    return true;
}

// What failed stays on the display, with nothing of the track before it; Play stays, so that the
// menu and the keys can try again, and the list's other entries can be played.
bool PlaybackController::FailOpen(const FileInfo& entry) {
    m_openError = true;
    m_loaded = false;
    m_sink.ShowSeekSlider(false);
    m_sink.ShowTitle(entry);
    m_sink.SetPanelFormat(u"00", u"000");
    m_sink.SetPanelTotal(0);
    m_sink.SetSeekRange(0);
    ShowButtons(true, false, false);
    return false;
}

void PlaybackController::ResetForOpen() {
    m_positionMs = 0;
    m_lengthGrew = false;
    m_lyricKey = -1;
    m_silentReadings = 0;
    MoveSlider(0);
    m_sink.ShowSeekSlider(m_mode != Mode::Stream);
    m_sink.SetSpectrum(m_mode == Mode::Library ? PlaybackSink::Spectrum::Clear
                                               : PlaybackSink::Spectrum::Off);
    m_sink.SetPanelTime(0);
    m_sink.SetTrackNumber(m_playlist.CurIndex() + 1);
    ShowButtons(true, false, false);
    m_readyToPlay = true;
    m_playing = false;
    m_paused = false;
    m_opened = false;
}

void PlaybackController::SetDuration(int32_t ms) {
    m_durationMs = ms;
    const int seconds = ms / 1000;
    m_sink.SetSeekRange(ms / 100);
    m_sink.SetPanelTotal(seconds);
    SetPlayTime(m_playlist.Current(), Padded(seconds / 60, 2) + u":" + Padded(seconds % 60, 2));
}

void PlaybackController::SetPlayTime(FileInfo& entry, const std::u16string& text) {
    entry.playTime = text;
    const int index = m_playlist.IndexOfExact(entry.path);
    if (std::optional<FileInfo> listed = m_playlist.EntryAt(index)) {
        listed->playTime = text;
        m_playlist.SetEntry(index, *listed);
    }
}

bool PlaybackController::OpenMediaPlayer(FileInfo& entry) {
    if (!m_media || !m_media->Ready() || !m_media->Open(entry.path))
        return false;
    m_sink.SetPanelFormat(u"44", u"128");
    const int32_t ms = m_media->Duration();
    SetDuration(ms > 0 ? ms : kUnknownDurationMs);
    ReadFileTags(entry);
    LoadLyrics(entry, true);
    return true;
}

// A file only the engine reads (Windows Media): no measure by the run-time library.
bool PlaybackController::OpenEngineOnly(FileInfo& entry) {
    if (!m_engine->OpenFile(entry.path)) {
        Error(UI_TEXT("PlaybackController", "Can't open the file (%1)").With(entry.path));
        return false;
    }
    PlayerFileInfo info;
    if (!m_engine->GetFileInfo(info))
        info = PlayerFileInfo{};
    m_panelRate = Padded(info.sampleRate / 1000, 2);
    m_sink.SetPanelFormat(m_panelRate, Padded(std::clamp(info.bitrate, 0, kMaxKbps), 3));
    SetDuration(m_engine->Duration());
    ReadFileTags(entry);
    LoadLyrics(entry, true);
    return true;
}

bool PlaybackController::OpenStream(FileInfo& entry) {
    m_lyrics.LyricsReset();
    if (!m_engine->OpenUrl(entry.path))
        return false;
    // Nothing is known of the station's sound until it plays.
    m_sink.SetPanelFormat(u"00", u"000");
    m_streamPlayed = false;
    SetDuration(kStreamDurationMs);
    m_sink.SetPanelTotal(0);
    SetPlayTime(entry, u"00:00");
    m_sink.LyricsLoaded();
    return true;
}

bool PlaybackController::OpenLocal(FileInfo& entry) {
    bool noted = false;
    m_cancelOpen = false;
    m_opening = true;
    m_ui.BeginWait();
    const bool ok = OpenLocalSteps(entry, noted);
    m_ui.EndWait();
    m_opening = false;
    m_cancelOpen = false;
    if (noted)
        m_ui.RemoveBubble();
    return ok;
}

bool PlaybackController::OpenLocalSteps(FileInfo& entry, bool& noted) {
    const bool useLibrary = m_mode == Mode::Library;
    if (m_library->IsOpen()) {
        m_library->ResetEffects();
        m_library->Close();
    }
    m_engine->Close();
    m_channel = -1;
    if (IsMediaPlayerFile(entry))
        return OpenEngineOnly(entry);

    const std::string path8 = TextCodec::WideToMultiByte(entry.path);
    auto errorText = [](int code) { return TextCodec::Utf8ToUtf16(FMOD_ErrorString(code)); };
    unsigned mode = kOpenMode;
    bool exact = false;
    int32_t lengthMs = 0;
    PlayerFileInfo info;
    bool engineMeasured = false;
    for (;;) {
        if (!m_library->Open(path8, mode)) {
            Error(UI_TEXT("PlaybackController", "%1 (%2)")
                      .With(errorText(m_library->LastError()))
                      .With(entry.path));
            return false;
        }
        const auto start = std::chrono::steady_clock::now();
        int state = m_library->OpenState();
        while (state != kOpenReady && state != -1 && state != -3) {
            if (!exact && std::chrono::steady_clock::now() - start > m_openTimeout) {
                m_library->Close();
                Error(UI_TEXT("PlaybackController", "File loading timeout (%1)").With(entry.path));
                return false;
            }
            if (m_cancelOpen) {
                m_library->Close();
                m_openCancelled = true;
                return false;
            }
            m_ui.WaitStep();
            state = m_library->OpenState();
        }
        if (state != kOpenReady) {
            const int code = m_library->LastError();
            m_library->Close();
            if (m_decoderRestarted) {
                Settings::Set(m_profile, kCurPlayPos, m_playlist.CurPlayPos());
                Settings::Set(m_profile, kResume, 1);
                Settings::Set(m_profile, kSaveDefList, 1);
                m_sink.PostToView(kRestartProgram, 0, 0);
                return false;
            }
            if (code == 9 || code == 11)
                Error(UI_TEXT("PlaybackController", "%1 (%2)")
                          .With(errorText(code))
                          .With(entry.path));
            else
                Error(UI_TEXT("PlaybackController", "File open failed:%1 (%2)")
                          .With(code)
                          .With(entry.path));
            return false;
        }

        lengthMs = m_library->LengthMs();
        info = PlayerFileInfo{};
        info.sampleRate = 44100;
        info.channels = 2;
        const bool engineOpen = m_engine->OpenFile(entry.path);
        PlayerFileInfo engineInfo;
        engineMeasured = engineOpen && m_engine->GetFileInfo(engineInfo);
        if (engineMeasured)
            info = engineInfo;

        if (!useLibrary && !engineOpen) {
            m_library->Close();
            Error(UI_TEXT("PlaybackController", "Can't open the file (%1)").With(entry.path));
            return false;
        }
        if (!useLibrary) {
            lengthMs = m_engine->Duration();
            break;
        }
        if (entry.ext == u".mp3" && !exact && engineOpen &&
            std::abs(info.duration - lengthMs) > kVbrDifferenceMs &&
            Number(kVBRMpegAccurate) == 1) {
            m_library->Close();
            m_engine->Close();
            mode |= kExactLength;
            exact = true;
            if (Number(kDisplayVBRMP3Msg) == 1) {
                m_ui.ShowBubble(UI_TEXT("PlaybackController", "Sonvale Alarm"),
                                UI_TEXT("PlaybackController",
                                        "<HTML><BODY>The MP3 file of VBR form requires time for "
                                        "loading. Please wait for a while till file loading "
                                        "completion...</BODY></HTML>"),
                                kVbrNoteSeconds);
                noted = true;
            }
            continue;
        }
        break;
    }

    int rate = info.sampleRate;
    int kbps = info.bitrate;
    if (useLibrary) {
        if (const int libraryRate = m_library->DefaultRate(); libraryRate > 0)
            rate = libraryRate;
        // The engine's measure holds for the audio alone: a CBR MPEG file's frame header, the
        // frames of a VBR one, a wave file's byte rate. The library's file size counts the tags
        // too, so it is only the fallback.
        if (!engineMeasured || kbps <= 0) {
            const double bytes = m_library->LengthBytes();
            kbps = lengthMs > 0 ? static_cast<int>(std::lround(bytes * 8.0 / lengthMs)) : 0;
        }
        m_library->ResetEffects();
        m_engine->Close();
    }
    // The field has three digits (a 32-bit float wave file runs to 2822 kbit/s).
    m_panelRate = Padded(rate / 1000, 2);
    m_sink.SetPanelFormat(m_panelRate, Padded(std::clamp(kbps, 0, kMaxKbps), 3));
    SetDuration(lengthMs);
    ReadTags(entry);
    LoadLyrics(entry, false);
    if (!useLibrary)
        m_library->Close();
    return true;
}

void PlaybackController::ReadFileTags(FileInfo& entry) {
    if (!entry.title.empty() && entry.title != entry.name)
        return;
    TagInfo tag;
    if (!m_engine->FileTag(entry.path, tag))
        return;
    auto text = [](const char16_t* field) { return std::u16string(field); };
    StoreTags(entry, text(tag.title), entry.artist.empty() ? text(tag.artist) : u"",
              entry.album.empty() ? text(tag.album) : u"");
}

void PlaybackController::ReadTags(FileInfo& entry) {
    if (!entry.title.empty() && entry.title != entry.name)
        return;
    const TagLyrics::TagFieldFinder finder = m_library->Finder();
    auto field = [&](const char* name) {
        const uint8_t* data = nullptr;
        int length = 0;
        if (!finder || !finder(name, data, length) || !data || length <= 0)
            return std::u16string();
        return EntryTags::FrameText(name, std::string_view(reinterpret_cast<const char*>(data),
                                                           static_cast<size_t>(length)));
    };
    StoreTags(entry, field("TIT2"), entry.artist.empty() ? field("TPE1") : std::u16string(),
              entry.album.empty() ? field("TALB") : std::u16string());
}

// What was found goes into the entry and into every list entry of the same file.
void PlaybackController::StoreTags(FileInfo& entry, const std::u16string& title,
                                   const std::u16string& artist, const std::u16string& album) {
    if (title.empty() && artist.empty() && album.empty())
        return;
    if (!title.empty())
        entry.title = title;
    if (!artist.empty())
        entry.artist = artist;
    if (!album.empty())
        entry.album = album;
    for (int index = 0; index < m_playlist.Count(); ++index) {
        if (m_playlist.PathAt(index) == entry.path) {
            FileInfo listed = *m_playlist.EntryAt(index);
            listed.title = entry.title;
            listed.artist = entry.artist;
            listed.album = entry.album;
            m_playlist.SetEntry(index, listed);
        }
    }
}

void PlaybackController::LoadLyrics(FileInfo& entry, bool mediaPlayer) {
    LrcFile::EntryText lrcEntry;
    const auto opened =
        mediaPlayer ? LyricsLoader::Opened::MediaPlayer : LyricsLoader::Opened::Stream;
    const TagLyrics::TagFieldFinder finder =
        mediaPlayer ? TagLyrics::TagFieldFinder() : m_library->Finder();
    LyricsLoader::Load(entry.path, entry.ext, opened, Number(kUseLDBLyrics) == 1, finder, m_lyrics,
                       lrcEntry);
    m_lyricKey = -1;
    m_sink.LyricsLoaded();
}

void PlaybackController::ReloadLyrics() {
    Lock lock(m_trackLock);
    if (!m_loaded || m_mode == Mode::None || m_mode == Mode::Stream)
        return;
    LoadLyrics(m_playlist.Current(), m_mode == Mode::MediaPlayer);
}

// ---- Play, pause, stop

// The library plays the stream on a new channel, with the surround and the speed of the player.
bool PlaybackController::StartLibraryChannel() {
    m_channel = m_library->Play();
    if (m_channel < 0)
        return false;
    m_library->SetSurround(m_channel, true);
    m_baseFrequency = m_library->Frequency(m_channel);
    if (const double speed = m_speed; speed != 1.0) {
        m_library->SetFrequency(m_channel, static_cast<int>(m_baseFrequency * speed));
        m_sink.SpeedApplied(speed);
    }
    return true;
}

void PlaybackController::Play(bool focus) {
    Lock lock(m_trackLock);
    if (!m_readyToPlay)
        return;
    if (!m_loaded && !OpenCurrent(true))
        return;
    switch (m_mode) {
    case Mode::MediaPlayer:
        m_media->Play();
        break;
    case Mode::Library:
        if (m_channel < 0) {
            if (!StartLibraryChannel()) {
                Error(UI_TEXT("PlaybackController", "Invalid channel handle."));
                return;
            }
        } else {
            m_library->SetPaused(m_channel, false);
        }
        break;
    case Mode::Stream:
    case Mode::Engine:
        m_engine->Play();
        break;
    case Mode::None:
        return;
    }
    if (!m_sink.Muted())
        ApplyVolume();
    m_playing = true;
    m_readyToPlay = false;
    m_opened = true;
    m_paused = false;
    if (m_mode == Mode::Library || m_mode == Mode::Engine)
        m_sink.SetSpectrum(PlaybackSink::Spectrum::On);
    m_sink.SetPanelState(PlaybackSink::PanelState::Play);
    ShowButtons(false, true, true);
    if (focus)
        m_sink.FocusButton(Button::Pause);
    if (Number(kNoUsePowerSave) == 1)
        m_sink.HoldBacklight(true);
}

void PlaybackController::Pause(bool focus) {
    Lock lock(m_trackLock);
    if (!m_playing)
        return;
    switch (m_mode) {
    case Mode::MediaPlayer:
        m_media->Pause();
        break;
    case Mode::Stream:
        m_engine->Stop();
        break;
    case Mode::Engine:
        m_engine->Pause();
        break;
    case Mode::Library:
        if (m_channel >= 0)
            m_library->SetPaused(m_channel, true);
        m_library->ResetEffects();
        break;
    case Mode::None:
        break;
    }
    m_playing = false;
    m_paused = true;
    m_readyToPlay = true;
    m_sink.SetPanelState(PlaybackSink::PanelState::Pause);
    ShowButtons(true, false, m_stopShown);
    if (focus)
        m_sink.FocusButton(Button::Play);
    if (Number(kNoUsePowerSave) == 1)
        m_sink.HoldBacklight(false);
}

void PlaybackController::Stop(bool focus, bool keepPower) {
    Lock lock(m_trackLock);
    if (!m_opened)
        return;
    m_playing = false;
    m_paused = false;
    m_readyToPlay = true;
    m_opened = false;
    switch (m_mode) {
    case Mode::MediaPlayer:
        m_media->Stop();
        break;
    case Mode::Stream:
    case Mode::Engine:
        m_engine->Stop();
        break;
    case Mode::Library:
        m_library->Stop();
        m_library->SetTimeMs(0);
        m_library->ResetEffects();
        m_channel = -1;
        break;
    case Mode::None:
        break;
    }
    m_positionMs = 0;
    m_playlist.SetCurPlayPos(0);
    m_lyricKey = -1;
    m_silentReadings = 0;
    if (m_mode != Mode::Stream)
        m_sink.ShowSeekSlider(true);
    MoveSlider(0);
    m_sink.SetSpectrum(PlaybackSink::Spectrum::Clear);
    m_sink.SetPanelTime(keepPower ? 0 : m_durationMs / 1000);
    m_sink.SetPanelState(PlaybackSink::PanelState::Stop);
    ShowButtons(true, false, false);
    if (focus)
        m_sink.FocusButton(Button::Play);
    if (!keepPower)
        m_sink.HoldBacklight(false);
}

void PlaybackController::CloseLibraryStream() {
    Lock lock(m_trackLock);
    if (m_mode == Mode::Library) {
        Stop(false, false);
        m_loaded = false;
    }
    m_library->Close();
    m_channel = -1;
}

// ---- Track changes

bool PlaybackController::StepTrack(int step, bool updateNumber) {
    Lock lock(m_trackLock);
    if (m_playlist.Count() == 0)
        return false;
    m_ui.BeginWait();
    m_playlist.Current().Reset();
    const int before = m_playlist.CurIndex();
    auto pick = [this, step] {
        m_playlist.PickNextEntry(step);
        if (m_playlist.CurIndex() < 0)
            m_playlist.SetCurIndex(m_playlist.Count() - 1);
        return m_playlist.CurIndex();
    };
    int index = pick();
    // Entries whose files are gone are stepped over while there is another one to try.
    for (int tries = 1; tries < m_playlist.Count() && m_playlist.Missing(index); ++tries)
        index = pick();
    bool opened = false;
    bool playNext = false;
    if (index < m_playlist.Count()) {
        m_playlist.Current() = *m_playlist.EntryAt(index);
        if (m_playing || m_paused)
            Stop(false, false);
        opened = OpenCurrent(true);
        playNext = opened;
    } else {
        index = 0;
        while (index + 1 < m_playlist.Count() && m_playlist.Missing(index))
            ++index;
        m_playlist.Current() = *m_playlist.EntryAt(index);
        m_playlist.SetPrevIndex(before);
        m_playlist.SetCurIndex(index);
        if (m_playing)
            Stop(false, false);
        opened = OpenCurrent(true);
        playNext = opened && Number(kRepeat) == 1;
    }
    if (playNext && m_userWantsPlay)
        Play(false);
    m_sink.ShowTitle(m_playlist.Current());
    if (updateNumber)
        m_sink.SetTrackNumber(index + 1);
    m_sink.CurrentEntryChanged(m_playlist.Current());
    m_ui.EndWait();
    return opened;
}

void PlaybackController::RestartCurrent() {
    Lock lock(m_trackLock);
    m_seeking = true;
    m_lyricKey = -1;
    m_positionMs = 0;
    m_playlist.SetCurPlayPos(0);
    BackendSeek(0);
    m_seeking = false;
    m_sink.ShowLyric(LyricsData::Lookup{});
}

void PlaybackController::PreviousTrack() {
    Lock lock(m_trackLock);
    if (PositionSeconds() > kPreviousRestartSeconds)
        RestartCurrent();
    else
        StepTrack(-1, true);
}

void PlaybackController::NextTrack() {
    Lock lock(m_trackLock);
    StepTrack(+1, true);
}

void PlaybackController::EndOfTrack() {
    Lock lock(m_trackLock);
    if (!m_playing)
        return;
    Stop(false, true);
    const bool repeatOne = Number(kRepeat) == 1 && Number(kRepeatType) == 1;
    if (m_playlist.ListMode()) {
        if (m_openError)
            return;
        if (!repeatOne) {
            StepTrack(+1, true);
            return;
        }
    } else if (Number(kRepeat) == 0) {
        return;
    }
    Play(false);
}

// ---- Commands

void PlaybackController::PlayCommand() {
    Lock lock(m_trackLock);
    if (!m_playShown)
        return;
    m_userWantsPlay = true;
    Play(true);
}

void PlaybackController::PauseCommand() {
    Lock lock(m_trackLock);
    if (!m_pauseShown)
        return;
    m_userWantsPlay = false;
    Pause(true);
}

void PlaybackController::StopCommand() {
    Lock lock(m_trackLock);
    m_userWantsPlay = false;
    Stop(true, false);
}

void PlaybackController::RepeatCommand() {
    if (m_playlist.ListMode()) {
        RepeatChoice(m_ui.RepeatPopup(Number(kRepeatType)));
        return;
    }
    if (Number(kRepeat) == 1) {
        m_savedRepeatType = Number(kRepeatType);
        Settings::Set(m_profile, kRepeat, 0);
        Settings::Set(m_profile, kRepeatType, 0);
    } else {
        Settings::Set(m_profile, kRepeat, 1);
        Settings::Set(m_profile, kRepeatType, m_savedRepeatType);
    }
}

void PlaybackController::RepeatChoice(int repeatType) {
    int repeat = 0, type = 0;
    switch (repeatType) {
    case kRepeatNone:
        break;
    case kRepeatOne:
        repeat = type = 1;
        break;
    case kRepeatAll:
        repeat = 1;
        type = 2;
        break;
    default:
        return;
    }
    Settings::Set(m_profile, kRepeat, repeat);
    Settings::Set(m_profile, kRepeatType, type);
}

void PlaybackController::ShuffleCommand() {
    Settings::Set(m_profile, kShuffle, Number(kShuffle) == 1 ? 0 : 1);
}

// ---- Messages and the monitor

// A station that could not be reached, or that ended before it played: said, not just stopped.
void PlaybackController::StreamFailed() {
    Lock lock(m_trackLock);
    if (m_mode != Mode::Stream || !m_playing)
        return;
    m_userWantsPlay = false;
    Stop(false, false);
    m_sink.SetPanelFormat(u"00", u"000");
    m_sink.ShowStatus(UI_TEXT("PlaybackController", "Connection failed"), kStreamFailedMs);
    Error(UI_TEXT("PlaybackController", "Connection failed (%1)").With(m_playlist.Current().path));
}

bool PlaybackController::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == WM_PLAYER_STATUS) {
        if (wParam == PlayerStatusStop && (lParam & kPlayerStoppedOnError) &&
            m_mode == Mode::Stream && !m_streamPlayed) {
            StreamFailed();
            return true;
        }
        if (wParam == PlayerStatusStop && lParam > 0xFFFF && m_playing)
            EndOfTrack();
        return true;
    }
    if (message == kMediaPlayerNotice) {
        Lock lock(m_trackLock);
        if (m_mode != Mode::MediaPlayer || !m_media || !m_media->CurrentNotice(lParam))
            return true;
        if (wParam == 1) {
            if (const int32_t ms = m_media->Duration(); ms > 0)
                SetDuration(ms);
        } else if (wParam == 2 && m_playing) {
            EndOfTrack();
        }
        return true;
    }
    return false;
}

void PlaybackController::RunMonitor() {
    if (m_monitorBusy.exchange(true))
        return;
    struct Done {
        std::atomic<bool>& busy;
        ~Done() { busy = false; }
    } done{m_monitorBusy};
    Lock lock(m_trackLock);

    if (Number(kUseDefaultDecoder) == 1 && Settings::WidcommStackMode(m_profile.Store())) {
        Settings::Set(m_profile, kUseDefaultDecoder, 0);
        m_sink.PostToView(kRestartDecoder, 0, 0);
        return;
    }
    if (m_mode == Mode::Stream) {
        RunStreamMonitor();
        return;
    }
    if (!m_playing || m_seeking)
        return;

    const int32_t position = BackendPosition();
    UpdatePosition(position);

    if (m_markCount >= 2) {
        // A section that ends close to the end of the track may see the library play out
        // before the monitor comes by: the stream starts again from A on a new channel.
        const bool playedOut =
            m_mode == Mode::Library && m_library->ReportsEnd() && m_library->PlayedOut();
        if (playedOut || position < m_markA * 100 || position >= m_markB * 100) {
            BackendSeek(m_markA * 100);
            if (playedOut && StartLibraryChannel() && !m_sink.Muted())
                ApplyVolume();
            m_positionMs = m_markA * 100;
            MoveSlider(m_markA);
        }
        return;
    }
    FollowLength();
    MoveSlider(position / 100);
    m_playlist.SetCurPlayPos(position);
    if (m_markCount != 0)
        return;
    // The end of a track is the end of its data: a library that says when it played out is
    // believed, the length only when it held (a length that grew was an estimate).
    const bool playedOut = m_mode == Mode::Library && m_library->ReportsEnd()
                               ? m_library->PlayedOut()
                               : !m_lengthGrew && m_durationMs > 0 && position >= m_durationMs;
    if (TrailingSilence() || playedOut)
        EndOfTrack();
}

void PlaybackController::FollowLength() {
    int32_t length = 0;
    if (m_mode == Mode::Library)
        length = m_library->LengthMs();
    else if (m_mode == Mode::Engine)
        length = m_engine->Duration();
    if (length <= m_durationMs)
        return;
    m_lengthGrew = true;
    SetDuration(length);
    // The estimate came from the first frame, so the bitrate did too: the file's bits over the
    // length decoded so far say better what it holds.
    std::error_code error;
    const auto bytes = std::filesystem::file_size(m_playlist.Current().path, error);
    if (!error)
        m_sink.SetPanelFormat(
            m_panelRate,
            Padded(std::clamp(static_cast<int>((bytes * 8 + length / 2) / length), 0, kMaxKbps),
                   3));
}

bool PlaybackController::TrailingSilence() {
    if (m_mode != Mode::Library || m_channel < 0 || Number(kRemoveZeroSample) != 1 ||
        m_durationMs <= kSilenceDurationMs || m_durationMs - m_positionMs > kSilenceWindowMs) {
        m_silentReadings = 0;
        return false;
    }
    float left = 0.0f, right = 0.0f;
    if (!m_library->Levels(m_channel, left, right) || left != 0.0f || right != 0.0f) {
        m_silentReadings = 0;
        return false;
    }
    return ++m_silentReadings >= kSilentReadingsToEnd;
}

void PlaybackController::RunStreamMonitor() {
    if (m_streamMonitorBusy.exchange(true))
        return;
    struct Done {
        std::atomic<bool>& busy;
        ~Done() { busy = false; }
    } done{m_streamMonitorBusy};
    Lock lock(m_trackLock);
    if (m_mode == Mode::Stream)
        StreamMonitor();
}

void PlaybackController::StreamMonitor() {
    switch (m_engine->StreamingState()) {
    case kStreamPlaying: {
        if (!m_streamPlayed) {
            m_streamPlayed = true;
            PlayerFileInfo info;
            if (m_engine->GetFileInfo(info) && info.sampleRate > 0)
                m_sink.SetPanelFormat(Padded(info.sampleRate / 1000, 2),
                                      Padded(std::min(info.bitrate, 999), 3));
        }
        UpdatePosition(m_engine->Position());
        const std::u16string title = m_engine->StreamTitle();
        FileInfo& entry = m_playlist.Current();
        if (!title.empty() && title != entry.path && title != entry.title) {
            entry.title = title;
            m_sink.ShowTitle(entry);
        }
        break;
    }
    case kStreamConnecting:
        m_sink.ShowStatus(UI_TEXT("PlaybackController", "Connecting..."), kStreamStatusMs);
        break;
    case kStreamBuffering: {
        const int32_t prebuffer = m_engine->PrebufferBlocks();
        const int64_t percent =
            prebuffer > 0
                ? std::min<int64_t>(100, int64_t{m_engine->StreamingBuffered()} * 100 / prebuffer)
                : 0;
        m_sink.ShowStatus(UI_TEXT("PlaybackController", "Buffering... (%1%%)").With(percent),
                          kStreamStatusMs);
        break;
    }
    case kStreamStopped:
        if (!m_streamPlayed && m_playing)
            StreamFailed();
        else
            Stop(false, false);
        break;
    default:
        break;
    }
}

int32_t PlaybackController::BackendPosition() {
    switch (m_mode) {
    case Mode::MediaPlayer:
        if (m_durationMs == kUnknownDurationMs) {
            if (const int32_t ms = m_media->Duration(); ms > 0)
                SetDuration(ms);
        }
        return m_media->Position();
    case Mode::Library:
        return m_library->TimeMs();
    case Mode::Engine:
    case Mode::Stream:
        return m_engine->Position();
    case Mode::None:
        break;
    }
    return 0;
}

int32_t PlaybackController::LivePositionMs() {
    Lock lock(m_trackLock);
    return m_playing || m_paused ? BackendPosition() : m_positionMs.load();
}

void PlaybackController::UpdatePosition(int32_t ms) {
    const int before = m_positionMs / 1000;
    m_positionMs = ms;
    if (!m_lyrics.times.empty()) {
        const LyricsData::Lookup line = m_lyrics.LyricAt(ms, m_lyricsSync);
        if (line.key != m_lyricKey || line.sung != m_lyricSung) {
            m_lyricKey = line.key;
            m_lyricSung = line.sung;
            m_sink.ShowLyric(line);
        }
    }
    if (ms / 1000 != before)
        m_sink.SetPanelTime(ms / 1000);
}

void PlaybackController::MoveSlider(int position) {
    m_sliderPos = position;
    m_sink.SetSeekPos(position);
}

// ---- Seeking

void PlaybackController::BackendSeek(int32_t ms) {
    switch (m_mode) {
    case Mode::MediaPlayer:
        m_media->Seek(ms);
        break;
    case Mode::Library:
        m_library->SetTimeMs(ms);
        break;
    case Mode::Engine:
    case Mode::Stream:
        m_engine->Seek(ms);
        break;
    case Mode::None:
        break;
    }
}

void PlaybackController::SeekTo(int32_t ms) {
    Lock lock(m_trackLock);
    if (!m_loaded)
        return;
    BackendSeek(ms);
    m_playlist.SetCurPlayPos(ms);
    MoveSlider(ms / 100);
    UpdatePosition(ms);
}

void PlaybackController::SeekSliderMoving(int value) {
    m_seeking = true;
    m_sink.SetPanelTime(value * 100 / 1000);
}

void PlaybackController::SeekSliderReleased(int value) {
    Lock lock(m_trackLock);
    SeekTo(value * 100);
    m_seeking = false;
}

void PlaybackController::SetSectionMarks(int count, int a, int b) {
    Lock lock(m_trackLock);
    m_markCount = count;
    m_markA = a;
    m_markB = b;
}

bool PlaybackController::Rewind() {
    return SeekBy(false);
}

bool PlaybackController::FastForward() {
    return SeekBy(true);
}

int PlaybackController::LyricTarget(bool forward) {
    const std::vector<int>& times = m_lyrics.times;
    int key = -1;
    if (forward) {
        const auto next = std::upper_bound(times.begin(), times.end(), m_lyricKey);
        if (next == times.end())
            return -1;
        key = *next;
    } else {
        const auto at = std::lower_bound(times.begin(), times.end(), m_lyricKey);
        if (at == times.begin())
            return 0;
        key = *std::prev(at);
    }
    // A line shows half a second ahead of its key, moved by the sync offset.
    return std::max(0, (key - m_lyricsSync - 1) * LyricsData::kMsPerKey);
}

bool PlaybackController::SeekBy(bool forward) {
    Lock lock(m_trackLock);
    if (!(m_playing || m_paused || m_loaded) || m_mode == Mode::Stream || m_seeking)
        return false;
    m_seeking = true;
    const bool channel = m_mode == Mode::Library && m_channel >= 0;
    if (channel)
        m_library->SetPaused(m_channel, true);

    int32_t target = 0;
    bool seek = true;
    if (Number(kSeekLyricsTime) == 1 && !m_lyrics.times.empty()) {
        target = LyricTarget(forward);
        seek = target >= 0 && target < m_durationMs;
    } else {
        const int32_t interval = Number(kSeekInterval) * 1000;
        target = m_sliderPos * 100 + (forward ? interval : -interval);
        if (!forward)
            target = std::max(0, target);
        seek = !forward || target < m_durationMs;
    }
    if (seek) {
        BackendSeek(target);
        m_playlist.SetCurPlayPos(target);
        MoveSlider(target / 100);
        UpdatePosition(target);
    }
    if (channel && m_playing)
        m_library->SetPaused(m_channel, false);
    m_seeking = false;
    return seek;
}

// ---- Volume and speed

void PlaybackController::SetVolume(int32_t volume, int32_t range) {
    Lock lock(m_trackLock);
    m_volumeRange = std::max(1, range);
    m_volume = std::clamp(volume, 0, m_volumeRange);
}

void PlaybackController::ApplyVolume() {
    Lock lock(m_trackLock);
    const int32_t range = m_volumeRange;
    const int64_t volume = m_volume;
    const uint32_t half =
        static_cast<uint32_t>(std::clamp<int64_t>(volume * 0xFFFF / range, 0, 0xFFFF));
    const uint32_t word = half | (half << 16);
    const bool deviceVolume =
        Number(kUseSystemVolume) != 0 || m_mode == Mode::MediaPlayer || m_mode == Mode::Stream;
    if (!deviceVolume) {
        if (Number(kUseDefaultDecoder) == 1)
            m_library->SetVolume(
                static_cast<int>(std::clamp<int64_t>(volume * 255 / range, 0, 255)));
        else
            m_engine->SetVolume(word);
        return;
    }
    m_sink.SetWaveOutVolume(word);
    if (m_media && m_mode == Mode::MediaPlayer)
        m_media->SetVolume(word);
    m_library->SetVolume(255);
    m_engine->SetVolume(0xFFFFFFFFu);
}

void PlaybackController::SetSpeed(double speed) {
    Lock lock(m_trackLock);
    m_speed = speed;
    if (m_mode == Mode::Library && m_channel >= 0 && m_baseFrequency > 0) {
        m_library->SetFrequency(m_channel, static_cast<int>(m_baseFrequency * speed));
        m_sink.SpeedApplied(speed);
    }
}

int PlaybackController::ChannelFrequency() {
    Lock lock(m_trackLock);
    return m_mode == Mode::Library && m_channel >= 0 ? m_library->Frequency(m_channel) : 0;
}

void PlaybackController::SetChannelFrequency(int hz) {
    Lock lock(m_trackLock);
    if (m_mode == Mode::Library && m_channel >= 0 && hz > 0)
        m_library->SetFrequency(m_channel, hz);
}

int PlaybackController::BaseFrequency() {
    Lock lock(m_trackLock);
    return m_mode == Mode::Library && m_channel >= 0 ? m_baseFrequency : 0;
}

bool PlaybackController::SpeedStep(int direction) {
    if (Number(kUseDefaultDecoder) != 1)
        return false;
    double speed = m_speed + (direction > 0 ? kSpeedStep : -kSpeedStep);
    speed = std::clamp(std::round(speed * 100.0) / 100.0, kSpeedMin, kSpeedMax);
    SetSpeed(speed);
    return true;
}
