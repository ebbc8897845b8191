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
    : output_(std::move(makeDevice)) {
    for (const std::string& folder : pluginFolders)
        plugins_.LoadFolder(folder);
    output_.Configure(options_.outputBufferLen, options_.alwaysOpenDevice != 0,
                      options_.fadeIn != 0);
}

Player::~Player() {
    Close();
    output_.Close();
}

void Player::SetStatus(PlayerStatus status, intptr_t lParam) {
    if (status_.exchange(status) == status)
        return;
    if (MessageSink* owner = owner_.load())
        owner->Post(WM_PLAYER_STATUS, static_cast<uintptr_t>(status),
                    status == PlayerStatusStop ? lParam : 0);
}

void Player::ResetPlayFlags() {
    stopRequested_ = false;
    seekHappened_ = false;
    prebuffering_ = false;
    endReached_ = false;
    slowUntilPrebuffered_ = false;
    samplesHandedOut_ = 0;
    atTrackStart_ = positionBase_ == 0;
}

bool Player::OpenFile(const std::u16string& path) {
    CriticalSection::Lock api(apiLock_);
    Close();
    // Plug-ins first, then the built-in decoders; the first that accepts the file wins.
    for (Source* source : {static_cast<Source*>(&plugin_), static_cast<Source*>(&mpeg_),
                           static_cast<Source*>(&ogg_), static_cast<Source*>(&wav_)}) {
        PlayerFileInfo info;
        int64_t total = 0;
        if (!source->Open(path, options_, info, total))
            continue;
        if (info.sampleRate <= 0 || info.channels <= 0) {
            source->Close();
            continue;
        }
        source_ = source;
        fileInfo_ = info;
        totalSamples_ = total;
        bits_ = source->Bits();
        fileInfo_.duration = static_cast<int32_t>(Duration());
        break;
    }
    if (!source_)
        return false;
    path_ = path;
    source_->SetEqualizer(equalizer_);
    positionBase_ = 0;
    ResetPlayFlags();
    return true;
}

bool Player::OpenUrl(const std::u16string& url) {
    CriticalSection::Lock api(apiLock_);
    Close();
    PlayerFileInfo info;
    int64_t total = 0;
    if (!stream_.Open(url, options_, info, total))
        return false;
    source_ = &stream_;
    fileInfo_ = PlayerFileInfo();
    totalSamples_ = 0;
    bits_ = stream_.Bits();
    path_ = url;
    stream_.SetEqualizer(equalizer_);
    positionBase_ = 0;
    ResetPlayFlags();
    return true;
}

void Player::Close() {
    CriticalSection::Lock api(apiLock_);
    Stop();
    if (source_)
        source_->Close();
    source_ = nullptr;
    fileInfo_ = PlayerFileInfo();
    totalSamples_ = 0;
    positionBase_ = 0;
    path_.clear();
}

bool Player::Play() {
    CriticalSection::Lock api(apiLock_);
    if (!source_)
        return false;
    const PlayerStatus status = Status();
    if (status == PlayerStatusPause) {
        Pause();
        return true;
    }
    if (status != PlayerStatusStop)
        return false;
    thread_.Wait(); // a playback that just ended may still be on its way out
    const bool seekPending = seekHappened_;
    ResetPlayFlags();
    seekHappened_ = seekPending;
    // "Preparing" from here on, so that no second Play waits for a thread that in turn waits
    // for this lock.
    SetStatus(PlayerStatusPreparing);
    if (thread_.Start([this] { ThreadMain(); }, Thread::kPriorityNormal))
        return true;
    SetStatus(PlayerStatusStop, kPlayerStoppedOnError);
    return false;
}

void Player::Stop() {
    CriticalSection::Lock api(apiLock_);
    if (thread_.IsRunning() || Status() != PlayerStatusStop) {
        stopRequested_ = true;
        if (source_ == &stream_)
            stream_.Interrupt(); // ends a connection or a wait for stream data
        output_.Reset();         // releases a thread waiting for a free block
        thread_.Wait();
    }
    thread_.Wait();
    ResetPlayFlags();
    if (source_)
        SeekLocked(0);
}

