#include "engine/player/OggSource.h"

#include "engine/player/DecodeContext.h"
#include "platform/CriticalSection.h"
#include "platform/WaveHeader.h"

namespace {

// The Vorbis layer is asked for PCM only while a block has this much room.
constexpr uint32_t kReadChunk = 4096;

} // namespace

bool OggSource::Open(const std::u16string& path, const PlayerOptions&, PlayerFileInfo& info,
                     int64_t& totalSamples) {
    if (!OggFile::Probe(path) || !m_ogg.Open(path))
        return false;
    info.channels = m_ogg.Channels();
    info.sampleRate = m_ogg.Rate();
    info.bitrate = m_ogg.Bitrate();
    totalSamples = m_ogg.TotalSamples();
    return true;
}

Source::LoopResult OggSource::DecodeLoop(DecodeContext& context) {
    while (!context.StopRequested()) {
        WaveHeader* block = context.HoldBlock(); // null after a seek or a stop request
        long got;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek())
                continue;
            if (!block) // a stop request, or the device went away
                return context.StopRequested() ? kStopped : kError;
            got = m_ogg.Read(block->data + block->bytesUsed,
                             static_cast<int>(block->bufferLength - block->bytesUsed));
        }
        if (got < 0)
            return kError;
        if (got == 0)
            return kEndOfData;
        block->bytesUsed += static_cast<uint32_t>(got);
        if (block->bufferLength - block->bytesUsed < kReadChunk)
            context.PassBlock();
        if (context.EndReached())
            return kEndOfData;
    }
    return kStopped;
}

bool OggSource::Seek(int64_t ms, const PlayerOptions&, int64_t& sample) {
    return m_ogg.Seek(ms, sample);
}

void OggSource::Rewind() {
    int64_t sample;
    m_ogg.Seek(0, sample);
}
