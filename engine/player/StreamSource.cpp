#include "engine/player/StreamSource.h"

#include "engine/core/MpegHeader.h"
#include "engine/player/DecodeContext.h"
#include "engine/stream/StreamUrl.h"
#include "engine/tags/Id3Tag.h"
#include "platform/TextCodec.h"
#include "platform/Thread.h"
#include "platform/WaveHeader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace {

// Below this many filled stream blocks the decoding thread waits before it reads.
constexpr int kLowBlocks = 2;

std::u16string Truncated(std::u16string text) {
    if (text.size() >= StreamClient::kTextLength)
        text.resize(StreamClient::kTextLength - 1);
    return text;
}

// The value of a "KEY=value" comment, the key compared without case.
std::string CommentValue(const std::vector<std::string>& comments, const std::string& key) {
    for (const std::string& comment : comments) {
        if (comment.size() <= key.size() || comment[key.size()] != '=')
            continue;
        bool same = true;
        for (size_t i = 0; i < key.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(comment[i])) == key[i];
        if (same)
            return comment.substr(key.size() + 1);
    }
    return {};
}

} // namespace

StreamSource::StreamSource(const PluginRegistry& plugins) : m_plugins(plugins) {}

StreamSource::~StreamSource() {
    m_client.Stop();
}

bool StreamSource::AppliesEqualizer() const {
    return m_kind == kMpeg || (m_kind == kPlugin && (m_plugin->caps & DECODER_PLUGIN_EQ));
}

bool StreamSource::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    MessageSink* owner = m_owner.load();
    return owner && owner->Post(message, wParam, lParam);
}

bool StreamSource::Open(const std::u16string& url, const PlayerOptions&, PlayerFileInfo&,
                        int64_t& totalSamples) {
    if (!StreamUrl::HasWebScheme(TextCodec::Utf16ToUtf8(url)))
        return false;
    m_client.Stop();
    m_url = url;
    totalSamples = 0;
    m_state = kIdle;
    return true;
}

void StreamSource::Close() {
    Release();
    m_url.clear();
    m_state = kNoStream;
    std::lock_guard lock(m_textLock);
    m_id3Name.clear();
}

std::u16string StreamSource::StationName() const {
    std::u16string name = m_client.StationName();
    if (!name.empty())
        return name;
    std::lock_guard lock(m_textLock);
    return m_id3Name;
}

std::u16string StreamSource::Title() const {
    {
        std::lock_guard lock(m_textLock);
        if (!m_oggTitle.empty())
            return m_oggTitle;
    }
    return m_client.LastTitle();
}

bool StreamSource::WaitForPrebuffer(DecodeContext& context) {
    while (m_client.FilledBlocks() < m_client.PrebufferBlocks()) {
        if (context.StopRequested() || m_client.GaveUp())
            return false;
        // A connection that ended or broke off early: what arrived still plays.
        if (!m_client.SocketOpen())
            return m_client.EndOfStream() || m_client.FilledBlocks() > 0;
        Thread::Sleep(1);
    }
    return !context.StopRequested();
}

bool StreamSource::Start(DecodeContext& context, PlayerFileInfo& info) {
    m_kind = kNone;
    m_brokenOff = false;
    m_state = kConnecting;
    const bool connected = m_client.Connect(m_url);
    if (!connected || context.StopRequested())
        return false;
    m_state = kBuffering;
    if (!WaitForPrebuffer(context))
        return false;
    return Recognise(info);
}

void StreamSource::TakeId3Name(const uint8_t* bytes, size_t length) {
    if (!m_client.StationName().empty())
        return;
    TagInfo tag;
    if (!Id3Tag::ReadV2(bytes, length, tag) || tag.title[0] == 0)
        return;
    std::u16string name = tag.title;
    if (tag.artist[0] != 0) {
        std::u16string joined = std::u16string(tag.artist) + u" - " + tag.title;
        if (joined.size() < StreamClient::kTextLength)
            name = joined;
    }
    std::lock_guard lock(m_textLock);
    if (m_id3Name.empty())
        m_id3Name = Truncated(name);
}

