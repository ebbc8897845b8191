#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Writes 16-bit PCM into a WAV file with the plain 44-byte header, kept valid after every
// Append. The first Append after Open, or one in another format, starts the file afresh; later
// ones in the same format add to it.
class WavFileWriter {
public:
    explicit WavFileWriter(std::string path) : m_path(std::move(path)) {}
    ~WavFileWriter();
    WavFileWriter(const WavFileWriter&) = delete;
    WavFileWriter& operator=(const WavFileWriter&) = delete;

    // False when the file can't be written (what was written before stays).
    bool Append(const uint8_t* data, size_t bytes, int channels, int rate);
    void Close();

    // Writes all of `data` at `offset` of the open file `fd`.
    static bool WriteAt(int fd, const uint8_t* data, size_t bytes, uint64_t offset);

private:
    bool Start(int channels, int rate);

    const std::string m_path;
    int m_fd = -1;
    int m_channels = 0;
    int m_rate = 0;
    uint64_t m_dataBytes = 0;
};
