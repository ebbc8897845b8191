#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The WAV file that `decode` writes: a plain 44-byte PCM header and the samples. Every write is
// checked; the first failure is kept as an errno value and ends the writing. The header's sizes
// are brought up to date after each block, so what was written stays a valid file.
class WavWriter {
public:
    enum class OpenResult { kOk, kFailed, kSameAsInput };

    WavWriter() = default;
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Opens `path` for writing and empties it, unless it is the file `input` (the same file under
    // another name or a hard link, too), which is left untouched.
    OpenResult Open(const std::string& path, const std::string& input);
    // The sample format of what follows; writes the header. A format other than the one the data
    // so far has starts the file over.
    bool Start(int channels, int rate, int bits);
    bool Append(const uint8_t* data, size_t bytes);
    // Writes the sizes of the data so far into the header.
    bool UpdateHeader();
    // The final header update and the close, both checked.
    bool Close();

    // The errno value of the first failure, 0 while there is none.
    int Error() const { return m_error; }
    uint64_t DataBytes() const { return m_dataBytes; }

private:
    bool Write(const uint8_t* data, size_t bytes, uint64_t offset);
    bool Fail(int error);

    int m_fd = -1;
    bool m_regular = false;
    int m_error = 0;
    int m_channels = 0, m_rate = 0, m_bits = 0;
    uint64_t m_dataBytes = 0;
};
