#include "engine/player/Player.h"

#include "engine/tags/GenreTable.h"
#include "engine/tags/Id3Tag.h"
#include "engine/tags/VorbisComments.h"
#include "platform/MessageSink.h"
#include "platform/RegularFile.h"
#include "platform/WaveHeader.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

// How long the decoding thread sleeps between looks at a draining device, and waits for a free
// block before it looks at its flags again (a stop or a seek also wake it at once).
constexpr uint32_t kDrainPollMs = 1;
constexpr uint32_t kFreeBlockWaitMs = 100;

// Milliseconds of `samples` at `rate`, rounded down; the largest int64_t when that does not fit
// (a damaged file can claim any sample count).
int64_t SamplesToMs(int64_t samples, int64_t rate) {
    if (samples <= 0 || rate <= 0)
        return 0;
    const int64_t seconds = samples / rate, rest = samples % rate;
    if (seconds > (INT64_MAX - 999) / 1000)
        return INT64_MAX;
    return seconds * 1000 + rest * 1000 / rate;
}

} // namespace

Player::Player(std::function<std::unique_ptr<WaveOut>()> makeDevice,
               const std::vector<std::string>& pluginFolders)
    : m_output(std::move(makeDevice)) {
    for (const std::string& folder : pluginFolders)
        m_plugins.LoadFolder(folder);
    m_output.Configure(m_options.outputBufferLen, m_options.alwaysOpenDevice != 0,
                       m_options.fadeIn != 0);
}

Player::~Player() {
    Close();
    m_output.Close();
}

void Player::SetStatus(PlayerStatus status, intptr_t lParam) {
    if (m_status.exchange(status) == status)
        return;
    if (MessageSink* owner = m_owner.load())
        owner->Post(WM_PLAYER_STATUS, static_cast<uintptr_t>(status),
                    status == PlayerStatusStop ? lParam : 0);
}

void Player::ResetPlayFlags() {
    m_stopRequested = false;
    m_seekHappened = false;
    m_prebuffering = false;
    m_endReached = false;
    m_slowUntilPrebuffered = false;
    m_samplesHandedOut = 0;
    m_atTrackStart = m_positionBase == 0;
}

bool Player::OpenFile(const std::u16string& path) {
    CriticalSection::Lock api(m_apiLock);
    Close();
    // Plug-ins first, then the built-in decoders; the first that accepts the file wins.
    for (Source* source : {static_cast<Source*>(&m_plugin), static_cast<Source*>(&m_mpeg),
                           static_cast<Source*>(&m_ogg), static_cast<Source*>(&m_wav)}) {
        PlayerFileInfo info;
        int64_t total = 0;
        if (!source->Open(path, m_options, info, total))
            continue;
        if (info.sampleRate <= 0 || info.channels <= 0) {
            source->Close();
            continue;
        }
        m_source = source;
        m_fileInfo = info;
        m_totalSamples = total;
        m_lengthGrown = false;
        m_bits = source->Bits();
        m_fileInfo.duration = static_cast<int32_t>(Duration());
        break;
    }
    if (!m_source)
        return false;
    m_path = path;
    m_source->SetEqualizer(m_equalizer);
    m_positionBase = 0;
    ResetPlayFlags();
    return true;
}

bool Player::OpenUrl(const std::u16string& url) {
    CriticalSection::Lock api(m_apiLock);
    Close();
    PlayerFileInfo info;
    int64_t total = 0;
    if (!m_stream.Open(url, m_options, info, total))
        return false;
    m_source = &m_stream;
    m_fileInfo = PlayerFileInfo();
    m_totalSamples = 0;
    m_bits = m_stream.Bits();
    m_path = url;
    m_stream.SetEqualizer(m_equalizer);
    m_positionBase = 0;
    ResetPlayFlags();
    return true;
}

void Player::Close() {
    CriticalSection::Lock api(m_apiLock);
    Stop();
    if (m_source)
        m_source->Close();
    m_source = nullptr;
    m_fileInfo = PlayerFileInfo();
    m_totalSamples = 0;
    m_positionBase = 0;
    m_path.clear();
}

bool Player::Play() {
    CriticalSection::Lock api(m_apiLock);
    if (!m_source)
        return false;
    const PlayerStatus status = Status();
    if (status == PlayerStatusPause) {
        Pause();
        return true;
    }
    if (status != PlayerStatusStop)
        return false;
    m_thread.Wait(); // a playback that just ended may still be on its way out
    const bool seekPending = m_seekHappened;
    ResetPlayFlags();
    m_seekHappened = seekPending;
    // "Preparing" from here on, so that no second Play waits for a thread that in turn waits
    // for this lock.
    SetStatus(PlayerStatusPreparing);
    if (m_thread.Start([this] { ThreadMain(); }, Thread::kPriorityNormal))
        return true;
    SetStatus(PlayerStatusStop, kPlayerStoppedOnError);
    return false;
}

