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
    void SetOwner(MessageSink* owner) { m_owner = owner; }
    MessageSink* Owner() const { return m_owner.load(); }

    PlayerSource Type() const override { return SourceStream; }
    // Takes only "http://" and "https://" URLs; nothing is connected yet.
    bool Open(const std::u16string& url, const PlayerOptions& options, PlayerFileInfo& info,
              int64_t& totalSamples) override;
    void Close() override;
    int Bits() const override { return m_kind == kPlugin ? m_pluginBits : 16; }
    bool AppliesEqualizer() const override;
    void SetEqualizer(const EqualizerParams& eq) override { m_feeder.SetEqualizer(eq); }
    bool Start(DecodeContext& context, PlayerFileInfo& info) override;
    bool Prepare() override;
    void Release() override;
    LoopResult DecodeLoop(DecodeContext& context) override;
    bool EndedEarly() const override { return m_brokenOff; }
    bool Seek(int64_t, const PlayerOptions&, int64_t&) override { return false; }
    void Rewind() override {}

    // Ends a connection or a wait of the decoding thread (a stop request).
    void Interrupt() { m_client.Stop(); }

    StreamClient& Client() { return m_client; }
    const StreamClient& Client() const { return m_client; }
    int StreamingState() const { return m_state.load(); }
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

    const PluginRegistry& m_plugins;
    std::atomic<MessageSink*> m_owner{nullptr};
    StreamClient m_client{this};
    std::u16string m_url;
    std::atomic<int> m_state{kNoStream};
    Kind m_kind = kNone;
    bool m_brokenOff = false; // decoding thread only

    uint8_t m_chunk[kChunkSize] = {}; // the last chunk read while recognising
    size_t m_chunkBytes = 0;
    MpegFrameFeeder m_feeder;
    MpegHeaderInfo m_mpegHeader;
    uint8_t m_window[2 * kChunkSize + MpegDecoder::kGuardBytes] = {};
    std::unique_ptr<OggStream> m_ogg;
    const PluginRegistry::Entry* m_plugin = nullptr; // the stream decoder plug-in in use
    int m_pluginBits = 16;

    mutable std::mutex m_textLock;
    std::u16string m_id3Name;
    std::u16string m_oggTitle;
    char16_t m_postedTitle[StreamClient::kTextLength] = {};
};
