#pragma once

#include "platform/CriticalSection.h"

#include <cstddef>
#include <cstdint>
#include <string>

// One open file behind its own lock: every open, close, read and position change takes it, so
// the decoding thread and a seek from the view never interleave inside a call.
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    // Opens an existing regular file for reading (a FIFO, a device or a folder fails at once, with
    // errno set); closes any file open before.
    bool Open(const std::u16string& path);
    void Close();
    bool IsOpen() const;

    // Reads up to `bytes`; `got` is what arrived (0 at the end of the file). False only when the
    // system reports an error.
    bool Read(void* buffer, size_t bytes, size_t& got);
    bool Seek(int64_t offset);
    int64_t Tell();
    int64_t Size();

    CriticalSection& Lock() { return m_lock; }

private:
    CriticalSection m_lock;
    int m_fd = -1;
};