void Player::Stop() {
    CriticalSection::Lock api(m_apiLock);
    if (m_thread.IsRunning() || Status() != PlayerStatusStop) {
        m_stopRequested = true;
        if (m_source == &m_stream)
            m_stream.Interrupt(); // ends a connection or a wait for stream data
        m_output.Reset();         // releases a thread waiting for a free block
        m_thread.Wait();
    }
    m_thread.Wait();
    ResetPlayFlags();
    if (m_source)
        SeekLocked(0);
}

void Player::Pause() {
    CriticalSection::Lock api(m_apiLock);
    if (!m_source || m_source->Type() == SourceStream)
        return;
    if (Status() == PlayerStatusPlay) {
        m_output.Pause(true);
        SetStatus(PlayerStatusPause);
    } else if (Status() == PlayerStatusPause) {
        if (m_output.AllBlocksQueued())
            m_output.Pause(false);
        else
            m_prebuffering = true;
        SetStatus(PlayerStatusPlay);
    }
}

bool Player::Seek(int64_t ms) {
    CriticalSection::Lock api(m_apiLock);
    return SeekLocked(ms);
}

bool Player::SeekLocked(int64_t ms) {
    CriticalSection::Lock decode(m_decodeLock);
    if (!m_source || m_source->Type() == SourceStream)
        return false;
    const int64_t duration = SamplesToMs(m_totalSamples, m_fileInfo.sampleRate);
    if (ms < 0)
        ms = 0;
    if (ms >= duration)
        return false;
    int64_t sample = 0;
    if (!m_source->Seek(ms, m_options, sample))
        return false;
    m_positionBase = sample;
    m_seekHappened = true;
    m_output.Reset();
    m_atTrackStart = sample == 0;
    m_samplesHandedOut = 0;
    m_endReached = false;
    m_slowUntilPrebuffered = true;
    return true;
}

bool Player::Forward(int64_t ms) {
    CriticalSection::Lock api(m_apiLock);
    return m_source && SeekLocked(Position() + ms);
}

bool Player::Rewind(int64_t ms) {
    CriticalSection::Lock api(m_apiLock);
    return m_source && SeekLocked(Position() - ms);
}

int64_t Player::Position() {
    CriticalSection::Lock api(m_apiLock);
    if (!m_source || m_fileInfo.sampleRate <= 0)
        return 0;
    if (Status() == PlayerStatusStop)
        return m_positionBase * 1000 / m_fileInfo.sampleRate;
    const double played = static_cast<double>(m_positionBase + m_output.SamplesPlayed());
    return static_cast<int64_t>(played * 1000.0 / m_fileInfo.sampleRate);
}

int64_t Player::Duration() const {
    // The decoding thread writes the file info when it prepares a playback.
    CriticalSection::Lock api(m_apiLock);
    if (!m_source)
        return 0;
    // Handed out as a 32-bit count of milliseconds: longer is shown as the longest.
    return std::min<int64_t>(SamplesToMs(m_totalSamples, m_fileInfo.sampleRate), INT32_MAX);
}

bool Player::GetFileInfo(PlayerFileInfo& info) const {
    CriticalSection::Lock api(m_apiLock);
    if (!m_source)
        return false;
    info = m_fileInfo;
    info.duration = static_cast<int32_t>(Duration());
    return true;
}

bool Player::SetOptions(const PlayerOptions& options) {
    CriticalSection::Lock api(m_apiLock);
    if (Status() != PlayerStatusStop || options.outputPrebuffer < 0 ||
        options.outputPrebuffer > 100)
        return false;
    if (options.outputBufferLen != m_options.outputBufferLen ||
        options.alwaysOpenDevice != m_options.alwaysOpenDevice ||
        options.fadeIn != m_options.fadeIn) {
        m_output.Close();
        if (!m_output.Configure(options.outputBufferLen, options.alwaysOpenDevice != 0,
                                options.fadeIn != 0))
            return false;
    }
    m_options = options;
    return true;
}

