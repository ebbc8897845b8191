#pragma once

#include <cstdint>
#include <string>

// The key the lyrics service knows a song by: the MD5 of a fixed stretch of its MPEG audio data.
class LyricsChecksum {
public:
    // Bytes of audio data the digest covers; a shorter rest of the file is padded with zeros.
    static constexpr int64_t kSpan = 0x28000;

    // The 32 lower-case hexadecimal digits of the digest of the file at `path` (UTF-8). False when
    // the file can't be read or holds no MPEG audio frame.
    static bool Compute(const std::string& path, std::string& checksum);
    // The offset in the file where the digested stretch begins, or -1.
    static int64_t FindStart(const std::string& path);
};
