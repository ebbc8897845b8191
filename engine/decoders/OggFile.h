#pragma once

#include <tremor/ivorbisfile.h>

#include <cstdint>
#include <string>
#include <vector>

// An Ogg Vorbis file decoded by Tremor's file layer over a stdio stream.
class OggFile {
public:
    OggFile() = default;
    ~OggFile();
    OggFile(const OggFile&) = delete;
    OggFile& operator=(const OggFile&) = delete;

    // The file opens and the Vorbis file layer accepts it in test mode.
    static bool Probe(const std::u16string& path);

    // Opens the file; fails when the layer refuses it or its PCM total (all logical streams) is 0.
    // Closes any file open before.
    bool Open(const std::u16string& path);
    void Close();
    bool IsOpen() const { return m_open; }

    // Of the logical stream being read (the first one right after Open).
    int Channels() const;
    int Rate() const;
    int Bitrate() const; // nominal, kbit/s (the average when the stream names none)
    int64_t TotalSamples() const { return m_totalSamples; }

    // Decodes 16-bit little-endian interleaved PCM: > 0 bytes written, 0 at the end, < 0 on an
    // error. Holes in the data (garbage or a lost page) are skipped over.
    long Read(uint8_t* out, int bytes);

    // Seeks to ms * rate / 1000; `reachedSample` is the layer's PCM position after it.
    bool Seek(int64_t ms, int64_t& reachedSample);

    // The raw "KEY=value" comments (UTF-8) of the logical stream being read.
    std::vector<std::string> Comments() const;

private:
    // The layer's query calls take a non-const state although they only look.
    mutable OggVorbis_File m_file{};
    bool m_open = false;
    int64_t m_totalSamples = 0;
};
