#include "platform/RegularFile.h"

#include "platform/TextCodec.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int RegularFile::Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    struct stat info {};
    int error = 0;
    if (::fstat(fd, &info) != 0)
        error = errno;
    else if (S_ISDIR(info.st_mode))
        error = EISDIR;
    else if (!S_ISREG(info.st_mode))
        error = kNotRegular;
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        error = errno;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

int RegularFile::Open(const std::u16string& path) {
    return Open(TextCodec::Utf16ToUtf8(path));
}

std::FILE* RegularFile::OpenStream(const std::string& path) {
    const int fd = Open(path);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        errno = error;
    }
    return file;
}

std::FILE* RegularFile::OpenStream(const std::u16string& path) {
    return OpenStream(TextCodec::Utf16ToUtf8(path));
}

bool RegularFile::Check(const std::string& path) {
    const int fd = Open(path);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool RegularFile::Check(const std::u16string& path) {
    return Check(TextCodec::Utf16ToUtf8(path));
}

std::string RegularFile::ErrorText(int error) {
    return error == kNotRegular ? "not a regular file" : std::strerror(error);
}