void Player::SetEqualizer(const EqualizerParams& equalizer) {
    m_equalizer = equalizer;
    m_mpeg.SetEqualizer(equalizer);
    m_stream.SetEqualizer(equalizer);
    static_assert(sizeof(DecoderPluginEqualizer) == sizeof(EqualizerParams));
    DecoderPluginEqualizer forPlugins;
    std::memcpy(&forPlugins, &equalizer, sizeof forPlugins);
    m_plugins.SetEqualizer(forPlugins);
    const double db = (equalizer.preamp - 31) * (-20.0 / 31.0);
    m_preampGain = static_cast<int>(256.0 * std::pow(10.0, db * 0.05));
    m_equalizerOn = equalizer.enabled;
}

bool Player::GetEffect(int kind, EffectParams& params) const {
    switch (kind) {
    case EffectReverb:
        params = m_reverb.GetParams();
        return true;
    case EffectEcho:
        params = m_echo.GetParams();
        return true;
    case EffectSurround:
        params = m_surround.GetParams();
        return true;
    case Effect3DChorus:
        params = m_chorus.GetParams();
        return true;
    default:
        return false;
    }
}

bool Player::SetEffect(int kind, const EffectParams& params) {
    switch (kind) {
    case EffectReverb:
        m_reverb.SetParams(params);
        return true;
    case EffectEcho:
        m_echo.SetParams(params);
        return true;
    case EffectSurround:
        m_surround.SetParams(params);
        return true;
    case Effect3DChorus:
        m_chorus.SetParams(params);
        return true;
    default:
        return false;
    }
}

void Player::GetBufferInfo(uint32_t& outputTotal, uint32_t& outputQueued, uint32_t& streamTotal,
                           uint32_t& streamFilled) const {
    m_output.GetBufferInfo(outputTotal, outputQueued);
    streamTotal = 0;
    streamFilled = 0;
    if (m_stream.StreamingState() >= StreamSource::kConnecting) {
        const StreamClient& client = m_stream.Client();
        streamTotal = static_cast<uint32_t>(client.BlockCount() * StreamClient::kBlockSize);
        streamFilled = static_cast<uint32_t>(client.FilledBlocks() * StreamClient::kBlockSize);
    }
}

bool Player::SetStreamingOptions(const StreamingOptions& options) {
    return m_stream.Client().SetOptions(options);
}

int Player::StreamingBuffered() const {
    if (m_stream.StreamingState() < StreamSource::kConnecting)
        return 0;
    return m_stream.Client().FilledBlocks();
}

bool Player::GetStreamInfo(std::u16string& name, std::u16string& genre, std::u16string& url) const {
    name = m_stream.StationName();
    genre = m_stream.Client().Genre();
    url = m_stream.Client().StationUrl();
    return !name.empty() || !genre.empty() || !url.empty();
}

bool Player::GetStreamTitle(std::u16string& title) const {
    title = m_stream.Title();
    return !title.empty();
}

bool Player::IsValidFile(const std::u16string& path) {
    // Plug-ins open the path themselves: a FIFO or a device must not get that far.
    if (!RegularFile::Check(path))
        return false;
    {
        FileReader file;
        if (file.Open(path) && MpegFile::Probe(file))
            return true;
    }
    if (OggFile::Probe(path))
        return true;
    {
        FileReader file;
        if (file.Open(path) && WavReader::Probe(file))
            return true;
    }
    for (size_t i = 0; i < m_plugins.Count(); ++i) {
        const PluginRegistry::Entry& entry = m_plugins.At(i);
        if ((entry.caps & DECODER_PLUGIN_FILES) && entry.table->CheckFile(path.c_str()))
            return true;
    }
    return false;
}

// A plug-in's tag record is the engine's.
static_assert(sizeof(DecoderPluginTag) == sizeof(TagInfo));
static_assert(offsetof(DecoderPluginTag, year) == offsetof(TagInfo, year));

bool Player::GetTag(TagInfo& tag) {
    CriticalSection::Lock api(m_apiLock);
    if (!m_source)
        return false;
    if (m_source == &m_ogg)
        return VorbisComments::Apply(m_ogg.File().Comments(), tag);
    if (m_source == &m_plugin && (m_plugins.At(m_plugin.Index()).caps & DECODER_PLUGIN_TAGS) &&
        m_plugin.Table()->Tag(reinterpret_cast<DecoderPluginTag*>(&tag)))
        return true;
    return Id3Tag::ReadFile(m_path, tag);
}

bool Player::GetFileTag(const std::u16string& path, TagInfo& tag) {
    if (!RegularFile::Check(path))
        return false;
    for (size_t i = 0; i < m_plugins.Count(); ++i) {
        const PluginRegistry::Entry& entry = m_plugins.At(i);
        if ((entry.caps & DECODER_PLUGIN_TAGS) &&
            entry.table->FileTag(path.c_str(), reinterpret_cast<DecoderPluginTag*>(&tag)))
            return true;
    }
    if (OggFile::Probe(path)) {
        OggFile ogg;
        return ogg.Open(path) && VorbisComments::Apply(ogg.Comments(), tag);
    }
    FileReader file;
    return file.Open(path) && MpegFile::Probe(file) && Id3Tag::ReadFile(path, tag);
}

