#pragma once

#include <string_view>

// Writes UTF-16 text to a file descriptor: the code units of each string, little-endian, without
// a terminator (or bytes already encoded). The writer owns the descriptor and closes it when it
// goes away.
class TextFile {
public:
    explicit TextFile(int fd = -1) : m_fd(fd) {}
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    TextFile(TextFile&& other) noexcept;
    TextFile& operator=(TextFile&& other) noexcept;
    virtual ~TextFile();

    bool IsOpen() const { return m_fd >= 0; }
    int GetHandle() const { return m_fd; }

    // False if the file isn't open or the write fails (the file may then hold part of the text).
    bool Write(std::u16string_view text);
    // Writes bytes as they are; false as for Write.
    bool WriteBytes(std::string_view bytes);
    // Waits until what was written is on the storage; false if the system reports an error
    // (a full disk may only show up here).
    bool Flush();
    // Closes the descriptor; false if there was none or closing reported an error.
    bool Close();

private:
    int m_fd;
};
