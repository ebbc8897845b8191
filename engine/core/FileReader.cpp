#include "engine/core/FileReader.h"

#include "platform/RegularFile.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

FileReader::~FileReader() {
    Close();
}

bool FileReader::Open(const std::u16string& path) {
    CriticalSection::Lock lock(m_lock);
    Close();
    m_fd = RegularFile::Open(path);
    return m_fd >= 0;
}

void FileReader::Close() {
    CriticalSection::Lock lock(m_lock);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool FileReader::IsOpen() const {
    return m_fd >= 0;
}

bool FileReader::Read(void* buffer, size_t bytes, size_t& got) {
    CriticalSection::Lock lock(m_lock);
    got = 0;
    if (m_fd < 0)
        return false;
    while (got < bytes) {
        const ssize_t n = ::read(m_fd, static_cast<char*>(buffer) + got, bytes - got);
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
    CriticalSection::Lock lock(m_lock);
    return m_fd >= 0 && offset >= 0 && ::lseek(m_fd, offset, SEEK_SET) == offset;
}

int64_t FileReader::Tell() {
    CriticalSection::Lock lock(m_lock);
    return m_fd >= 0 ? ::lseek(m_fd, 0, SEEK_CUR) : -1;
}

int64_t FileReader::Size() {
    CriticalSection::Lock lock(m_lock);
    struct stat info;
    return m_fd >= 0 && ::fstat(m_fd, &info) == 0 ? info.st_size : -1;
}
