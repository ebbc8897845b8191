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

StreamSource::StreamSource(const PluginRegistry& plugins) : plugins_(plugins) {}

StreamSource::~StreamSource() {
    client_.Stop();
}

bool StreamSource::AppliesEqualizer() const {
    return kind_ == kMpeg || (kind_ == kPlugin && (plugin_->caps & DECODER_PLUGIN_EQ));
}

bool StreamSource::Post(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    MessageSink* owner = owner_.load();
    return owner && owner->Post(message, wParam, lParam);
}

bool StreamSource::Open(const std::u16string& url, const PlayerOptions&, PlayerFileInfo&,
                        int64_t& totalSamples) {
    if (!StreamUrl::HasWebScheme(TextCodec::Utf16ToUtf8(url)))
        return false;
    client_.Stop();
    url_ = url;
    totalSamples = 0;
    state_ = kIdle;
    return true;
}

void StreamSource::Close() {
    Release();
    url_.clear();
    state_ = kNoStream;
    std::lock_guard lock(textLock_);
    id3Name_.clear();
}

std::u16string StreamSource::StationName() const {
    std::u16string name = client_.StationName();
    if (!name.empty())
        return name;
    std::lock_guard lock(textLock_);
    return id3Name_;
}

std::u16string StreamSource::Title() const {
    {
        std::lock_guard lock(textLock_);
        if (!oggTitle_.empty())
            return oggTitle_;
    }
    return client_.LastTitle();
}

bool StreamSource::WaitForPrebuffer(DecodeContext& context) {
    while (client_.FilledBlocks() < client_.PrebufferBlocks()) {
        if (context.StopRequested() || client_.GaveUp())
            return false;
        // A connection that ended or broke off early: what arrived still plays.
        if (!client_.SocketOpen())
            return client_.EndOfStream() || client_.FilledBlocks() > 0;
        Thread::Sleep(1);
    }
    return !context.StopRequested();
}

bool StreamSource::Start(DecodeContext& context, PlayerFileInfo& info) {
    kind_ = kNone;
    brokenOff_ = false;
    state_ = kConnecting;
    const bool connected = client_.Connect(url_);
    if (!connected || context.StopRequested())
        return false;
    state_ = kBuffering;
    if (!WaitForPrebuffer(context))
        return false;
    return Recognise(info);
}

void StreamSource::TakeId3Name(const uint8_t* bytes, size_t length) {
    if (!client_.StationName().empty())
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
    std::lock_guard lock(textLock_);
    if (id3Name_.empty())
        id3Name_ = Truncated(name);
}

bool StreamSource::Recognise(PlayerFileInfo& info) {
    const int chunks = client_.PrebufferBlocks();
    for (int n = 0; n < chunks; ++n) {
        chunkBytes_ = client_.Read(chunk_, kChunkSize);
        if (chunkBytes_ == 0)
            return false;
        TakeId3Name(chunk_, chunkBytes_);
        // MPEG: a header whose frame length leads to the next frame's sync inside the chunk.
        for (size_t i = 0; i + 4 <= chunkBytes_; ++i) {
            MpegHeaderInfo header, next;
            if (!MpegHeader::Parse(MpegHeader::Read(chunk_ + i), header) || header.frameLength <= 0)
                continue;
            const size_t at = i + static_cast<size_t>(header.frameLength);
            if (at + 4 > chunkBytes_ || !MpegHeader::Parse(MpegHeader::Read(chunk_ + at), next) ||
                !MpegHeader::SameStream(header, next))
                continue;
            kind_ = kMpeg;
            mpegHeader_ = header;
            info = PlayerFileInfo();
            info.mpegVersion = header.version;
            info.mpegLayer = header.layer;
            info.channels = header.channels;
            info.sampleRate = header.rate;
            info.bitrate = header.bitrate;
            return true;
        }
        auto ogg = std::make_unique<OggStream>();
        if (ogg->Recognise(chunk_, chunkBytes_)) {
            kind_ = kOgg;
            ogg_ = std::move(ogg);
            info = PlayerFileInfo();
            info.channels = ogg_->Channels();
            info.sampleRate = ogg_->Rate();
            info.bitrate = ogg_->Bitrate();
            return chunkBytes_ == kChunkSize;
        }
        if (RecognisePlugin(info))
            return true;
        if (chunkBytes_ < kChunkSize)
            return false;
    }
    return false;
}