bool StreamSource::Recognise(PlayerFileInfo& info) {
    const int chunks = m_client.PrebufferBlocks();
    for (int n = 0; n < chunks; ++n) {
        m_chunkBytes = m_client.Read(m_chunk, kChunkSize);
        if (m_chunkBytes == 0)
            return false;
        TakeId3Name(m_chunk, m_chunkBytes);
        // MPEG: a header whose frame length leads to the next frame's sync inside the chunk.
        for (size_t i = 0; i + 4 <= m_chunkBytes; ++i) {
            MpegHeaderInfo header, next;
            if (!MpegHeader::Parse(MpegHeader::Read(m_chunk + i), header) ||
                header.frameLength <= 0)
                continue;
            const size_t at = i + static_cast<size_t>(header.frameLength);
            if (at + 4 > m_chunkBytes || !MpegHeader::Parse(MpegHeader::Read(m_chunk + at), next) ||
                !MpegHeader::SameStream(header, next))
                continue;
            m_kind = kMpeg;
            m_mpegHeader = header;
            info = PlayerFileInfo();
            info.mpegVersion = header.version;
            info.mpegLayer = header.layer;
            info.channels = header.channels;
            info.sampleRate = header.rate;
            info.bitrate = header.bitrate;
            return true;
        }
        auto ogg = std::make_unique<OggStream>();
        if (ogg->Recognise(m_chunk, m_chunkBytes)) {
            m_kind = kOgg;
            m_ogg = std::move(ogg);
            info = PlayerFileInfo();
            info.channels = m_ogg->Channels();
            info.sampleRate = m_ogg->Rate();
            info.bitrate = m_ogg->Bitrate();
            return m_chunkBytes == kChunkSize;
        }
        if (RecognisePlugin(info))
            return true;
        if (m_chunkBytes < kChunkSize)
            return false;
    }
    return false;
}

