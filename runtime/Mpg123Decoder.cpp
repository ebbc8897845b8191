#include "runtime/Mpg123Decoder.h"

#include "runtime/fsound.h"

#include <mpg123.h>

#include <mutex>
#include <unistd.h>

namespace {

// Reads that keep answering OK without output are given up after this many tries, so a file
// that only yields junk can't spin the caller.
constexpr int kMaxEmptyReads = 64;

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

Mpg123Decoder::~Mpg123Decoder() {
    if (m_handle) {
        mpg123_close(m_handle);
        mpg123_delete(m_handle);
    }
    if (m_fd >= 0)
        close(m_fd);
}

std::unique_ptr<Mpg123Decoder> Mpg123Decoder::Open(int fd, bool exactLength, int& error) {
    InitLibrary();
    std::unique_ptr<Mpg123Decoder> decoder(new Mpg123Decoder);
    decoder->m_fd = fd;
    int result = MPG123_OK;
    decoder->m_handle = mpg123_new(nullptr, &result);
    if (!decoder->m_handle) {
        error = FMOD_ERR_MEMORY;
        return nullptr;
    }
    mpg123_handle* handle = decoder->m_handle;
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0.0);

    // Any rate and channel count, but only 16-bit signed samples.
    mpg123_format_none(handle);
    const long* rates = nullptr;
    size_t count = 0;
    mpg123_rates(&rates, &count);
    for (size_t i = 0; i < count; ++i)
        mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    if (mpg123_open_fd(handle, fd) != MPG123_OK) {
        error = FMOD_ERR_FILE_NOTFOUND;
        return nullptr;
    }
    long rate = 0;
    int channels = 0, encoding = 0;
    if (mpg123_getformat(handle, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2 || encoding != MPG123_ENC_SIGNED_16) {
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    // Hold the output to the first frame's format: should a later frame change the rate or the
    // mode, mpg123 converts it rather than changing what the caller gets.
    mpg123_format_none(handle);
    mpg123_format(handle, rate, channels, MPG123_ENC_SIGNED_16);
    decoder->m_rate = static_cast<int>(rate);
    decoder->m_channels = channels;

    if (exactLength && mpg123_scan(handle) != MPG123_OK) {
        error = FMOD_ERR_FILE_BAD;
        return nullptr;
    }
    const off_t length = mpg123_length(handle);
    decoder->m_length = length > 0 ? static_cast<int64_t>(length) : 0;
    return decoder;
}

int Mpg123Decoder::Read(int16_t* out, int frames) {
    if (frames <= 0)
        return 0;
    const size_t frameBytes = static_cast<size_t>(m_channels) * sizeof(int16_t);
    unsigned char* target = reinterpret_cast<unsigned char*>(out);
    const size_t wanted = static_cast<size_t>(frames) * frameBytes;
    size_t filled = 0;
    int emptyReads = 0;
    while (filled < wanted) {
        size_t done = 0;
        const int result = mpg123_read(m_handle, target + filled, wanted - filled, &done);
        filled += done;
        if (result == MPG123_DONE)
            break;
        if (result == MPG123_NEW_FORMAT)
            continue;
        if (result != MPG123_OK) {
            if (filled == 0)
                return -1;
            break;
        }
        if (done == 0 && ++emptyReads >= kMaxEmptyReads)
            break;
    }
    return static_cast<int>(filled / frameBytes);
}

bool Mpg123Decoder::Seek(int64_t frame) {
    if (frame < 0)
        return false;
    return mpg123_seek(m_handle, static_cast<off_t>(frame), SEEK_SET) >= 0;
}
