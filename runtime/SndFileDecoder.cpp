#include "runtime/SndFileDecoder.h"

#include "platform/PrivateModule.h"
#include "runtime/SndFileLibrary.h"
#include "runtime/fsound.h"

#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace {

// Frames staged per step when a floating-point file is read.
constexpr int kFloatBlock = 2048;

} // namespace

SndFileDecoder::~SndFileDecoder() {
    if (m_file)
        m_sndfile->sf_close(m_file);
    if (m_fd >= 0)
        close(m_fd);
}

std::unique_ptr<SndFileDecoder> SndFileDecoder::Open(int fd, int& error) {
    std::unique_ptr<SndFileDecoder> decoder(new SndFileDecoder);
    decoder->m_fd = fd;
    decoder->m_sndfile =
        PrivateModule::LoadTable<SndFileFunctions>(kSndFileModuleFile, kSndFileModuleEntry);
    if (!decoder->m_sndfile) {
        error = FMOD_ERR_FILE_FORMAT; // nothing here reads such files
        return nullptr;
    }
    const SndFileFunctions& sf = *decoder->m_sndfile;
    SF_INFO info{};
    // The descriptor stays ours: libsndfile would close it on some failures and not on others.
    SNDFILE* file = sf.sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
    if (!file) {
        const int reason = sf.sf_error(nullptr);
        error = reason == SF_ERR_UNRECOGNISED_FORMAT ? FMOD_ERR_FILE_FORMAT : FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    decoder->m_file = file;
    if (info.channels < 1 || info.samplerate <= 0 || info.frames < 0) {
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    if (subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE)
        decoder->m_floats.resize(static_cast<size_t>(kFloatBlock) * info.channels);
    decoder->m_rate = info.samplerate;
    decoder->m_channels = info.channels;
    decoder->m_length = info.frames;
    return decoder;
}

int SndFileDecoder::Read(int16_t* out, int frames) {
    if (frames <= 0)
        return 0;
    sf_count_t got = 0;
    if (m_floats.empty()) {
        got = m_sndfile->sf_readf_short(m_file, out, frames);
    } else {
        // Full scale is +-1.0; beyond it the samples are clipped.
        while (got < frames) {
            const sf_count_t step = std::min<sf_count_t>(kFloatBlock, frames - got);
            const sf_count_t read = m_sndfile->sf_readf_float(m_file, m_floats.data(), step);
            if (read <= 0)
                break;
            int16_t* target = out + got * m_channels;
            for (sf_count_t i = 0; i < read * m_channels; ++i) {
                const float scaled = std::clamp(m_floats[i] * 32768.0f, -32768.0f, 32767.0f);
                target[i] = static_cast<int16_t>(std::lrint(scaled));
            }
            got += read;
        }
    }
    if (got > 0)
        return static_cast<int>(got);
    return m_sndfile->sf_error(m_file) == SF_ERR_NO_ERROR ? 0 : -1;
}

bool SndFileDecoder::Seek(int64_t frame) {
    if (frame < 0 || frame > m_length)
        return false;
    return m_sndfile->sf_seek(m_file, static_cast<sf_count_t>(frame), SEEK_SET) >= 0;
}