// The first plug-in with the streams bit that takes the chunk wins.
bool StreamSource::RecognisePlugin(PlayerFileInfo& info) {
    for (size_t i = 0; i < m_plugins.Count(); ++i) {
        const PluginRegistry::Entry& entry = m_plugins.At(i);
        if (!(entry.caps & DECODER_PLUGIN_STREAMS))
            continue;
        DecoderPluginStreamInfo format{};
        if (!entry.table->OpenStream(m_chunk, static_cast<int32_t>(m_chunkBytes), &format))
            continue;
        // A format the output can't take is as good as a refusal.
        if (format.channels < 1 || format.channels > 8 || format.sampleRate <= 0 ||
            (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
            entry.table->CloseStream();
            continue;
        }
        m_kind = kPlugin;
        m_plugin = &entry;
        m_pluginBits = format.bitsPerSample;
        info = PlayerFileInfo();
        info.channels = format.channels;
        info.sampleRate = format.sampleRate;
        info.bitrate = format.bitrate;
        return true;
    }
    return false;
}

bool StreamSource::Prepare() {
    if (m_kind == kMpeg)
        m_feeder.Prepare(m_mpegHeader);
    else if (m_kind != kOgg && m_kind != kPlugin)
        return false;
    m_state = kPlaying;
    return true;
}

void StreamSource::Release() {
    m_client.Stop();
    if (m_state != kNoStream)
        m_state = kIdle;
    m_feeder.Release();
    m_ogg.reset();
    if (m_kind == kPlugin)
        m_plugin->table->CloseStream();
    m_plugin = nullptr;
    m_kind = kNone;
    m_chunkBytes = 0;
    std::lock_guard lock(m_textLock);
    m_oggTitle.clear();
}

StreamSource::Next StreamSource::Rebuffer(DecodeContext& context) {
    if (m_client.GaveUp())
        return kFinishError;
    const bool alive = m_client.SocketOpen();
    if (!alive && (m_client.EndOfStream() || !m_client.IcyHeadersSeen()))
        return Ended();
    context.BeginRebuffer();
    if (alive) {
        // The output ran dry while the server is still sending: the same connection fills the
        // buffer again.
        m_state = kBuffering;
        const bool filled = WaitForPrebuffer(context);
        if (context.StopRequested())
            return kFinishStop;
        if (filled) {
            m_state = kPlaying;
            context.EndRebuffer();
            return kResumed;
        }
        // It broke off with nothing more: connect again, or end with what was played.
        if (m_client.GaveUp())
            return kFinishError;
        if (m_client.EndOfStream() || !m_client.IcyHeadersSeen())
            return Ended();
    }
    m_state = kConnecting;
    const bool connected = m_client.Connect(m_url);
    if (context.StopRequested())
        return kFinishStop;
    if (!connected)
        return kFinishError;
    m_state = kBuffering;
    if (!WaitForPrebuffer(context))
        return context.StopRequested() ? kFinishStop : kFinishError;
    m_state = kPlaying;
    context.EndRebuffer();
    return kReconnected;
}

StreamSource::Next StreamSource::Ended() {
    m_brokenOff = !m_client.EndOfStream();
    return kFinishDrain;
}

StreamSource::Next StreamSource::NextChunk(DecodeContext& context, uint8_t* out, size_t& got,
                                           size_t want) {
    got = 0;
    while (m_client.FilledBlocks() < kLowBlocks && m_client.SocketOpen()) {
        if (context.StopRequested())
            return kFinishStop;
        if (context.OutputUnderrun()) {
            const Next next = Rebuffer(context);
            if (next != kResumed)
                return next;
            continue;
        }
        Thread::Sleep(1);
    }
    if (context.StopRequested())
        return kFinishStop;
    got = m_client.Read(out, want);
    if (context.StopRequested())
        return kFinishStop;
    if (got > 0)
        return kGot;
    return Rebuffer(context); // the stream is gone: the end, or a reconnection
}

Source::LoopResult StreamSource::Finished(Next next) {
    switch (next) {
    case kFinishStop:
        return kStopped;
    case kFinishError:
        return kError;
    default:
        return kEndOfData;
    }
}

Source::LoopResult StreamSource::DecodeLoop(DecodeContext& context) {
    if (m_kind == kMpeg)
        return MpegLoop(context);
    if (m_kind == kOgg)
        return OggLoop(context);
    if (m_kind == kPlugin)
        return PluginLoop(context);
    return kError;
}

Source::LoopResult StreamSource::MpegLoop(DecodeContext& context) {
    if (!m_feeder.Ready())
        return kError;
    std::memcpy(m_window, m_chunk, m_chunkBytes);
    size_t filled = m_chunkBytes;
    for (;;) {
        size_t consumed = 0;
        if (m_feeder.Feed(context, m_window, filled, consumed) == MpegFrameFeeder::kInterrupted)
            return context.StopRequested() ? kStopped : kError;
        std::memmove(m_window, m_window + consumed, filled - consumed);
        filled -= consumed;
        if (filled > kChunkSize) // never a frame: drop what the feeder could not use
            filled = 0;
        size_t got = 0;
        const Next next = NextChunk(context, m_window + filled, got);
        if (next == kReconnected) {
            m_feeder.Reset();
            filled = 0;
            continue;
        }
        if (next == kFinishDrain) {
            // The last frame decodes only with libmad's guard bytes behind it.
            std::memset(m_window + filled, 0, MpegDecoder::kGuardBytes);
            m_feeder.Feed(context, m_window, filled + MpegDecoder::kGuardBytes, consumed);
        }
        if (next != kGot)
            return Finished(next);
        filled += got;
    }
}

void StreamSource::UpdateOggTitle() {
    if (!m_ogg->HeadersComplete())
        return;
    const std::string title = CommentValue(m_ogg->Comments(), "TITLE");
    if (title.empty())
        return;
    const std::string artist = CommentValue(m_ogg->Comments(), "ARTIST");
    const std::u16string text =
        Truncated(TextCodec::Utf8ToUtf16(artist.empty() ? title : artist + " - " + title));
    {
        std::lock_guard lock(m_textLock);
        if (text == m_oggTitle)
            return;
        m_oggTitle = text;
    }
    std::memset(m_postedTitle, 0, sizeof m_postedTitle);
    std::copy(text.begin(), text.end(), m_postedTitle);
    Post(WM_PLAYER_STREAMTITLE, reinterpret_cast<uintptr_t>(m_postedTitle), 0);
}

Source::LoopResult StreamSource::OggLoop(DecodeContext& context) {
    if (!m_ogg)
        return kError;
    for (;;) {
        if (context.StopRequested())
            return kStopped;
        UpdateOggTitle();
        WaveHeader* block = context.HoldBlock();
        if (!block)
            return context.StopRequested() ? kStopped : kError;
        size_t produced = 0;
        const OggStream::Result result = m_ogg->Decode(
            block->data + block->bytesUsed, block->bufferLength - block->bytesUsed, produced);
        block->bytesUsed += static_cast<uint32_t>(produced);
        if (result == OggStream::kError)
            return kError;
        if (result == OggStream::kBlockFull) {
            context.PassBlock();
            continue;
        }
        if (result != OggStream::kNeedData)
            continue;
        size_t got = 0;
        Next next = NextChunk(context, m_chunk, got);
        if (next == kReconnected) {
            // A new connection: the stream decoder starts over from a full chunk.
            next = NextChunk(context, m_chunk, got);
            if (next != kGot)
                return Finished(next);
            if (got < kChunkSize || !m_ogg->Recognise(m_chunk, got))
                return kEndOfData;
            continue;
        }
        if (next != kGot)
            return Finished(next);
        m_ogg->Feed(m_chunk, got);
    }
}

// A window of kChunkSize bytes: the plug-in decodes from its front, new stream data is appended.
Source::LoopResult StreamSource::PluginLoop(DecodeContext& context) {
    const DecoderPlugin* table = m_plugin->table;
    std::memcpy(m_window, m_chunk, m_chunkBytes);
    size_t filled = m_chunkBytes;
    Next end = kGot; // how the stream ended, once it has
    for (;;) {
        if (context.StopRequested())
            return kStopped;
        WaveHeader* block = context.HoldBlock();
        if (!block)
            return context.StopRequested() ? kStopped : kError;
        block->bufferLength = context.BlockSize();
        block->bytesUsed = 0;
        int32_t consumed = 0;
        const int32_t result =
            table->DecodeStream(m_window, static_cast<int32_t>(filled), &consumed,
                                reinterpret_cast<DecoderPluginBlock*>(block));
        if (result == DECODER_PLUGIN_ERROR)
            return kError;
        // Never trust a plug-in past the window or the block.
        const size_t used = std::min(static_cast<size_t>(std::max(consumed, 0)), filled);
        block->bytesUsed = std::min(block->bytesUsed, block->bufferLength);
        const bool produced = block->bytesUsed > 0;
        std::memmove(m_window, m_window + used, filled - used);
        filled -= used;
        if (produced)
            context.PassBlock();
        if (result == DECODER_PLUGIN_LAST)
            return kEndOfData;
        if (end != kGot) {
            if (used == 0 && !produced) // all that arrived is decoded
                return Finished(end);
            continue;
        }
        if (filled == kChunkSize) {
            if (used == 0 && !produced) // a full window the plug-in can do nothing with
                return kError;
            continue;
        }
        size_t got = 0;
        const Next next = NextChunk(context, m_window + filled, got, kChunkSize - filled);
        if (next == kReconnected)
            filled = 0;
        else if (next == kGot)
            filled += got;
        else if (next == kFinishDrain)
            end = next;
        else
            return Finished(next);
    }
}
