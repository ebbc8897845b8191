#include "engine/player/MpegSource.h"

#include "engine/decoders/MpegHeader.h"
#include "engine/player/DecodeContext.h"
#include "platform/WaveHeader.h"

#include <cstring>
#include <new>

namespace {

constexpr size_t kInputSize = 16384;
constexpr size_t kSmallInputSize = 2048;

} // namespace

bool MpegSource::Open(const std::u16string& path, const PlayerOptions& options,
                      PlayerFileInfo& info, int64_t& totalSamples) {
    if (!file_.Open(path))
        return false;
    if (!MpegFile::Probe(file_) || !mpeg_.Open(file_, options.scanMpegCompletely != 0)) {
        file_.Close();
        return false;
    }
    const MpegHeaderInfo& header = mpeg_.Header();
    info.mpegVersion = header.version;
    info.mpegLayer = header.layer;
    info.channels = header.channels;
    info.sampleRate = header.rate;
    info.bitrate = header.bitrate;
    totalSamples = mpeg_.TotalSamples();
    file_.Seek(mpeg_.FirstFrameOffset());
    return true;
}

void MpegSource::Close() {
    Release();
    file_.Close();
}

void MpegSource::SetEqualizer(const EqualizerParams& eq) {
    std::lock_guard lock(equalizerLock_);
    equalizer_ = eq;
    equalizerChanged_ = true;
}

bool MpegSource::Prepare() {
    decoder_ = std::make_unique<MpegDecoder>();
    {
        std::lock_guard lock(equalizerLock_);
        decoder_->SetEqualizer(equalizer_);
        equalizerChanged_ = false;
    }
    decoder_->SetOutputChannels(mpeg_.Header().channels);
    // Room for the zero bytes libmad needs after the last frame of the file.
    try {
        input_.resize(kInputSize + MpegDecoder::kGuardBytes);
    } catch (const std::bad_alloc&) {
        try {
            input_.resize(kSmallInputSize + MpegDecoder::kGuardBytes);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    return true;
}

void MpegSource::Release() {
    decoder_.reset();
    input_.clear();
    input_.shrink_to_fit();
}

bool MpegSource::IsFileFrame(const uint8_t* bytes) const {
    MpegHeaderInfo info;
    if (!MpegHeader::QuickTest(bytes) || !MpegHeader::Parse(MpegHeader::Read(bytes), info))
        return false;
    const MpegHeaderInfo& file = mpeg_.Header();
    return info.version == file.version && info.layer == file.layer && info.rate == file.rate;
}

Source::LoopResult MpegSource::DecodeLoop(DecodeContext& context) {
    if (!decoder_ || input_.empty())
        return kError;
    size_t filled = 0;
    while (!context.StopRequested()) {
        size_t got = 0;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek()) {
                decoder_->Reset();
                filled = 0;
                continue;
            }
            const size_t room = input_.size() - MpegDecoder::kGuardBytes - filled;
            if (!file_.Read(input_.data() + filled, room, got))
                return kError;
        }
        if (got == 0) {
            // The last frame decodes only with libmad's guard bytes behind it; anything else
            // left in the input buffer is dropped.
            std::memset(input_.data() + filled, 0, MpegDecoder::kGuardBytes);
            size_t consumed = 0;
            Feed(context, filled + MpegDecoder::kGuardBytes, consumed);
            return context.StopRequested() ? kStopped : kEndOfData;
        }
        filled += got;
        size_t consumed = 0;
        Feed(context, filled, consumed);
        if (context.EndReached())
            return kEndOfData;
        std::memmove(input_.data(), input_.data() + consumed, filled - consumed);
        filled -= consumed;
    }
    return kStopped;
}

MpegSource::FeedResult MpegSource::Feed(DecodeContext& context, size_t filled, size_t& pos) {
    pos = 0;
    for (;;) {
        WaveHeader* block = context.HoldBlock();
        if (!block)
            return kInterrupted;
        if (!decoder_->HasPending()) {
            while (filled - pos >= 4 && !IsFileFrame(input_.data() + pos))
                ++pos;
            if (filled - pos < 4)
                return kNeedMore;
        }
        if (equalizerChanged_.exchange(false)) {
            std::lock_guard lock(equalizerLock_);
            decoder_->SetEqualizer(equalizer_);
        }
        size_t consumed = 0, produced = 0;
        const MpegDecoder::Step step =
            decoder_->Decode(input_.data() + pos, filled - pos, block->data + block->bytesUsed,
                             block->bufferLength - block->bytesUsed, consumed, produced);
        switch (step) {
        case MpegDecoder::kFitted:
        case MpegDecoder::kBlockFull:
            pos += consumed;
            block->bytesUsed += static_cast<uint32_t>(produced);
            break;
        case MpegDecoder::kRecreate:
            decoder_->Reset();
            ++pos;
            break;
        case MpegDecoder::kSkipByte:
            ++pos;
            break;
        case MpegDecoder::kNeedMore:
            if (!decoder_->HasPending())
                return kNeedMore;
            break;
        }
        if (block->bytesUsed >= block->bufferLength)
            context.PassBlock();
    }
}

bool MpegSource::Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) {
    return mpeg_.Seek(file_, ms, options.scanMpegCompletely != 0, sample);
}

void MpegSource::Rewind() {
    file_.Seek(0);
}
