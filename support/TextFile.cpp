#include "support/TextFile.h"

#include <array>
#include <cerrno>
#include <unistd.h>
#include <utility>

TextFile::TextFile(TextFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

TextFile& TextFile::operator=(TextFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

TextFile::~TextFile() {
    Close();
}

namespace {

bool WriteAll(int fd, const unsigned char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

bool TextFile::Write(std::u16string_view text) {
    if (m_fd < 0)
        return false;
    // Little-endian whatever the host's byte order, a block at a time.
    std::array<unsigned char, 8192> block;
    size_t used = 0;
    for (const char16_t unit : text) {
        block[used++] = static_cast<unsigned char>(unit & 0xFF);
        block[used++] = static_cast<unsigned char>(unit >> 8);
        if (used == block.size()) {
            if (!WriteAll(m_fd, block.data(), used))
                return false;
            used = 0;
        }
    }
    return WriteAll(m_fd, block.data(), used);
}

bool TextFile::WriteBytes(std::string_view bytes) {
    if (m_fd < 0)
        return false;
    return WriteAll(m_fd, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

bool TextFile::Flush() {
    if (m_fd < 0)
        return false;
    // EINVAL: a file that can't be synchronised (a pipe, a device); nothing to wait for.
    return ::fsync(m_fd) == 0 || errno == EINVAL;
}

bool TextFile::Close() {
    if (m_fd < 0)
        return false;
    const int fd = std::exchange(m_fd, -1);
    // The descriptor is gone after close() even when it reports EINTR, so no retry.
    return ::close(fd) == 0;
}
