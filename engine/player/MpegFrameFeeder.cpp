#include "engine/player/MpegFrameFeeder.h"

#include "engine/player/DecodeContext.h"
#include "platform/WaveHeader.h"

void MpegFrameFeeder::SetEqualizer(const EqualizerParams& eq) {
    std::lock_guard lock(equalizerLock_);
    equalizer_ = eq;
    equalizerChanged_ = true;
}

void MpegFrameFeeder::Prepare(const MpegHeaderInfo& header) {
    header_ = header;
    decoder_ = std::make_unique<MpegDecoder>();
    {
        std::lock_guard lock(equalizerLock_);
        decoder_->SetEqualizer(equalizer_);
        equalizerChanged_ = false;
    }
    decoder_->SetOutputChannels(header.channels);
}

void MpegFrameFeeder::Reset() {
    if (decoder_)
        decoder_->Reset();
}

bool MpegFrameFeeder::IsStreamFrame(const uint8_t* bytes) const {
    MpegHeaderInfo info;
    if (!MpegHeader::QuickTest(bytes) || !MpegHeader::Parse(MpegHeader::Read(bytes), info))
        return false;
    return info.version == header_.version && info.layer == header_.layer &&
           info.rate == header_.rate;
}

MpegFrameFeeder::Result MpegFrameFeeder::Feed(DecodeContext& context, const uint8_t* input,
                                              size_t filled, size_t& pos) {
    pos = 0;
    for (;;) {
        WaveHeader* block = context.HoldBlock();
        if (!block)
            return kInterrupted;
        if (!decoder_->HasPending()) {
            while (filled - pos >= 4 && !IsStreamFrame(input + pos))
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
            decoder_->Decode(input + pos, filled - pos, block->data + block->bytesUsed,
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
