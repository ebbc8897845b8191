#pragma once

#include "engine/core/PlayerTypes.h"
#include "engine/effects/BassBoostEffect.h"
#include "engine/effects/Chorus3DEffect.h"
#include "engine/effects/EchoReverbEffect.h"
#include "engine/effects/SurroundEffect.h"
#include "engine/output/OutputDevice.h"
#include "engine/player/DecodeContext.h"
#include "engine/player/MpegSource.h"
#include "engine/player/OggSource.h"
#include "engine/player/PluginSource.h"
#include "engine/player/StreamSource.h"
#include "engine/player/WavSource.h"
#include "engine/plugins/PluginRegistry.h"
#include "platform/CriticalSection.h"
#include "platform/Thread.h"

#include <atomic>
#include <memory>
#include <string>

class MessageSink;

// The built-in engine's player: one open source, decoded on a thread of its own through the
// effects into the output device. Progress reaches the owner only as posted messages.
//
// Locks, always taken in this order: the API lock (open, close, play, stop, pause, seek,
// position and the decoding thread's prepare step), the decode lock (around each read of the
// source, and seeks), the file lock inside the source's file reader. A stop holds the API lock
// while it waits for the decoding thread; the thread's prepare step therefore never blocks on
// that lock: it tries it and gives up as soon as a stop is requested.
class Player : private DecodeContext {
public:
    // Loads the decoder plug-ins of `pluginFolders`.
    explicit Player(
        std::function<std::unique_ptr<WaveOut>()> makeDevice = &WaveOut::Create,
        const std::vector<std::string>& pluginFolders = PluginRegistry::DefaultFolders());
    ~Player() override;
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void SetOwner(MessageSink* owner) {
        owner_ = owner;
        stream_.SetOwner(owner);
    }

    bool OpenFile(const std::u16string& path);
    // Whether some decoder takes the file: the MPEG, Ogg and WAV probes, then the plug-ins.
    bool IsValidFile(const std::u16string& path);
    // Opens an http:// stream (source type 5); the connection is made by Play.
    bool OpenUrl(const std::u16string& url);
    void Close();
    bool Play();
    void Stop();
    void Pause();
    bool Seek(int64_t ms);
    bool Forward(int64_t ms);
    bool Rewind(int64_t ms);
    int64_t Position();
    int64_t Duration() const;
    PlayerStatus Status() const { return status_.load(); }
    PlayerSource SourceType() const { return source_ ? source_->Type() : SourceNone; }
    bool GetFileInfo(PlayerFileInfo& info) const;

    PlayerOptions Options() const { return options_; }
    bool SetOptions(const PlayerOptions& options);
    EqualizerParams Equalizer() const { return equalizer_; }
    void SetEqualizer(const EqualizerParams& equalizer);
    // PCM preamp gain of the equalizer record (256 = unity).
    int PreampGain() const { return preampGain_; }
    bool GetEffect(int kind, EffectParams& params) const;
    bool SetEffect(int kind, const EffectParams& params);
    int BassBoost() const { return bassBoost_.GetLevel(); }
    void SetBassBoost(int level) { bassBoost_.SetLevel(level); }

    void SetLevelMeter(bool on) { output_.SetMeasuring(on); }
    bool LevelMeter() const { return output_.Measuring(); }
    void GetLevels(int& left, int& right) const { output_.GetLevels(left, right); }
    void GetBufferInfo(uint32_t& outputTotal, uint32_t& outputQueued, uint32_t& streamTotal,
                       uint32_t& streamFilled) const;
    void CloseDevice();

    // Streams.
    StreamingOptions GetStreamingOptions() const { return stream_.Client().Options(); }
    bool SetStreamingOptions(const StreamingOptions& options);
    // 0 no stream, 1 idle, 2 connecting, 3 filling the buffer, 4 playing.
    int StreamingState() const { return stream_.StreamingState(); }
    // Filled stream blocks; 0 below state 2.
    int StreamingBuffered() const;
    // Station name, genre and URL; false when all three are empty.
    bool GetStreamInfo(std::u16string& name, std::u16string& genre, std::u16string& url) const;
    bool GetStreamTitle(std::u16string& title) const;

    // Tags of the open source, of any file, and the ID3 genre names (false for indexes outside
    // 0..147, leaving `text` as it was).
    bool GetTag(TagInfo& tag);
    bool GetFileTag(const std::u16string& path, TagInfo& tag);
    static bool GetGenreName(int index, char16_t* text, size_t capacity);

    // Decoder plug-ins.
    bool AddDecoder(const DecoderPlugin* table) { return plugins_.Add(table); }
    size_t DecoderCount() const { return plugins_.Count(); }
    const DecoderPlugin* Decoder(size_t index) const;

private:
    enum PrepareResult { kPrepared, kPrepareStopped, kPrepareFailed };

    // DecodeContext
    bool StopRequested() const override { return stopRequested_; }
    bool EndReached() const override { return endReached_; }
    CriticalSection& DecodeLock() override { return decodeLock_; }
    bool TakeSeek() override;
    uint32_t BlockSize() const override { return output_.BlockSize(); }
    WaveHeader* HoldBlock() override;
    void PassBlock() override;
    bool OutputUnderrun() override { return output_.QueuedSamples() == 0; }
    void BeginRebuffer() override;
    void EndRebuffer() override;

    void ThreadMain();
    PrepareResult Prepare(const PlayerFileInfo& info);
    // Ends a playback. False when a seek cut the drain short (decoding goes on).
    bool Finish(bool drain, bool error);
    void BlockPath(WaveHeader* block);
    void SetStatus(PlayerStatus status, intptr_t lParam = 0);
    void ClearEffectHistories();
    void ReleaseEffects();
    void ResetPlayFlags();
    bool SeekLocked(int64_t ms);
    int BlockAlign() const { return fileInfo_.channels * bits_ / 8; }

    std::atomic<MessageSink*> owner_{nullptr};
    mutable CriticalSection apiLock_;
    CriticalSection decodeLock_;

    PluginRegistry plugins_;
    PluginSource plugin_{plugins_};
    MpegSource mpeg_;
    OggSource ogg_;
    WavSource wav_;
    StreamSource stream_{plugins_};
    Source* source_ = nullptr;
    std::u16string path_;
    PlayerFileInfo fileInfo_;
    int64_t totalSamples_ = 0;
    int bits_ = 16;

    OutputDevice output_;
    SurroundEffect surround_;
    Chorus3DEffect chorus_;
    BassBoostEffect bassBoost_;
    EchoReverbEffect echo_{EchoReverbEffect::Echo};
    EchoReverbEffect reverb_{EchoReverbEffect::Reverb};

    PlayerOptions options_;
    EqualizerParams equalizer_;
    std::atomic<int> equalizerOn_{0}; // read by the decoding thread
    std::atomic<int> preampGain_{256};

    Thread thread_;
    std::atomic<PlayerStatus> status_{PlayerStatusStop};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> seekHappened_{false};
    std::atomic<bool> prebuffering_{false};
    std::atomic<bool> atTrackStart_{true};
    std::atomic<bool> endReached_{false};
    std::atomic<bool> slowUntilPrebuffered_{false};
    std::atomic<int64_t> positionBase_{0};
    std::atomic<int64_t> samplesHandedOut_{0};
    PlayerStatus statusBeforeRebuffer_ = PlayerStatusPlay; // decoding thread only
    WaveHeader* held_ = nullptr; // the block being filled; decoding thread only
};
