#include "platform/WavFileWriter.h"

#include "platform/WavFileHeader.h"

#include <fcntl.h>
#include <unistd.h>

bool WavFileWriter::WriteAt(int fd, const uint8_t* data, size_t bytes, uint64_t offset) {
    while (bytes > 0) {
        const ssize_t written = pwrite(fd, data, bytes, static_cast<off_t>(offset));
        if (written <= 0)
            return false;
        data += written;
        bytes -= static_cast<size_t>(written);
        offset += static_cast<uint64_t>(written);
    }
    return true;
}

WavFileWriter::~WavFileWriter() {
    Close();
}

void WavFileWriter::Close() {
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

bool WavFileWriter::Start(int channels, int rate) {
    Close();
    m_fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return false;
    m_channels = channels;
    m_rate = rate;
    m_dataBytes = 0;
    uint8_t header[WavFileHeader::kBytes];
    WavFileHeader::Make(header, channels, rate, 16, 0);
    return WriteAt(m_fd, header, sizeof header, 0);
}

bool WavFileWriter::Append(const uint8_t* data, size_t bytes, int channels, int rate) {
    if (channels < 1 || rate < 1)
        return false;
    if ((m_fd < 0 || channels != m_channels || rate != m_rate) && !Start(channels, rate))
        return false;
    if (m_dataBytes + bytes > WavFileHeader::kMaxDataBytes)
        return false;
    if (!WriteAt(m_fd, data, bytes, WavFileHeader::kBytes + m_dataBytes))
        return false;
    m_dataBytes += bytes;
    uint8_t riff[4], size[4];
    WavFileHeader::Sizes(static_cast<uint32_t>(m_dataBytes), riff, size);
    return WriteAt(m_fd, riff, 4, WavFileHeader::kRiffSizeAt) &&
           WriteAt(m_fd, size, 4, WavFileHeader::kDataSizeAt);
}
