#include "engine/player/WavSource.h"

#include "engine/player/DecodeContext.h"
#include "platform/CriticalSection.h"
#include "platform/WaveHeader.h"

bool WavSource::Open(const std::u16string& path, const PlayerOptions&, PlayerFileInfo& info,
                     int64_t& totalSamples) {
    if (!m_file.Open(path))
        return false;
    if (!m_wav.Open(m_file)) {
        m_file.Close();
        return false;
    }
    info.channels = m_wav.Channels();
    info.sampleRate = m_wav.Rate();
    info.bitrate = m_wav.Bitrate();
    totalSamples = m_wav.TotalSamples();
    return true;
}

void WavSource::Close() {
    m_wav.Close();
    m_file.Close();
}

Source::LoopResult WavSource::DecodeLoop(DecodeContext& context) {
    while (!context.StopRequested()) {
        WaveHeader* block = context.HoldBlock(); // null after a seek or a stop request
        long got;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek()) {
                m_wav.ResetConversion();
                continue;
            }
            if (!block) // a stop request, or the device went away
                return context.StopRequested() ? kStopped : kError;
            got = m_wav.Decode(m_file, block->data + block->bytesUsed,
                               block->bufferLength - block->bytesUsed);
        }
        if (got < 0)
            return kError;
        if (got == 0)
            return kEndOfData;
        // Each round's PCM goes on at once, one read or one conversion per block.
        block->bytesUsed += static_cast<uint32_t>(got);
        context.PassBlock();
        if (context.EndReached())
            return kEndOfData;
    }
    return kStopped;
}

bool WavSource::Seek(int64_t ms, const PlayerOptions&, int64_t& sample) {
    return m_wav.Seek(m_file, ms, sample);
}

void WavSource::Rewind() {
    int64_t sample;
    m_wav.Seek(m_file, 0, sample);
}
