#include "lyrics/LrcFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void AppendUtf16Le(std::string& bytes, std::u16string_view text) {
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

std::string LrcFileWriter::LrcPath(const std::string& audioPath) {
    const size_t slash = audioPath.rfind('/');
    const size_t dot = audioPath.rfind('.');
    const bool hasExtension =
        dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? audioPath.substr(0, dot) : audioPath) + ".lrc";
}

std::string LrcFileWriter::TextPath(const std::string& audioPath) {
    const std::string lrc = LrcPath(audioPath);
    return lrc.substr(0, lrc.size() - 4) + ".txt";
}

std::string LrcFileWriter::Contents(const std::u16string& artist, const std::u16string& title,
                                    const std::u16string& album, const std::u16string& lines) {
    std::string bytes = "\xFF\xFE";
    AppendUtf16Le(bytes, u"[ar:" + artist + u"]\r\n");
    AppendUtf16Le(bytes, u"[ti:" + title + u"]\r\n");
    AppendUtf16Le(bytes, u"[al:" + album + u"]\r\n");
    AppendUtf16Le(bytes, lines);
    return bytes;
}

bool LrcFileWriter::WriteAtomically(const std::string& path, const std::string& bytes,
                                    bool replace) {
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = folder + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::fchmod(fd, 0644) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    // A hard link never replaces: it fails when the name exists.
    const bool placed = written && closed &&
                        (replace ? std::rename(temporary.c_str(), path.c_str()) == 0
                                 : ::link(temporary.c_str(), path.c_str()) == 0);
    if (!placed || !replace)
        ::unlink(temporary.c_str());
    return placed;
}
