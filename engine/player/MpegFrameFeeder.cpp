#include "engine/player/MpegFrameFeeder.h"

#include "engine/player/DecodeContext.h"
#include "platform/WaveHeader.h"

void MpegFrameFeeder::SetEqualizer(const EqualizerParams& eq) {
    std::lock_guard lock(m_equalizerLock);
    m_equalizer = eq;
    m_equalizerChanged = true;
}

void MpegFrameFeeder::Prepare(const MpegHeaderInfo& header) {
    m_header = header;
    m_decoder = std::make_unique<MpegDecoder>();
    {
        std::lock_guard lock(m_equalizerLock);
        m_decoder->SetEqualizer(m_equalizer);
        m_equalizerChanged = false;
    }
    m_decoder->SetOutputChannels(header.channels);
}

void MpegFrameFeeder::Reset() {
    if (m_decoder)
        m_decoder->Reset();
}

bool MpegFrameFeeder::IsStreamFrame(const uint8_t* bytes) const {
    MpegHeaderInfo info;
    if (!MpegHeader::QuickTest(bytes) || !MpegHeader::Parse(MpegHeader::Read(bytes), info))
        return false;
    return info.version == m_header.version && info.layer == m_header.layer &&
           info.rate == m_header.rate;
}

MpegFrameFeeder::Result MpegFrameFeeder::Feed(DecodeContext& context, const uint8_t* input,
                                              size_t filled, size_t& pos) {
    pos = 0;
    for (;;) {
        WaveHeader* block = context.HoldBlock();
        if (!block)
            return kInterrupted;
        if (!m_decoder->HasPending()) {
            while (filled - pos >= 4 && !IsStreamFrame(input + pos))
                ++pos;
            if (filled - pos < 4)
                return kNeedMore;
        }
        if (m_equalizerChanged.exchange(false)) {
            std::lock_guard lock(m_equalizerLock);
            m_decoder->SetEqualizer(m_equalizer);
        }
        size_t consumed = 0, produced = 0;
        const MpegDecoder::Step step =
            m_decoder->Decode(input + pos, filled - pos, block->data + block->bytesUsed,
                              block->bufferLength - block->bytesUsed, consumed, produced);
        switch (step) {
        case MpegDecoder::kFitted:
        case MpegDecoder::kBlockFull:
            pos += consumed;
            block->bytesUsed += static_cast<uint32_t>(produced);
            break;
        case MpegDecoder::kRecreate:
            m_decoder->Reset();
            ++pos;
            break;
        case MpegDecoder::kSkipByte:
            ++pos;
            break;
        case MpegDecoder::kNeedMore:
            if (!m_decoder->HasPending())
                return kNeedMore;
            break;
        }
        if (block->bytesUsed >= block->bufferLength)
            context.PassBlock();
    }
}
