#include "engine/player/MpegSource.h"

#include "engine/player/DecodeContext.h"
#include "platform/CriticalSection.h"

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
    feeder_.SetEqualizer(eq);
}

bool MpegSource::Prepare() {
    feeder_.Prepare(mpeg_.Header());
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
    feeder_.Release();
    input_.clear();
    input_.shrink_to_fit();
}

Source::LoopResult MpegSource::DecodeLoop(DecodeContext& context) {
    if (!feeder_.Ready() || input_.empty())
        return kError;
    size_t filled = 0;
    while (!context.StopRequested()) {
        size_t got = 0;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek()) {
                feeder_.Reset();
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
            feeder_.Feed(context, input_.data(), filled + MpegDecoder::kGuardBytes, consumed);
            return context.StopRequested() ? kStopped : kEndOfData;
        }
        filled += got;
        size_t consumed = 0;
        feeder_.Feed(context, input_.data(), filled, consumed);
        if (context.EndReached())
            return kEndOfData;
        std::memmove(input_.data(), input_.data() + consumed, filled - consumed);
        filled -= consumed;
    }
    return kStopped;
}

bool MpegSource::Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) {
    return mpeg_.Seek(file_, ms, options.scanMpegCompletely != 0, sample);
}

void MpegSource::Rewind() {
    file_.Seek(0);
}