void Player::Pause() {
    CriticalSection::Lock api(apiLock_);
    if (!source_ || source_->Type() == SourceStream)
        return;
    if (Status() == PlayerStatusPlay) {
        output_.Pause(true);
        SetStatus(PlayerStatusPause);
    } else if (Status() == PlayerStatusPause) {
        if (output_.AllBlocksQueued())
            output_.Pause(false);
        else
            prebuffering_ = true;
        SetStatus(PlayerStatusPlay);
    }
}

bool Player::Seek(int64_t ms) {
    CriticalSection::Lock api(apiLock_);
    return SeekLocked(ms);
}

bool Player::SeekLocked(int64_t ms) {
    CriticalSection::Lock decode(decodeLock_);
    if (!source_ || source_->Type() == SourceStream)
        return false;
    const int64_t duration = SamplesToMs(totalSamples_, fileInfo_.sampleRate);
    if (ms < 0)
        ms = 0;
    if (ms >= duration)
        return false;
    int64_t sample = 0;
    if (!source_->Seek(ms, options_, sample))
        return false;
    positionBase_ = sample;
    seekHappened_ = true;
    output_.Reset();
    atTrackStart_ = sample == 0;
    samplesHandedOut_ = 0;
    endReached_ = false;
    slowUntilPrebuffered_ = true;
    return true;
}

bool Player::Forward(int64_t ms) {
    CriticalSection::Lock api(apiLock_);
    return source_ && SeekLocked(Position() + ms);
}

bool Player::Rewind(int64_t ms) {
    CriticalSection::Lock api(apiLock_);
    return source_ && SeekLocked(Position() - ms);
}

int64_t Player::Position() {
    CriticalSection::Lock api(apiLock_);
    if (!source_ || fileInfo_.sampleRate <= 0)
        return 0;
    if (Status() == PlayerStatusStop)
        return positionBase_ * 1000 / fileInfo_.sampleRate;
    const double played = static_cast<double>(positionBase_ + output_.SamplesPlayed());
    return static_cast<int64_t>(played * 1000.0 / fileInfo_.sampleRate);
}

int64_t Player::Duration() const {
    // The decoding thread writes the file info when it prepares a playback.
    CriticalSection::Lock api(apiLock_);
    if (!source_)
        return 0;
    // Handed out as a 32-bit count of milliseconds: longer is shown as the longest.
    return std::min<int64_t>(SamplesToMs(totalSamples_, fileInfo_.sampleRate), INT32_MAX);
}

bool Player::GetFileInfo(PlayerFileInfo& info) const {
    CriticalSection::Lock api(apiLock_);
    if (!source_)
        return false;
    info = fileInfo_;
    return true;
}

bool Player::SetOptions(const PlayerOptions& options) {
    CriticalSection::Lock api(apiLock_);
    if (Status() != PlayerStatusStop || options.outputPrebuffer < 0 ||
        options.outputPrebuffer > 100)
        return false;
    if (options.outputBufferLen != options_.outputBufferLen ||
        options.alwaysOpenDevice != options_.alwaysOpenDevice ||
        options.fadeIn != options_.fadeIn) {
        output_.Close();
        if (!output_.Configure(options.outputBufferLen, options.alwaysOpenDevice != 0,
                               options.fadeIn != 0))
            return false;
    }
    options_ = options;
    return true;
}

void Player::SetEqualizer(const EqualizerParams& equalizer) {
    equalizer_ = equalizer;
    mpeg_.SetEqualizer(equalizer);
    stream_.SetEqualizer(equalizer);
    static_assert(sizeof(DecoderPluginEqualizer) == sizeof(EqualizerParams));
    DecoderPluginEqualizer forPlugins;
    std::memcpy(&forPlugins, &equalizer, sizeof forPlugins);
    plugins_.SetEqualizer(forPlugins);
    const double db = (equalizer.preamp - 31) * (-20.0 / 31.0);
    preampGain_ = static_cast<int>(256.0 * std::pow(10.0, db * 0.05));
    equalizerOn_ = equalizer.enabled;
}

