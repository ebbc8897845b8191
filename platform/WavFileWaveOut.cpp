#include "platform/WavFileWaveOut.h"

#include "platform/WavFileHeader.h"
#include "platform/WavFileWriter.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kHeaderBytes = WavFileHeader::kBytes;
constexpr uint64_t kMaxDataBytes = WavFileHeader::kMaxDataBytes;
constexpr size_t kScratchBytes = 8192;

// Paths recorded by this process, and those open right now.
std::mutex pathsMutex;
std::set<std::string> writtenPaths;
std::set<std::string> openPaths;

uint32_t Get16(const uint8_t* at) {
    return at[0] | static_cast<uint32_t>(at[1]) << 8;
}

uint32_t Get32(const uint8_t* at) {
    return Get16(at) | Get16(at + 2) << 16;
}

} // namespace

WavFileWaveOut::WavFileWaveOut(std::string path, bool fast)
    : NullWaveOut(fast), m_path(std::move(path)) {}

WavFileWaveOut::~WavFileWaveOut() {
    Close();
}

int WavFileWaveOut::OpenSink(const Format& format) {
    std::lock_guard lock(pathsMutex);
    if (openPaths.contains(m_path))
        return kAllocated;
    if (!writtenPaths.contains(m_path) || !Reopen(format)) {
        m_fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (m_fd < 0)
            return kError;
        m_format = format;
        m_dataBytes = 0;
        if (!WriteHeader()) {
            close(m_fd);
            m_fd = -1;
            return kError;
        }
    }
    m_scratch.resize(kScratchBytes);
    writtenPaths.insert(m_path);
    openPaths.insert(m_path);
    return kOk;
}

bool WavFileWaveOut::Reopen(const Format& format) {
    const int fd = open(m_path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return false;
    uint8_t header[kHeaderBytes];
    struct stat status {};
    const bool same = pread(fd, header, kHeaderBytes, 0) == static_cast<ssize_t>(kHeaderBytes) &&
                      fstat(fd, &status) == 0 && std::memcmp(header, "RIFF", 4) == 0 &&
                      std::memcmp(header + 8, "WAVEfmt ", 8) == 0 && Get32(header + 16) == 16 &&
                      Get16(header + 20) == 1 &&
                      Get16(header + 22) == static_cast<uint32_t>(format.channels) &&
                      Get32(header + 24) == static_cast<uint32_t>(format.rate) &&
                      Get16(header + 34) == static_cast<uint32_t>(format.bits) &&
                      std::memcmp(header + 36, "data", 4) == 0;
    if (!same) {
        close(fd);
        return false;
    }
    // Whole frames that are both in the header and in the file.
    uint64_t data = std::min<uint64_t>(Get32(header + 40),
                                       static_cast<uint64_t>(status.st_size) - kHeaderBytes);
    data -= data % static_cast<uint64_t>(FrameBytes(format));
    if (ftruncate(fd, static_cast<off_t>(kHeaderBytes + data)) != 0) {
        close(fd);
        return false;
    }
    m_fd = fd;
    m_format = format;
    m_dataBytes = static_cast<uint32_t>(data);
    UpdateSizes();
    return true;
}

void WavFileWaveOut::CloseSink() {
    if (m_fd < 0)
        return;
    UpdateSizes();
    close(m_fd);
    m_fd = -1;
    std::lock_guard lock(pathsMutex);
    openPaths.erase(m_path);
}

void WavFileWaveOut::Played(const uint8_t* data, size_t frames, uint32_t volume) {
    if (m_fd < 0)
        return;
    const size_t frameBytes = static_cast<size_t>(FrameBytes(m_format));
    const size_t pieceFrames = m_scratch.size() / frameBytes;
    while (frames > 0) {
        const size_t count = std::min(frames, pieceFrames), bytes = count * frameBytes;
        if (m_dataBytes + bytes > kMaxDataBytes)
            return; // the file holds no more
        const uint8_t* out = data;
        if (volume != kUnityVolume) {
            ApplyVolume(volume, m_format, data, m_scratch.data(), count);
            out = m_scratch.data();
        }
        if (!WavFileWriter::WriteAt(m_fd, out, bytes, kHeaderBytes + m_dataBytes)) {
            // Keep the file as it was (whole frames only).
            [[maybe_unused]] const int ignored =
                ftruncate(m_fd, static_cast<off_t>(kHeaderBytes + m_dataBytes));
            return;
        }
        m_dataBytes += static_cast<uint32_t>(bytes);
        data += bytes;
        frames -= count;
    }
}

void WavFileWaveOut::BlockPlayed() {
    UpdateSizes();
}

bool WavFileWaveOut::WriteHeader() {
    uint8_t header[kHeaderBytes];
    WavFileHeader::Make(header, m_format.channels, m_format.rate, m_format.bits, m_dataBytes);
    return WavFileWriter::WriteAt(m_fd, header, kHeaderBytes, 0);
}

void WavFileWaveOut::UpdateSizes() {
    uint8_t riff[4];
    uint8_t data[4];
    WavFileHeader::Sizes(m_dataBytes, riff, data);
    WavFileWriter::WriteAt(m_fd, riff, 4, WavFileHeader::kRiffSizeAt);
    WavFileWriter::WriteAt(m_fd, data, 4, WavFileHeader::kDataSizeAt);
}
