#include "engine/player/WavSource.h"

#include "engine/player/DecodeContext.h"
#include "platform/CriticalSection.h"
#include "platform/WaveHeader.h"

bool WavSource::Open(const std::u16string& path, const PlayerOptions&, PlayerFileInfo& info,
                     int64_t& totalSamples) {
    if (!file_.Open(path))
        return false;
    if (!wav_.Open(file_)) {
        file_.Close();
        return false;
    }
    info.channels = wav_.Channels();
    info.sampleRate = wav_.Rate();
    info.bitrate = wav_.Bitrate();
    totalSamples = wav_.TotalSamples();
    return true;
}

void WavSource::Close() {
    wav_.Close();
    file_.Close();
}

Source::LoopResult WavSource::DecodeLoop(DecodeContext& context) {
    while (!context.StopRequested()) {
        WaveHeader* block = context.HoldBlock(); // null after a seek or a stop request
        long got;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek()) {
                wav_.ResetConversion();
                continue;
            }
            if (!block) // a stop request, or the device went away
                return context.StopRequested() ? kStopped : kError;
            got = wav_.Decode(file_, block->data + block->bytesUsed,
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
    return wav_.Seek(file_, ms, sample);
}

void WavSource::Rewind() {
    int64_t sample;
    wav_.Seek(file_, 0, sample);
}