bool Player::GetEffect(int kind, EffectParams& params) const {
    switch (kind) {
    case EffectReverb:
        params = reverb_.GetParams();
        return true;
    case EffectEcho:
        params = echo_.GetParams();
        return true;
    case EffectSurround:
        params = surround_.GetParams();
        return true;
    case Effect3DChorus:
        params = chorus_.GetParams();
        return true;
    default:
        return false;
    }
}

bool Player::SetEffect(int kind, const EffectParams& params) {
    switch (kind) {
    case EffectReverb:
        reverb_.SetParams(params);
        return true;
    case EffectEcho:
        echo_.SetParams(params);
        return true;
    case EffectSurround:
        surround_.SetParams(params);
        return true;
    case Effect3DChorus:
        chorus_.SetParams(params);
        return true;
    default:
        return false;
    }
}

void Player::GetBufferInfo(uint32_t& outputTotal, uint32_t& outputQueued, uint32_t& streamTotal,
                           uint32_t& streamFilled) const {
    output_.GetBufferInfo(outputTotal, outputQueued);
    streamTotal = 0;
    streamFilled = 0;
    if (stream_.StreamingState() >= StreamSource::kConnecting) {
        const StreamClient& client = stream_.Client();
        streamTotal = static_cast<uint32_t>(client.BlockCount() * StreamClient::kBlockSize);
        streamFilled = static_cast<uint32_t>(client.FilledBlocks() * StreamClient::kBlockSize);
    }
}

bool Player::SetStreamingOptions(const StreamingOptions& options) {
    return stream_.Client().SetOptions(options);
}

int Player::StreamingBuffered() const {
    if (stream_.StreamingState() < StreamSource::kConnecting)
        return 0;
    return stream_.Client().FilledBlocks();
}

bool Player::GetStreamInfo(std::u16string& name, std::u16string& genre, std::u16string& url) const {
    name = stream_.StationName();
    genre = stream_.Client().Genre();
    url = stream_.Client().StationUrl();
    return !name.empty() || !genre.empty() || !url.empty();
}

bool Player::GetStreamTitle(std::u16string& title) const {
    title = stream_.Title();
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
    for (size_t i = 0; i < plugins_.Count(); ++i) {
        const PluginRegistry::Entry& entry = plugins_.At(i);
        if ((entry.caps & DECODER_PLUGIN_FILES) && entry.table->CheckFile(path.c_str()))
            return true;
    }
    return false;
}

// A plug-in's tag record is the engine's.
static_assert(sizeof(DecoderPluginTag) == sizeof(TagInfo));
static_assert(offsetof(DecoderPluginTag, year) == offsetof(TagInfo, year));

bool Player::GetTag(TagInfo& tag) {
    CriticalSection::Lock api(apiLock_);
    if (!source_)
        return false;
    if (source_ == &ogg_)
        return VorbisComments::Apply(ogg_.File().Comments(), tag);
    if (source_ == &plugin_ && (plugins_.At(plugin_.Index()).caps & DECODER_PLUGIN_TAGS) &&
        plugin_.Table()->Tag(reinterpret_cast<DecoderPluginTag*>(&tag)))
        return true;
    return Id3Tag::ReadFile(path_, tag);
}

