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
    if (!m_file.Open(path))
        return false;
    if (!MpegFile::Probe(m_file) || !m_mpeg.Open(m_file, options.scanMpegCompletely != 0)) {
        m_file.Close();
        return false;
    }
    const MpegHeaderInfo& header = m_mpeg.Header();
    info.mpegVersion = header.version;
    info.mpegLayer = header.layer;
    info.channels = header.channels;
    info.sampleRate = header.rate;
    info.bitrate = header.bitrate;
    totalSamples = m_mpeg.TotalSamples();
    m_file.Seek(m_mpeg.FirstFrameOffset());
    return true;
}

void MpegSource::Close() {
    Release();
    m_file.Close();
}

void MpegSource::SetEqualizer(const EqualizerParams& eq) {
    m_feeder.SetEqualizer(eq);
}

bool MpegSource::Prepare() {
    m_feeder.Prepare(m_mpeg.Header());
    // Room for the zero bytes libmad needs after the last frame of the file.
    try {
        m_input.resize(kInputSize + MpegDecoder::kGuardBytes);
    } catch (const std::bad_alloc&) {
        try {
            m_input.resize(kSmallInputSize + MpegDecoder::kGuardBytes);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    return true;
}

void MpegSource::Release() {
    m_feeder.Release();
    m_input.clear();
    m_input.shrink_to_fit();
}

Source::LoopResult MpegSource::DecodeLoop(DecodeContext& context) {
    if (!m_feeder.Ready() || m_input.empty())
        return kError;
    size_t filled = 0;
    while (!context.StopRequested()) {
        size_t got = 0;
        {
            CriticalSection::Lock lock(context.DecodeLock());
            if (context.TakeSeek()) {
                m_feeder.Reset();
                filled = 0;
                continue;
            }
            const size_t room = m_input.size() - MpegDecoder::kGuardBytes - filled;
            if (!m_file.Read(m_input.data() + filled, room, got))
                return kError;
        }
        if (got == 0) {
            // The last frame decodes only with libmad's guard bytes behind it; anything else
            // left in the input buffer is dropped.
            std::memset(m_input.data() + filled, 0, MpegDecoder::kGuardBytes);
            size_t consumed = 0;
            m_feeder.Feed(context, m_input.data(), filled + MpegDecoder::kGuardBytes, consumed);
            return context.StopRequested() ? kStopped : kEndOfData;
        }
        filled += got;
        size_t consumed = 0;
        m_feeder.Feed(context, m_input.data(), filled, consumed);
        if (context.EndReached())
            return kEndOfData;
        std::memmove(m_input.data(), m_input.data() + consumed, filled - consumed);
        filled -= consumed;
    }
    return kStopped;
}

bool MpegSource::Seek(int64_t ms, const PlayerOptions& options, int64_t& sample) {
    return m_mpeg.Seek(m_file, ms, options.scanMpegCompletely != 0, sample);
}

void MpegSource::Rewind() {
    m_file.Seek(0);
}
