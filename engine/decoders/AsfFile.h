#pragma once

#include "engine/core/PlayerTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class FileReader;

// The header of an ASF file (Windows Media Audio): the file properties, the first audio stream's
// number and wave format, the title, author and the album, genre, year and track attributes; where
// the data object's packets start, and the simple index after the data when there is one.
class AsfFile {
public:
    struct IndexEntry {
        uint32_t packet = 0;
        uint16_t count = 0;
    };

    uint64_t headerSize = 0;
    uint64_t fileSize = 0;
    uint64_t packetCount = 0;
    uint64_t playDuration = 0; // 100 ns units, with the preroll
    uint64_t preroll = 0;      // ms
    bool broadcast = false;
    bool seekable = false;
    uint32_t minPacketSize = 0;
    uint32_t maxPacketSize = 0;
    uint32_t maxBitrate = 0;         // kbit/s
    int audioStream = -1;            // stream number, -1 when there is no audio stream
    std::vector<uint8_t> waveFormat; // the audio stream's format record, as a WAV "fmt " chunk
    TagInfo tag;
    int64_t dataOffset = -1;    // of the data object; packets start 50 bytes after it
    uint64_t indexInterval = 0; // 100 ns units between index entries; 0: no index
    std::vector<IndexEntry> index;

    // Duration of the audio in ms: the play duration less the preroll; 0 for a broadcast.
    uint32_t DurationMs() const;
    int64_t PacketOffset(uint64_t packet) const {
        return dataOffset + 50 + static_cast<int64_t>(packet * maxPacketSize);
    }

    // Whether the bytes begin with the ASF header object's GUID.
    static bool IsAsf(const uint8_t* bytes, size_t size);
    // Walks the header object (all of it, from its GUID on); false when it is not one.
    static bool ParseHeader(const uint8_t* bytes, size_t size, AsfFile& asf);
    // Reads the header from the start of the file, finds the data object and reads the simple
    // index after it. The file position is left anywhere.
    static bool Read(FileReader& file, AsfFile& asf);
    // Reads the simple index object's bytes (from its GUID on).
    static bool ParseIndex(const uint8_t* bytes, size_t size, AsfFile& asf);
};