bool Player::GetFileTag(const std::u16string& path, TagInfo& tag) {
    if (!RegularFile::Check(path))
        return false;
    for (size_t i = 0; i < plugins_.Count(); ++i) {
        const PluginRegistry::Entry& entry = plugins_.At(i);
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
    return index < plugins_.Count() ? plugins_.At(index).table : nullptr;
}

void Player::CloseDevice() {
    CriticalSection::Lock api(apiLock_);
    if (Status() != PlayerStatusStop)
        Stop();
    output_.Close();
}

// --- the decoding thread ---

void Player::ThreadMain() {
    if (Status() != PlayerStatusPreparing)
        SetStatus(PlayerStatusPreparing);
    PlayerFileInfo info = fileInfo_;
    if (!source_->Start(*this, info)) {
        Finish(false, !stopRequested_);
        return;
    }
    bits_ = source_->Bits(); // a stream's width is known once it is recognised
    const PrepareResult prepared = Prepare(info);
    if (prepared != kPrepared) {
        Finish(false, prepared == kPrepareFailed);
        return;
    }
    SetStatus(PlayerStatusPlay);
    for (;;) {
        const Source::LoopResult result = source_->DecodeLoop(*this);
        if (result == Source::kEndOfData && !Finish(true, source_->EndedEarly()))
            continue; // a seek during the drain: decode from the new position
        if (result != Source::kEndOfData)
            Finish(false, result == Source::kError);
        return;
    }
}

Player::PrepareResult Player::Prepare(const PlayerFileInfo& info) {
    // A stop holds the API lock while it waits for this thread: never wait for it blindly.
    while (!apiLock_.TryEnter()) {
        if (stopRequested_)
            return kPrepareStopped;
        Thread::Sleep(1);
    }
    struct Leave {
        CriticalSection& lock;
        ~Leave() { lock.Leave(); }
    } leave{apiLock_};
    if (stopRequested_)
        return kPrepareStopped;
    if (info.sampleRate <= 0 || info.channels <= 0)
        return kPrepareFailed;
    fileInfo_ = info;

    const int channels = fileInfo_.channels, rate = fileInfo_.sampleRate;
    if (!output_.Open(channels, rate, bits_))
        return kPrepareFailed;
    output_.Pause(true); // nothing plays before the prebuffer is reached
    if (!source_->Prepare())
        return kPrepareFailed;
    bassBoost_.Prepare(channels, rate);
    echo_.Prepare(channels, rate);
    reverb_.Prepare(channels, rate);
    surround_.Prepare(channels, rate);
    if (channels == 2)
        chorus_.Prepare(channels, rate);
    prebuffering_ = true;
    Thread::SetCurrentPriority(Thread::kPriorityBelowNormal);
    return kPrepared;
}

bool Player::TakeSeek() {
    if (!seekHappened_)
        return false;
    if (Status() == PlayerStatusPlay)
        prebuffering_ = true;
    ClearEffectHistories();
    output_.Reset();
    if (held_)
        held_->bytesUsed = 0;
    held_ = nullptr;
    seekHappened_ = false;
    if (slowUntilPrebuffered_.exchange(false))
        Thread::SetCurrentPriority(Thread::kPriorityBelowNormal);
    return true;
}

WaveHeader* Player::HoldBlock() {
    if (held_)
        return held_;
    for (;;) {
        if (stopRequested_ || seekHappened_)
            return nullptr;
        if (output_.WaitFreeBlock(kFreeBlockWaitMs))
            break;
    }
    if (stopRequested_ || seekHappened_)
        return nullptr;
    held_ = output_.NextFreeBlock(); // null once the device is closed
    if (held_)
        held_->bytesUsed = 0;
    return held_;
}

void Player::PassBlock() {
    WaveHeader* block = held_;
    held_ = nullptr;
    if (!block)
        return;
    if (!source_->AppliesEqualizer() && equalizerOn_ != 0)
        OutputDevice::Preamp(bits_, block->data, block->bytesUsed, preampGain_);
    BlockPath(block);
}

void Player::BlockPath(WaveHeader* block) {
    const int channels = fileInfo_.channels, rate = fileInfo_.sampleRate, align = BlockAlign();
    uint32_t bytes = block->bytesUsed;

    // Track start and zero-sample removal.
    if (source_->Type() != SourceStream) {
        if (atTrackStart_)
            output_.CancelFadeIn(); // a file played from its start never fades in
        if (options_.removeZeroSample == 0) {
            atTrackStart_ = false;
        } else if (endReached_) {
            block->bytesUsed = 0;
            output_.Queue(block);
            return;
        } else if (atTrackStart_) {
            const size_t silent =
                OutputDevice::ZeroScan(false, channels, bits_, block->data, bytes);
            positionBase_ += static_cast<int64_t>(silent / align);
            if (silent >= bytes) {
                block->bytesUsed = 0;
                output_.Queue(block);
                Thread::Sleep(1);
                return;
            }
            std::memmove(block->data, block->data + silent, bytes - silent);
            bytes -= static_cast<uint32_t>(silent);
            atTrackStart_ = false;
        } else if (samplesHandedOut_ + positionBase_ >= totalSamples_ - 10LL * rate) {
            const size_t tail = OutputDevice::ZeroScan(true, channels, bits_, block->data, bytes);
            if (tail > static_cast<size_t>(bits_ / 8 * rate * channels / 100)) {
                endReached_ = true;
                bytes -= static_cast<uint32_t>(tail);
            }
        }
    }

    // Effects, on the bytes actually filled.
    if (channels == 2) {
        chorus_.Process(bits_, block->data, bytes);
        surround_.Process(bits_, block->data, bytes);
    }
    bassBoost_.Process(bits_, block->data, bytes);
    echo_.Process(bits_, block->data, bytes);
    reverb_.Process(bits_, block->data, bytes);

    block->bytesUsed = bytes;
    output_.Queue(block);
    samplesHandedOut_ += bytes / align;

    if (prebuffering_ && Status() == PlayerStatusPlay) {
        const int64_t target = static_cast<int64_t>(options_.outputBufferLen) * rate / 1000 *
                               options_.outputPrebuffer / 100;
        if (static_cast<int64_t>(output_.QueuedSamples()) >= target || output_.AllBlocksQueued()) {
            output_.Pause(false);
            prebuffering_ = false;
            Thread::SetCurrentPriority(options_.threadPriority);
        }
    }
}

bool Player::Finish(bool drain, bool error) {
    if (drain) {
        if (held_ && held_->bytesUsed > 0)
            PassBlock();
        while (!output_.Drained()) {
            if (prebuffering_ && Status() == PlayerStatusPlay) {
                output_.Pause(false);
                prebuffering_ = false;
            }
            Thread::Sleep(kDrainPollMs);
            if (seekHappened_)
                return false;
            if (stopRequested_)
                break;
        }
    }
    const bool atEnd = drain && !stopRequested_;
    if (held_)
        held_->bytesUsed = 0;
    held_ = nullptr;

    output_.Stop();
    ReleaseEffects();
    source_->Release();
    if (options_.alwaysOpenDevice == 0 || error)
        output_.Close();

    positionBase_ = 0;
    seekHappened_ = false;
    prebuffering_ = false;
    endReached_ = false;
    samplesHandedOut_ = 0;
    atTrackStart_ = true;
    source_->Rewind();
    output_.ClearLevels();
    SetStatus(PlayerStatusStop,
              (atEnd ? kPlayerStoppedAtEnd : 0) | (error ? kPlayerStoppedOnError : 0));
    return true;
}

void Player::BeginRebuffer() {
    statusBeforeRebuffer_ = Status();
    SetStatus(PlayerStatusPreparing);
}

void Player::EndRebuffer() {
    output_.Pause(true);
    prebuffering_ = true;
    SetStatus(statusBeforeRebuffer_);
}

void Player::ClearEffectHistories() {
    echo_.ClearHistory();
    reverb_.ClearHistory();
    bassBoost_.ClearHistory();
    chorus_.ClearHistory();
}

void Player::ReleaseEffects() {
    ClearEffectHistories();
    echo_.Release();
    reverb_.Release();
    chorus_.Release();
}