bool Player::GetGenreName(int index, char16_t* text, size_t capacity) {
    return GenreTable::CopyName(index, text, capacity);
}

const DecoderPlugin* Player::Decoder(size_t index) const {
    return index < m_plugins.Count() ? m_plugins.At(index).table : nullptr;
}

void Player::CloseDevice() {
    CriticalSection::Lock api(m_apiLock);
    if (Status() != PlayerStatusStop)
        Stop();
    m_output.Close();
}

// --- the decoding thread ---

void Player::ThreadMain() {
    if (Status() != PlayerStatusPreparing)
        SetStatus(PlayerStatusPreparing);
    PlayerFileInfo info = m_fileInfo;
    if (!m_source->Start(*this, info)) {
        Finish(false, !m_stopRequested);
        return;
    }
    m_bits = m_source->Bits(); // a stream's width is known once it is recognised
    const PrepareResult prepared = Prepare(info);
    if (prepared != kPrepared) {
        Finish(false, prepared == kPrepareFailed);
        return;
    }
    SetStatus(PlayerStatusPlay);
    for (;;) {
        const Source::LoopResult result = m_source->DecodeLoop(*this);
        if (result == Source::kEndOfData && !Finish(true, m_source->EndedEarly()))
            continue; // a seek during the drain: decode from the new position
        if (result != Source::kEndOfData)
            Finish(false, result == Source::kError);
        return;
    }
}

Player::PrepareResult Player::Prepare(const PlayerFileInfo& info) {
    // A stop holds the API lock while it waits for this thread: never wait for it blindly.
    while (!m_apiLock.TryEnter()) {
        if (m_stopRequested)
            return kPrepareStopped;
        Thread::Sleep(1);
    }
    struct Leave {
        CriticalSection& lock;
        ~Leave() { lock.Leave(); }
    } leave{m_apiLock};
    if (m_stopRequested)
        return kPrepareStopped;
    if (info.sampleRate <= 0 || info.channels <= 0)
        return kPrepareFailed;
    m_fileInfo = info;

    const int channels = m_fileInfo.channels, rate = m_fileInfo.sampleRate;
    if (!m_output.Open(channels, rate, m_bits))
        return kPrepareFailed;
    m_output.Pause(true); // nothing plays before the prebuffer is reached
    if (!m_source->Prepare())
        return kPrepareFailed;
    m_bassBoost.Prepare(channels, rate);
    m_echo.Prepare(channels, rate);
    m_reverb.Prepare(channels, rate);
    m_surround.Prepare(channels, rate);
    if (channels == 2)
        m_chorus.Prepare(channels, rate);
    m_prebuffering = true;
    Thread::SetCurrentPriority(Thread::kPriorityBelowNormal);
    return kPrepared;
}

bool Player::TakeSeek() {
    if (!m_seekHappened)
        return false;
    if (Status() == PlayerStatusPlay)
        m_prebuffering = true;
    ClearEffectHistories();
    m_output.Reset();
    if (m_held)
        m_held->bytesUsed = 0;
    m_held = nullptr;
    m_seekHappened = false;
    if (m_slowUntilPrebuffered.exchange(false))
        Thread::SetCurrentPriority(Thread::kPriorityBelowNormal);
    return true;
}

WaveHeader* Player::HoldBlock() {
    if (m_held)
        return m_held;
    for (;;) {
        if (m_stopRequested || m_seekHappened)
            return nullptr;
        if (m_output.WaitFreeBlock(kFreeBlockWaitMs))
            break;
    }
    if (m_stopRequested || m_seekHappened)
        return nullptr;
    m_held = m_output.NextFreeBlock(); // null once the device is closed
    if (m_held)
        m_held->bytesUsed = 0;
    return m_held;
}

void Player::PassBlock() {
    WaveHeader* block = m_held;
    m_held = nullptr;
    if (!block)
        return;
    if (!m_source->AppliesEqualizer() && m_equalizerOn != 0)
        OutputDevice::Preamp(m_bits, block->data, block->bytesUsed, m_preampGain);
    BlockPath(block);
}

