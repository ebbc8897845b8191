#pragma once

#include "engine/decoders/OggStream.h"
#include "engine/player/MpegFrameFeeder.h"
#include "engine/player/Source.h"
#include "engine/plugins/PluginRegistry.h"
#include "engine/stream/StreamClient.h"
#include "platform/MessageSink.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

// http:// and https:// radio streams: a StreamClient receives the bytes; Start connects, prebuffers
// and recognises MPEG audio, Ogg Vorbis or a stream decoder plug-in's format, the decode loop plays
// it and re-buffers when the output runs dry.
class StreamSource : public Source, private MessageSink {
public:
    static constexpr size_t kChunkSize = 4096;

    // Streaming states.
    enum State { kNoStream = 0, kIdle = 1, kConnecting = 2, kBuffering = 3, kPlaying = 4 };

    // `plugins` are offered the data that is neither MPEG nor Ogg Vorbis.
    explicit StreamSource(const PluginRegistry& plugins);
    ~StreamSource() override;

    // The window that receives the title messages (of the client and of Ogg comments).
    void SetOwner(MessageSink* owner) { owner_ = owner; }
    MessageSink* Owner() const { return owner_.load(); }

    PlayerSource Type() const override { return SourceStream; }
    // Takes only "http://" and "https://" URLs; nothing is connected yet.
    bool Open(const std::u16string& url, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override;
    int Bits() const override { return kind_ == kPlugin ? pluginBits_ : 16; }
    bool AppliesEqualizer() const override;
    void SetEqualizer(const EqualizerParams& eq) override { feeder_.SetEqualizer(eq); }
    bool Start(DecodeContext& context, PlayerFileInfo& info) override;
    bool Prepare() override;
    void Release() override;
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool EndedEarly() const override { return brokenOff_; }
    bool Seek(int64_t, const PlayerOptions&, int64_t&) override { return false; }
    void Rewind() override {}

    // Ends a connection or a wait of the decoding thread (a stop request).
    void Interrupt() { client_.Stop(); }

    StreamClient& Client() { return client_; }
    const StreamClient& Client() const { return client_; }
    int StreamingState() const { return state_.load(); }
    // The ICY station name, else the one an ID3v2 tag at the start of the stream gave.
    std::u16string StationName() const;
    // The title of the Ogg comments, else the last ICY "StreamTitle".
    std::u16string Title() const;

private:
    enum Kind { kNone, kMpeg, kOgg, kPlugin };
    // kResumed: a re-buffer on the same connection succeeded (the data goes on seamlessly).
    enum Next { kGot, kResumed, kReconnected, kFinishDrain, kFinishStop, kFinishError };

    bool Post(uint32_t message, uintptr_t wParam, intptr_t lParam) override;

    bool WaitForPrebuffer(DecodeContext& context);
    bool Recognise(PlayerFileInfo& info);
    void TakeId3Name(const uint8_t* bytes, size_t length);
    // The common rule around each read of kChunkSize bytes into `out`.
    Next NextChunk(DecodeContext& context, uint8_t* out, size_t& got, size_t want = kChunkSize);
    bool RecognisePlugin(PlayerFileInfo& info);
    Next Rebuffer(DecodeContext& context);
    // The end when no reconnection follows: a clean end of the stream, or one broken off.
    Next Ended();
    static LoopResult Finished(Next next);
    LoopResult MpegLoop(DecodeContext& context);
    LoopResult OggLoop(DecodeContext& context);
    LoopResult PluginLoop(DecodeContext& context);
    void UpdateOggTitle();

    const PluginRegistry& plugins_;
    std::atomic<MessageSink*> owner_{nullptr};
    StreamClient client_{this};
    std::u16string url_;
    std::atomic<int> state_{kNoStream};
    Kind kind_ = kNone;
    bool brokenOff_ = false; // decoding thread only

    uint8_t chunk_[kChunkSize] = {}; // the last chunk read while recognising
    size_t chunkBytes_ = 0;
    MpegFrameFeeder feeder_;
    MpegHeaderInfo mpegHeader_;
    uint8_t window_[2 * kChunkSize + MpegDecoder::kGuardBytes] = {};
    std::unique_ptr<OggStream> ogg_;
    const PluginRegistry::Entry* plugin_ = nullptr; // the stream decoder plug-in in use
    int pluginBits_ = 16;

    mutable std::mutex textLock_;
    std::u16string id3Name_;
    std::u16string oggTitle_;
    char16_t postedTitle_[StreamClient::kTextLength] = {};
};
