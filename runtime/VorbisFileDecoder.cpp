#include "runtime/VorbisFileDecoder.h"

#include "runtime/fsound.h"

#include <vorbis/vorbisfile.h>

#include <unistd.h>

namespace {

// OV_HOLE answers (a gap in the data) in a row before the file counts as broken.
constexpr int kMaxHoles = 64;

} // namespace

VorbisFileDecoder::VorbisFileDecoder() : m_file(std::make_unique<OggVorbis_File>()) {}

VorbisFileDecoder::~VorbisFileDecoder() {
    if (m_open)
        ov_clear(m_file.get());
    if (m_stdio)
        std::fclose(m_stdio);
}

std::unique_ptr<VorbisFileDecoder> VorbisFileDecoder::Open(int fd, int& error) {
    std::unique_ptr<VorbisFileDecoder> decoder(new VorbisFileDecoder);
    decoder->m_stdio = fdopen(fd, "rb");
    if (!decoder->m_stdio) {
        close(fd);
        error = FMOD_ERR_FILE_NOTFOUND;
        return nullptr;
    }
    // The stream stays ours (closed with the decoder), whether the open succeeds or not.
    const int result = ov_open_callbacks(decoder->m_stdio, decoder->m_file.get(), nullptr, 0,
                                         OV_CALLBACKS_NOCLOSE);
    if (result != 0) {
        error = result == OV_ENOTVORBIS ? FMOD_ERR_FILE_FORMAT : FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    decoder->m_open = true;
    OggVorbis_File* file = decoder->m_file.get();
    const vorbis_info* first = ov_info(file, 0);
    if (!first || first->channels < 1 || first->rate <= 0) {
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    decoder->m_rate = static_cast<int>(first->rate);
    decoder->m_channels = first->channels;

    const long links = ov_streams(file);
    int usable = 0;
    int64_t length = 0;
    for (long link = 0; link < links; ++link) {
        const vorbis_info* info = ov_info(file, static_cast<int>(link));
        if (!info || info->rate != first->rate || info->channels != first->channels)
            break;
        const ogg_int64_t total = ov_pcm_total(file, static_cast<int>(link));
        if (total > 0)
            length += total;
        ++usable;
    }
    decoder->m_links = usable > 0 ? usable : 1;
    decoder->m_length = length;
    return decoder;
}

int VorbisFileDecoder::Read(int16_t* out, int frames) {
    if (frames <= 0 || m_ended)
        return 0;
    const int frameBytes = m_channels * static_cast<int>(sizeof(int16_t));
    char* target = reinterpret_cast<char*>(out);
    const int wanted = frames * frameBytes;
    int filled = 0;
    int holes = 0;
    while (filled < wanted) {
        int link = 0;
        const long got = ov_read(m_file.get(), target + filled, wanted - filled, 0, 2, 1, &link);
        if (got == 0)
            break;
        if (got == OV_HOLE) {
            if (++holes >= kMaxHoles)
                return filled > 0 ? filled / frameBytes : -1;
            continue;
        }
        if (got < 0)
            return filled > 0 ? filled / frameBytes : -1;
        if (link >= m_links) {
            // A link in another format: the stream ends before it.
            m_ended = true;
            break;
        }
        holes = 0;
        filled += static_cast<int>(got);
    }
    return filled / frameBytes;
}

bool VorbisFileDecoder::Seek(int64_t frame) {
    if (frame < 0 || frame > m_length)
        return false;
    if (ov_pcm_seek(m_file.get(), static_cast<ogg_int64_t>(frame)) != 0)
        return false;
    m_ended = false;
    return true;
}
