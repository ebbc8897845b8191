#include "cli/WavWriter.h"

#include "platform/WavFileHeader.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kHeaderBytes = WavFileHeader::kBytes;
constexpr uint64_t kMaxDataBytes = WavFileHeader::kMaxDataBytes;

} // namespace

WavWriter::~WavWriter() {
    if (m_fd >= 0)
        ::close(m_fd);
}

WavWriter::OpenResult WavWriter::Open(const std::string& path, const std::string& input) {
    // Opened without truncating, so that the input can be recognised before anything is lost;
    // without waiting, so that a FIFO nobody reads fails at once.
    m_fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    struct stat out {};
    if (m_fd < 0 || ::fstat(m_fd, &out) != 0) {
        Fail(errno);
        return OpenResult::kFailed;
    }
    struct stat in {};
    if (::stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        ::close(m_fd);
        m_fd = -1;
        return OpenResult::kSameAsInput;
    }
    m_regular = S_ISREG(out.st_mode);
    if (::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
        (m_regular && ::ftruncate(m_fd, 0) != 0)) {
        Fail(errno);
        return OpenResult::kFailed;
    }
    return OpenResult::kOk;
}

bool WavWriter::Start(int channels, int rate, int bits) {
    if (m_fd < 0 || m_error != 0)
        return false;
    if (m_dataBytes > 0 && channels == m_channels && rate == m_rate && bits == m_bits)
        return true;
    if (m_dataBytes > 0 && m_regular && ::ftruncate(m_fd, 0) != 0)
        return Fail(errno);
    m_channels = channels;
    m_rate = rate;
    m_bits = bits;
    m_dataBytes = 0;
    uint8_t header[kHeaderBytes];
    WavFileHeader::Make(header, channels, rate, bits, 0);
    return Write(header, kHeaderBytes, 0);
}

bool WavWriter::Append(const uint8_t* data, size_t bytes) {
    if (m_fd < 0 || m_error != 0 || m_channels == 0)
        return false;
    if (m_dataBytes + bytes > kMaxDataBytes)
        return Fail(EFBIG);
    if (!Write(data, bytes, kHeaderBytes + m_dataBytes))
        return false;
    m_dataBytes += bytes;
    return true;
}

bool WavWriter::UpdateHeader() {
    // Also after a failed write: the sizes then cover what did arrive.
    if (m_fd < 0 || m_channels == 0)
        return false;
    uint8_t riff[4];
    uint8_t data[4];
    WavFileHeader::Sizes(static_cast<uint32_t>(m_dataBytes), riff, data);
    return Write(riff, 4, WavFileHeader::kRiffSizeAt) && Write(data, 4, WavFileHeader::kDataSizeAt);
}

bool WavWriter::Close() {
    if (m_fd < 0)
        return m_error == 0;
    if (m_channels != 0)
        UpdateHeader();
    if (::close(m_fd) != 0)
        Fail(errno);
    m_fd = -1;
    return m_error == 0;
}

bool WavWriter::Write(const uint8_t* data, size_t bytes, uint64_t offset) {
    while (bytes > 0) {
        const ssize_t written = ::pwrite(m_fd, data, bytes, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fail(written < 0 ? errno : EIO);
        data += written;
        bytes -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
    return true;
}

bool WavWriter::Fail(int error) {
    if (m_error == 0)
        m_error = error;
    return false;
}