void Player::BlockPath(WaveHeader* block) {
    const int channels = m_fileInfo.channels, rate = m_fileInfo.sampleRate, align = BlockAlign();
    uint32_t bytes = block->bytesUsed;

    // Track start and zero-sample removal.
    if (m_source->Type() != SourceStream) {
        if (m_atTrackStart)
            m_output.CancelFadeIn(); // a file played from its start never fades in
        if (m_options.removeZeroSample == 0) {
            m_atTrackStart = false;
        } else if (m_endReached) {
            block->bytesUsed = 0;
            m_output.Queue(block);
            return;
        } else if (m_atTrackStart) {
            const size_t silent =
                OutputDevice::ZeroScan(false, channels, m_bits, block->data, bytes);
            m_positionBase += static_cast<int64_t>(silent / align);
            if (silent >= bytes) {
                block->bytesUsed = 0;
                m_output.Queue(block);
                Thread::Sleep(1);
                return;
            }
            std::memmove(block->data, block->data + silent, bytes - silent);
            bytes -= static_cast<uint32_t>(silent);
            m_atTrackStart = false;
        } else if (!m_lengthGrown &&
                   m_samplesHandedOut + m_positionBase >= m_totalSamples - 10LL * rate) {
            // Only near the end of a length that held: past a wrong estimate a pause in the
            // music could pass for the end.
            const size_t tail = OutputDevice::ZeroScan(true, channels, m_bits, block->data, bytes);
            if (tail > static_cast<size_t>(m_bits / 8 * rate * channels / 100)) {
                m_endReached = true;
                bytes -= static_cast<uint32_t>(tail);
            }
        }
    }

    // Effects, on the bytes actually filled.
    if (channels == 2) {
        m_chorus.Process(m_bits, block->data, bytes);
        m_surround.Process(m_bits, block->data, bytes);
    }
    m_bassBoost.Process(m_bits, block->data, bytes);
    m_echo.Process(m_bits, block->data, bytes);
    m_reverb.Process(m_bits, block->data, bytes);

    block->bytesUsed = bytes;
    m_output.Queue(block);
    m_samplesHandedOut += bytes / align;
    // The end of a track is the end of its data: a length estimated too short follows what was
    // decoded, so the position never runs past it.
    if (m_source->Type() != SourceStream && m_positionBase + m_samplesHandedOut > m_totalSamples) {
        m_totalSamples = m_positionBase + m_samplesHandedOut;
        m_lengthGrown = true;
    }

    if (m_prebuffering && Status() == PlayerStatusPlay) {
        const int64_t target = static_cast<int64_t>(m_options.outputBufferLen) * rate / 1000 *
                               m_options.outputPrebuffer / 100;
        if (static_cast<int64_t>(m_output.QueuedSamples()) >= target ||
            m_output.AllBlocksQueued()) {
            m_output.Pause(false);
            m_prebuffering = false;
            Thread::SetCurrentPriority(m_options.threadPriority);
        }
    }
}

bool Player::Finish(bool drain, bool error) {
    if (drain) {
        if (m_held && m_held->bytesUsed > 0)
            PassBlock();
        while (!m_output.Drained()) {
            if (m_prebuffering && Status() == PlayerStatusPlay) {
                m_output.Pause(false);
                m_prebuffering = false;
            }
            Thread::Sleep(kDrainPollMs);
            if (m_seekHappened)
                return false;
            if (m_stopRequested)
                break;
        }
    }
    const bool atEnd = drain && !m_stopRequested;
    if (m_held)
        m_held->bytesUsed = 0;
    m_held = nullptr;

    m_output.Stop();
    ReleaseEffects();
    m_source->Release();
    if (m_options.alwaysOpenDevice == 0 || error)
        m_output.Close();

    m_positionBase = 0;
    m_seekHappened = false;
    m_prebuffering = false;
    m_endReached = false;
    m_samplesHandedOut = 0;
    m_atTrackStart = true;
    m_source->Rewind();
    m_output.ClearLevels();
    SetStatus(PlayerStatusStop,
              (atEnd ? kPlayerStoppedAtEnd : 0) | (error ? kPlayerStoppedOnError : 0));
    return true;
}

void Player::BeginRebuffer() {
    m_statusBeforeRebuffer = Status();
    SetStatus(PlayerStatusPreparing);
}

void Player::EndRebuffer() {
    m_output.Pause(true);
    m_prebuffering = true;
    SetStatus(m_statusBeforeRebuffer);
}

void Player::ClearEffectHistories() {
    m_echo.ClearHistory();
    m_reverb.ClearHistory();
    m_bassBoost.ClearHistory();
    m_chorus.ClearHistory();
}

void Player::ReleaseEffects() {
    ClearEffectHistories();
    m_echo.Release();
    m_reverb.Release();
    m_chorus.Release();
}
