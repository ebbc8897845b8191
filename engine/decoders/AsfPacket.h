#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One data packet of an ASF file, split into its payloads. The payloads point into the bytes
// given to Parse.
class AsfPacket {
public:
    struct Payload {
        uint8_t stream = 0;
        bool keyFrame = false;
        uint32_t mediaObject = 0;
        uint32_t offset = 0;           // of these bytes in the media object
        uint32_t objectSize = 0;       // from the replicated data; 0 when it has none
        int64_t presentationTime = -1; // ms, from the replicated data; -1 when it has none
        const uint8_t* data = nullptr;
        uint32_t size = 0;
    };

    uint32_t packetLength = 0;
    uint32_t sequence = 0;
    uint32_t padding = 0;
    uint32_t sendTime = 0; // ms
    uint16_t duration = 0;
    std::vector<Payload> payloads;

    // Parses the `size` bytes of one packet; `maxPacketSize` is the file's packet size. False when
    // the packet is malformed (what was parsed up to there stays in `payloads`).
    bool Parse(const uint8_t* bytes, size_t size, uint32_t maxPacketSize);
};
