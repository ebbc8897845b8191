#include "engine/core/FileReader.h"

#include "platform/RegularFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

FileReader::~FileReader() {
    Close();
}

bool FileReader::Open(const std::u16string& path) {
    CriticalSection::Lock lock(lock_);
    Close();
    fd_ = RegularFile::Open(path);
    return fd_ >= 0;
}

void FileReader::Close() {
    CriticalSection::Lock lock(lock_);
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool FileReader::IsOpen() const {
    return fd_ >= 0;
}

bool FileReader::Read(void* buffer, size_t bytes, size_t& got) {
    CriticalSection::Lock lock(lock_);
    got = 0;
    if (fd_ < 0)
        return false;
    while (got < bytes) {
        const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + got, bytes - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return true;
}

bool FileReader::Seek(int64_t offset) {
    CriticalSection::Lock lock(lock_);
    return fd_ >= 0 && offset >= 0 && ::lseek(fd_, offset, SEEK_SET) == offset;
}

int64_t FileReader::Tell() {
    CriticalSection::Lock lock(lock_);
    return fd_ >= 0 ? ::lseek(fd_, 0, SEEK_CUR) : -1;
}

int64_t FileReader::Size() {
    CriticalSection::Lock lock(lock_);
    struct stat info;
    return fd_ >= 0 && ::fstat(fd_, &info) == 0 ? info.st_size : -1;
}