// The first plug-in with the streams bit that takes the chunk wins.
bool StreamSource::RecognisePlugin(PlayerFileInfo& info) {
    for (size_t i = 0; i < plugins_.Count(); ++i) {
        const PluginRegistry::Entry& entry = plugins_.At(i);
        if (!(entry.caps & DECODER_PLUGIN_STREAMS))
            continue;
        DecoderPluginStreamInfo format{};
        if (!entry.table->OpenStream(chunk_, static_cast<int32_t>(chunkBytes_), &format))
            continue;
        // A format the output can't take is as good as a refusal.
        if (format.channels < 1 || format.channels > 8 || format.sampleRate <= 0 ||
            (format.bitsPerSample != 8 && format.bitsPerSample != 16)) {
            entry.table->CloseStream();
            continue;
        }
        kind_ = kPlugin;
        plugin_ = &entry;
        pluginBits_ = format.bitsPerSample;
        info = PlayerFileInfo();
        info.channels = format.channels;
        info.sampleRate = format.sampleRate;
        info.bitrate = format.bitrate;
        return true;
    }
    return false;
}

bool StreamSource::Prepare() {
    if (kind_ == kMpeg)
        feeder_.Prepare(mpegHeader_);
    else if (kind_ != kOgg && kind_ != kPlugin)
        return false;
    state_ = kPlaying;
    return true;
}

void StreamSource::Release() {
    client_.Stop();
    if (state_ != kNoStream)
        state_ = kIdle;
    feeder_.Release();
    ogg_.reset();
    if (kind_ == kPlugin)
        plugin_->table->CloseStream();
    plugin_ = nullptr;
    kind_ = kNone;
    chunkBytes_ = 0;
    std::lock_guard lock(textLock_);
    oggTitle_.clear();
}

StreamSource::Next StreamSource::Rebuffer(DecodeContext& context) {
    if (client_.GaveUp())
        return kFinishError;
    const bool alive = client_.SocketOpen();
    if (!alive && (client_.EndOfStream() || !client_.IcyHeadersSeen()))
        return Ended();
    context.BeginRebuffer();
    if (alive) {
        // The output ran dry while the server is still sending: the same connection fills the
        // buffer again.
        state_ = kBuffering;
        const bool filled = WaitForPrebuffer(context);
        if (context.StopRequested())
            return kFinishStop;
        if (filled) {
            state_ = kPlaying;
            context.EndRebuffer();
            return kResumed;
        }
        // It broke off with nothing more: connect again, or end with what was played.
        if (client_.GaveUp())
            return kFinishError;
        if (client_.EndOfStream() || !client_.IcyHeadersSeen())
            return Ended();
    }
    state_ = kConnecting;
    const bool connected = client_.Connect(url_);
    if (context.StopRequested())
        return kFinishStop;
    if (!connected)
        return kFinishError;
    state_ = kBuffering;
    if (!WaitForPrebuffer(context))
        return context.StopRequested() ? kFinishStop : kFinishError;
    state_ = kPlaying;
    context.EndRebuffer();
    return kReconnected;
}

StreamSource::Next StreamSource::Ended() {
    brokenOff_ = !client_.EndOfStream();
    return kFinishDrain;
}

