#include "engine/decoders/AsfPacket.h"

namespace {

// Reads little-endian fields of the sizes the 2-bit length types give: 0 absent, 1 a byte,
// 2 two bytes, 3 four bytes.
class Fields {
public:
    Fields(const uint8_t* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

    bool Read(unsigned type, uint32_t& value, uint32_t absent = 0) {
        static constexpr size_t kSizes[4] = {0, 1, 2, 4};
        const size_t n = kSizes[type & 3];
        if (n == 0) {
            value = absent;
            return true;
        }
        if (m_size - m_at < n)
            return false;
        value = 0;
        for (size_t i = 0; i < n; ++i)
            value |= static_cast<uint32_t>(m_bytes[m_at + i]) << (8 * i);
        m_at += n;
        return true;
    }
    bool Skip(size_t n) {
        if (m_size - m_at < n)
            return false;
        m_at += n;
        return true;
    }
    size_t At() const { return m_at; }
    const uint8_t* Here() const { return m_bytes + m_at; }

private:
    const uint8_t* m_bytes;
    size_t m_size;
    size_t m_at = 0;
};

uint32_t Le32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

} // namespace

bool AsfPacket::Parse(const uint8_t* bytes, size_t size, uint32_t maxPacketSize) {
    payloads.clear();
    if (size == 0)
        return false;
    Fields f(bytes, size);
    uint32_t first = 0;
    f.Read(1, first);
    if (first & 0x80) {
        // Error correction data: its length is in the low 4 bits.
        if (first != 0x82 && first != 0x90)
            return false;
        if (!f.Skip(first & 0x0F))
            return false;
        if (!f.Read(1, first))
            return false;
    }
    const uint32_t lengthFlags = first;
    uint32_t propertyFlags = 0;
    if (!f.Read(1, propertyFlags))
        return false;
    const bool multiple = (lengthFlags & 1) != 0;
    uint32_t sendTime = 0, duration = 0;
    if (!f.Read(lengthFlags >> 5, packetLength, maxPacketSize) ||
        !f.Read(lengthFlags >> 1, sequence) || !f.Read(lengthFlags >> 3, padding) ||
        !f.Read(3, sendTime) || !f.Read(2, duration))
        return false;
    this->sendTime = sendTime;
    this->duration = static_cast<uint16_t>(duration);
    if (packetLength < 8 || packetLength > maxPacketSize || packetLength > size)
        return false;

    uint32_t count = 1, payloadLengthType = 0;
    if (multiple) {
        uint32_t b = 0;
        if (!f.Read(1, b))
            return false;
        count = b & 0x3F;
        payloadLengthType = b >> 6;
    }
    // The bytes the payloads may use.
    if (padding > packetLength)
        return false;
    const size_t end = packetLength - padding;
    for (uint32_t i = 0; i < count; ++i) {
        Payload p;
        uint32_t streamByte = 0, replicated = 0;
        if (!f.Read(1, streamByte) || !f.Read(propertyFlags >> 4, p.mediaObject) ||
            !f.Read(propertyFlags >> 2, p.offset) || !f.Read(propertyFlags, replicated))
            return false;
        p.stream = streamByte & 0x7F;
        p.keyFrame = (streamByte & 0x80) != 0;
        const uint8_t* data = f.Here();
        if (!f.Skip(replicated))
            return false;
        if (replicated >= 4)
            p.objectSize = Le32(data);
        if (replicated >= 8)
            p.presentationTime = Le32(data + 4);
        uint32_t length = 0;
        if (multiple) {
            if (!f.Read(payloadLengthType, length) || length == 0)
                return false;
        } else {
            if (f.At() > end)
                return false;
            length = static_cast<uint32_t>(end - f.At());
        }
        if (f.At() > end || length > end - f.At())
            return false;
        p.data = f.Here();
        f.Skip(length);
        if (replicated == 1) {
            // Compressed payload: whole small media objects, each after its length byte; the
            // offset field held the presentation time.
            const uint8_t* q = p.data;
            const uint8_t* stop = p.data + length;
            uint32_t object = p.mediaObject;
            while (q < stop) {
                const uint32_t n = *q++;
                if (n > static_cast<size_t>(stop - q))
                    return false;
                Payload sub = p;
                sub.mediaObject = object++;
                sub.offset = 0;
                sub.objectSize = n;
                sub.presentationTime = -1;
                sub.data = q;
                sub.size = n;
                payloads.push_back(sub);
                q += n;
            }
        } else {
            p.size = length;
            payloads.push_back(p);
        }
    }
    return true;
}
