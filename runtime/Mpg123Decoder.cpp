#include "runtime/Mpg123Decoder.h"

#include "runtime/fsound.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace {

// Reads that keep answering OK without output are given up after this many tries, so a file
// that only yields junk can't spin the caller.
constexpr int kMaxEmptyReads = 64;

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

// mpg123 reads a frame's header and its body one read at a time, a few hundred bytes each; the
// file goes through this buffer instead, so playing costs a system call every few seconds.
class Mpg123Decoder::FileReader {
public:
    explicit FileReader(int fd) : m_fd(fd), m_buffer(kBufferBytes) {}

    static mpg123_ssize_t ReadCallback(void* reader, void* out, size_t bytes) {
        return static_cast<FileReader*>(reader)->Read(static_cast<uint8_t*>(out), bytes);
    }
    static off_t SeekCallback(void* reader, off_t offset, int whence) {
        return static_cast<FileReader*>(reader)->Seek(offset, whence);
    }

private:
    static constexpr size_t kBufferBytes = 64 * 1024;

    mpg123_ssize_t Read(uint8_t* out, size_t bytes) {
        if (m_begin == m_end) {
            // Large reads go straight to the caller.
            if (bytes >= m_buffer.size())
                return ::read(m_fd, out, bytes);
            const ssize_t got = ::read(m_fd, m_buffer.data(), m_buffer.size());
            if (got <= 0)
                return got;
            m_begin = 0;
            m_end = static_cast<size_t>(got);
        }
        const size_t count = std::min(bytes, m_end - m_begin);
        std::memcpy(out, m_buffer.data() + m_begin, count);
        m_begin += count;
        return static_cast<mpg123_ssize_t>(count);
    }

    // The file's position as the decoder sees it is behind the descriptor's by what is buffered.
    off_t Seek(off_t offset, int whence) {
        if (whence == SEEK_CUR) {
            const off_t at = ::lseek(m_fd, 0, SEEK_CUR);
            if (at < 0)
                return at;
            offset += at - static_cast<off_t>(m_end - m_begin);
            whence = SEEK_SET;
        }
        const off_t result = ::lseek(m_fd, offset, whence);
        if (result >= 0)
            m_begin = m_end = 0;
        return result;
    }

    int m_fd;
    std::vector<uint8_t> m_buffer;
    size_t m_begin = 0;
    size_t m_end = 0;
};

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

    decoder->m_reader = std::make_unique<FileReader>(fd);
    if (mpg123_replace_reader_handle(handle, &FileReader::ReadCallback, &FileReader::SeekCallback,
                                     nullptr) != MPG123_OK ||
        mpg123_open_handle(handle, decoder->m_reader.get()) != MPG123_OK) {
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
