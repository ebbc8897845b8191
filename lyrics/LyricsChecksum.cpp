#include "lyrics/LyricsChecksum.h"

#include "engine/core/MpegHeader.h"
#include "platform/RegularFile.h"

#include "lyrics/NetLibraries.h"

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>

namespace {

constexpr size_t kWindow = 512;

// Closes the descriptor on every way out.
struct FileCloser {
    int fd;
    ~FileCloser() {
        if (fd >= 0)
            ::close(fd);
    }
};

// Reads up to `size` bytes at `offset`; the count read, or -1.
ssize_t ReadAt(int fd, int64_t offset, uint8_t* bytes, size_t size) {
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd, bytes + got, size - got,
                                  static_cast<off_t>(offset + static_cast<int64_t>(got)));
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(got);
}

// Whether four bytes at `offset` are a header of the same stream as `first`.
bool SameStreamAt(int fd, int64_t offset, const MpegHeaderInfo& first) {
    uint8_t word[4];
    MpegHeaderInfo next;
    return ReadAt(fd, offset, word, sizeof word) == 4 &&
           MpegHeader::Parse(MpegHeader::Read(word), next) && MpegHeader::SameStream(first, next);
}

// The first frame whose successor, one frame length on, belongs to the same stream. The file is
// scanned in windows; the last three bytes of a window are carried into the next one.
bool FindFirstFrame(int fd, int64_t& offset, MpegHeaderInfo& info) {
    uint8_t window[kWindow];
    for (int64_t start = 0;;) {
        const ssize_t got = ReadAt(fd, start, window, sizeof window);
        if (got < 4)
            return false;
        for (ssize_t i = 0; i + 4 <= got; ++i) {
            if (!MpegHeader::QuickTest(window + i) ||
                !MpegHeader::Parse(MpegHeader::Read(window + i), info))
                continue;
            if (SameStreamAt(fd, start + i + info.frameLength, info)) {
                offset = start + i;
                return true;
            }
        }
        start += got - 3;
    }
}

// The version and layer fields of a header's second byte, as the start scan compares them.
int VersionOf(uint8_t b1) {
    return (b1 & 0x18) == 0x18 ? 1 : (b1 & 0x10) ? 2 : 3;
}
int LayerOf(uint8_t b1) {
    return 4 - ((b1 >> 1) & 3);
}

// The next frame sync at or after `from` with the given version and layer, or -1.
int64_t FindHeader(int fd, int64_t from, int version, int layer) {
    uint8_t window[kWindow];
    for (int64_t start = from;;) {
        const ssize_t got = ReadAt(fd, start, window, sizeof window);
        if (got < 4)
            return -1;
        for (ssize_t i = 0; i + 4 <= got; ++i) {
            if (window[i] == 0xFF && window[i + 1] >= 0xE0 && VersionOf(window[i + 1]) == version &&
                LayerOf(window[i + 1]) == layer)
                return start + i;
        }
        start += got - 3;
    }
}

int64_t FindStart(int fd) {
    int64_t first = 0;
    MpegHeaderInfo info;
    if (!FindFirstFrame(fd, first, info))
        return -1;
    // The first frame may carry a VBR header ("Xing" or "VBRI") behind its side information. The
    // test reads the four bytes there, and the start scan goes on from just past them: so the
    // digest begins at the frame after the first one, whether that was a VBR header frame or
    // already audio.
    const int64_t tagAt = first + 4 + MpegHeader::SideInfoSize(info);
    uint8_t tag[4];
    if (ReadAt(fd, tagAt, tag, sizeof tag) != 4)
        return -1;
    return FindHeader(fd, tagAt + 4, info.version, info.layer);
}

} // namespace

int64_t LyricsChecksum::FindStart(const std::string& path) {
    FileCloser file{RegularFile::Open(path)};
    if (file.fd < 0)
        return -1;
    ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return ::FindStart(file.fd);
}

bool LyricsChecksum::Compute(const std::string& path, std::string& checksum) {
    checksum.clear();
    FileCloser file{RegularFile::Open(path)};
    if (file.fd < 0)
        return false;
    ::posix_fadvise(file.fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    const int64_t start = ::FindStart(file.fd);
    if (start < 0)
        return false;

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kSpan]());
    if (!buffer || ReadAt(file.fd, start, buffer.get(), kSpan) < 0)
        return false;

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (!NetLibraries::Load() ||
        Net().EVP_Digest(buffer.get(), kSpan, digest, &length, Net().EVP_md5(), nullptr) != 1 ||
        length != 16)
        return false;
    static constexpr char kHex[] = "0123456789abcdef";
    for (unsigned int i = 0; i < length; ++i) {
        checksum.push_back(kHex[digest[i] >> 4]);
        checksum.push_back(kHex[digest[i] & 15]);
    }
    return true;
}
