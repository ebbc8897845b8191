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
        m_owner = owner;
        m_stream.SetOwner(owner);
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
    PlayerStatus Status() const { return m_status.load(); }
    PlayerSource SourceType() const { return m_source ? m_source->Type() : SourceNone; }
    bool GetFileInfo(PlayerFileInfo& info) const;

    PlayerOptions Options() const { return m_options; }
    bool SetOptions(const PlayerOptions& options);
    EqualizerParams Equalizer() const { return m_equalizer; }
    void SetEqualizer(const EqualizerParams& equalizer);
    // PCM preamp gain of the equalizer record (256 = unity).
    int PreampGain() const { return m_preampGain; }
    bool GetEffect(int kind, EffectParams& params) const;
    bool SetEffect(int kind, const EffectParams& params);
    int BassBoost() const { return m_bassBoost.GetLevel(); }
    void SetBassBoost(int level) { m_bassBoost.SetLevel(level); }

    void SetLevelMeter(bool on) { m_output.SetMeasuring(on); }
    bool LevelMeter() const { return m_output.Measuring(); }
    void GetLevels(int& left, int& right) const { m_output.GetLevels(left, right); }
    void GetBufferInfo(uint32_t& outputTotal, uint32_t& outputQueued, uint32_t& streamTotal,
                       uint32_t& streamFilled) const;
    void CloseDevice();

    // Streams.
    StreamingOptions GetStreamingOptions() const { return m_stream.Client().Options(); }
    bool SetStreamingOptions(const StreamingOptions& options);
    // 0 no stream, 1 idle, 2 connecting, 3 filling the buffer, 4 playing.
    int StreamingState() const { return m_stream.StreamingState(); }
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
    bool AddDecoder(const DecoderPlugin* table) { return m_plugins.Add(table); }
    size_t DecoderCount() const { return m_plugins.Count(); }
    const DecoderPlugin* Decoder(size_t index) const;

private:
    enum PrepareResult { kPrepared, kPrepareStopped, kPrepareFailed };

    // DecodeContext
    bool StopRequested() const override { return m_stopRequested; }
    bool EndReached() const override { return m_endReached; }
    CriticalSection& DecodeLock() override { return m_decodeLock; }
    bool TakeSeek() override;
    uint32_t BlockSize() const override { return m_output.BlockSize(); }
    WaveHeader* HoldBlock() override;
    void PassBlock() override;
    bool OutputUnderrun() override { return m_output.QueuedSamples() == 0; }
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
    int BlockAlign() const { return m_fileInfo.channels * m_bits / 8; }

    std::atomic<MessageSink*> m_owner{nullptr};
    mutable CriticalSection m_apiLock;
    CriticalSection m_decodeLock;

    PluginRegistry m_plugins;
    PluginSource m_plugin{m_plugins};
    MpegSource m_mpeg;
    OggSource m_ogg;
    WavSource m_wav;
    StreamSource m_stream{m_plugins};
    Source* m_source = nullptr;
    std::u16string m_path;
    PlayerFileInfo m_fileInfo;
    // The length; an estimate (an MPEG file without a frame count) grows while the decoding thread
    // hands out more than it said.
    std::atomic<int64_t> m_totalSamples{0};
    std::atomic<bool> m_lengthGrown{false};
    int m_bits = 16;

    OutputDevice m_output;
    SurroundEffect m_surround;
    Chorus3DEffect m_chorus;
    BassBoostEffect m_bassBoost;
    EchoReverbEffect m_echo{EchoReverbEffect::Echo};
    EchoReverbEffect m_reverb{EchoReverbEffect::Reverb};

    PlayerOptions m_options;
    EqualizerParams m_equalizer;
    std::atomic<int> m_equalizerOn{0}; // read by the decoding thread
    std::atomic<int> m_preampGain{256};

    Thread m_thread;
    std::atomic<PlayerStatus> m_status{PlayerStatusStop};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_seekHappened{false};
    std::atomic<bool> m_prebuffering{false};
    std::atomic<bool> m_atTrackStart{true};
    std::atomic<bool> m_endReached{false};
    std::atomic<bool> m_slowUntilPrebuffered{false};
    std::atomic<int64_t> m_positionBase{0};
    std::atomic<int64_t> m_samplesHandedOut{0};
    PlayerStatus m_statusBeforeRebuffer = PlayerStatusPlay; // decoding thread only
    WaveHeader* m_held = nullptr; // the block being filled; decoding thread only
};