StreamSource::Next StreamSource::NextChunk(DecodeContext& context, uint8_t* out, size_t& got,
                                           size_t want) {
    got = 0;
    while (client_.FilledBlocks() < kLowBlocks && client_.SocketOpen()) {
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
    got = client_.Read(out, want);
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
    if (kind_ == kMpeg)
        return MpegLoop(context);
    if (kind_ == kOgg)
        return OggLoop(context);
    if (kind_ == kPlugin)
        return PluginLoop(context);
    return kError;
}

Source::LoopResult StreamSource::MpegLoop(DecodeContext& context) {
    if (!feeder_.Ready())
        return kError;
    std::memcpy(window_, chunk_, chunkBytes_);
    size_t filled = chunkBytes_;
    for (;;) {
        size_t consumed = 0;
        if (feeder_.Feed(context, window_, filled, consumed) == MpegFrameFeeder::kInterrupted)
            return context.StopRequested() ? kStopped : kError;
        std::memmove(window_, window_ + consumed, filled - consumed);
        filled -= consumed;
        if (filled > kChunkSize) // never a frame: drop what the feeder could not use
            filled = 0;
        size_t got = 0;
        const Next next = NextChunk(context, window_ + filled, got);
        if (next == kReconnected) {
            feeder_.Reset();
            filled = 0;
            continue;
        }
        if (next == kFinishDrain) {
            // The last frame decodes only with libmad's guard bytes behind it.
            std::memset(window_ + filled, 0, MpegDecoder::kGuardBytes);
            feeder_.Feed(context, window_, filled + MpegDecoder::kGuardBytes, consumed);
        }
        if (next != kGot)
            return Finished(next);
        filled += got;
    }
}

void StreamSource::UpdateOggTitle() {
    if (!ogg_->HeadersComplete())
        return;
    const std::string title = CommentValue(ogg_->Comments(), "TITLE");
    if (title.empty())
        return;
    const std::string artist = CommentValue(ogg_->Comments(), "ARTIST");
    const std::u16string text =
        Truncated(TextCodec::Utf8ToUtf16(artist.empty() ? title : artist + " - " + title));
    {
        std::lock_guard lock(textLock_);
        if (text == oggTitle_)
            return;
        oggTitle_ = text;
    }
    std::memset(postedTitle_, 0, sizeof postedTitle_);
    std::copy(text.begin(), text.end(), postedTitle_);
    Post(WM_PLAYER_STREAMTITLE, reinterpret_cast<uintptr_t>(postedTitle_), 0);
}

Source::LoopResult StreamSource::OggLoop(DecodeContext& context) {
    if (!ogg_)
        return kError;
    for (;;) {
        if (context.StopRequested())
            return kStopped;
        UpdateOggTitle();
        WaveHeader* block = context.HoldBlock();
        if (!block)
            return context.StopRequested() ? kStopped : kError;
        size_t produced = 0;
        const OggStream::Result result = ogg_->Decode(
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
        Next next = NextChunk(context, chunk_, got);
        if (next == kReconnected) {
            // A new connection: the stream decoder starts over from a full chunk.
            next = NextChunk(context, chunk_, got);
            if (next != kGot)
                return Finished(next);
            if (got < kChunkSize || !ogg_->Recognise(chunk_, got))
                return kEndOfData;
            continue;
        }
        if (next != kGot)
            return Finished(next);
        ogg_->Feed(chunk_, got);
    }
}

// A window of kChunkSize bytes: the plug-in decodes from its front, new stream data is appended.
Source::LoopResult StreamSource::PluginLoop(DecodeContext& context) {
    const DecoderPlugin* table = plugin_->table;
    std::memcpy(window_, chunk_, chunkBytes_);
    size_t filled = chunkBytes_;
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
        const int32_t result = table->DecodeStream(window_, static_cast<int32_t>(filled), &consumed,
                                                   reinterpret_cast<DecoderPluginBlock*>(block));
        if (result == DECODER_PLUGIN_ERROR)
            return kError;
        // Never trust a plug-in past the window or the block.
        const size_t used = std::min(static_cast<size_t>(std::max(consumed, 0)), filled);
        block->bytesUsed = std::min(block->bytesUsed, block->bufferLength);
        const bool produced = block->bytesUsed > 0;
        std::memmove(window_, window_ + used, filled - used);
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
        const Next next = NextChunk(context, window_ + filled, got, kChunkSize - filled);
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
