#include "engine/decoders/AsfFile.h"

#include "engine/core/FileReader.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// A GUID in its registry form {a-b-c-d0d1-d2..d7}, as the bytes a file stores: the first three
// groups little-endian, the rest as written.
struct Guid {
    uint8_t bytes[16];
};

constexpr Guid MakeGuid(uint32_t a, uint16_t b, uint16_t c, uint64_t d) {
    Guid g{};
    for (int i = 0; i < 4; ++i)
        g.bytes[i] = static_cast<uint8_t>(a >> (8 * i));
    for (int i = 0; i < 2; ++i) {
        g.bytes[4 + i] = static_cast<uint8_t>(b >> (8 * i));
        g.bytes[6 + i] = static_cast<uint8_t>(c >> (8 * i));
    }
    for (int i = 0; i < 8; ++i)
        g.bytes[8 + i] = static_cast<uint8_t>(d >> (8 * (7 - i)));
    return g;
}

constexpr Guid kHeader = MakeGuid(0x75B22630, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kFileProperties = MakeGuid(0x8CABDCA1, 0xA947, 0x11CF, 0x8EE400C00C205365);
constexpr Guid kStreamProperties = MakeGuid(0xB7DC0791, 0xA9B7, 0x11CF, 0x8EE600C00C205365);
constexpr Guid kAudioMedia = MakeGuid(0xF8699E40, 0x5B4D, 0x11CF, 0xA8FD00805F5C442B);
constexpr Guid kContentDescription = MakeGuid(0x75B22633, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kExtendedContent = MakeGuid(0xD2D0A440, 0xE307, 0x11D2, 0x97F000A0C95EA850);
constexpr Guid kData = MakeGuid(0x75B22636, 0x668E, 0x11CF, 0xA6D900AA0062CE6C);
constexpr Guid kSimpleIndex = MakeGuid(0x33000890, 0xE5B1, 0x11CF, 0x89F400A0C90349CB);

constexpr size_t kObjectHeader = 24;

bool Is(const uint8_t* bytes, const Guid& guid) {
    return std::memcmp(bytes, guid.bytes, 16) == 0;
}

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(Le16(p)) | (static_cast<uint32_t>(Le16(p + 2)) << 16);
}

uint64_t Le64(const uint8_t* p) {
    return static_cast<uint64_t>(Le32(p)) | (static_cast<uint64_t>(Le32(p + 4)) << 32);
}

// Copies UTF-16LE text of `bytes` bytes into a tag field, up to its first 0.
void CopyText(const uint8_t* p, size_t bytes, char16_t (&field)[kTagTextLength]) {
    size_t n = 0;
    for (; n + 1 < kTagTextLength && 2 * n + 1 < bytes; ++n) {
        const char16_t c = Le16(p + 2 * n);
        if (c == 0)
            break;
        field[n] = c;
    }
    field[n] = 0;
}

bool NameIs(const uint8_t* p, size_t bytes, std::string_view name) {
    // The name's length counts its terminating 0.
    if (bytes < 2 * name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (Le16(p + 2 * i) != static_cast<uint8_t>(name[i]))
            return false;
    return bytes == 2 * name.size() ||
           (bytes >= 2 * name.size() + 2 && Le16(p + 2 * name.size()) == 0);
}

// A number attribute: a decimal string, or a 16-, 32- or 64-bit or boolean value (its low 32
// bits). False for a byte array or an unknown type.
bool NumberValue(uint16_t type, const uint8_t* p, size_t bytes, int32_t& value) {
    switch (type) {
    case 0: {
        int64_t n = 0;
        size_t i = 0;
        while (2 * i + 1 < bytes && Le16(p + 2 * i) == u' ')
            ++i;
        for (; 2 * i + 1 < bytes; ++i) {
            const char16_t c = Le16(p + 2 * i);
            if (c < u'0' || c > u'9')
                break;
            n = std::min<int64_t>(n * 10 + (c - u'0'), INT32_MAX);
        }
        value = static_cast<int32_t>(n);
        return true;
    }
    case 2:
    case 3:
        if (bytes < 4)
            return false;
        value = static_cast<int32_t>(Le32(p));
        return true;
    case 4:
        if (bytes < 8)
            return false;
        value = static_cast<int32_t>(Le32(p));
        return true;
    case 5:
        if (bytes < 2)
            return false;
        value = Le16(p);
        return true;
    default:
        return false;
    }
}

void ReadFileProperties(const uint8_t* p, size_t size, AsfFile& asf) {
    if (size < 104)
        return;
    asf.fileSize = Le64(p + 40);
    asf.packetCount = Le64(p + 56);
    asf.playDuration = Le64(p + 64);
    asf.preroll = Le64(p + 80);
    const uint32_t flags = Le32(p + 88);
    asf.broadcast = (flags & 1) != 0;
    asf.seekable = (flags & 2) != 0;
    asf.minPacketSize = Le32(p + 92);
    asf.maxPacketSize = Le32(p + 96);
    asf.maxBitrate = Le32(p + 100) / 1000;
}

void ReadStreamProperties(const uint8_t* p, size_t size, AsfFile& asf) {
    if (asf.audioStream >= 0 || size < 78 || !Is(p + 24, kAudioMedia))
        return;
    const uint32_t length = Le32(p + 64);
    if (length > size - 78)
        return;
    asf.audioStream = Le16(p + 72) & 0x7F;
    asf.waveFormat.assign(p + 78, p + 78 + length);
}

void ReadContentDescription(const uint8_t* p, size_t size, AsfFile& asf) {
    if (size < 34)
        return;
    const size_t titleBytes = Le16(p + 24), authorBytes = Le16(p + 26);
    size_t at = 34;
    if (titleBytes > size - at)
        return;
    CopyText(p + at, titleBytes, asf.tag.title);
    at += titleBytes;
    if (authorBytes > size - at)
        return;
    CopyText(p + at, authorBytes, asf.tag.artist);
}

void ReadExtendedContent(const uint8_t* p, size_t size, AsfFile& asf) {
    if (size < 26)
        return;
    const uint16_t count = Le16(p + 24);
    size_t at = 26;
    for (uint16_t i = 0; i < count; ++i) {
        if (size - at < 2)
            return;
        const size_t nameBytes = Le16(p + at);
        at += 2;
        if (size - at < nameBytes + 4)
            return;
        const uint8_t* name = p + at;
        at += nameBytes;
        const uint16_t type = Le16(p + at), valueBytes = Le16(p + at + 2);
        at += 4;
        if (size - at < valueBytes)
            return;
        const uint8_t* value = p + at;
        at += valueBytes;
        if (NameIs(name, nameBytes, "WM/AlbumTitle") && type == 0)
            CopyText(value, valueBytes, asf.tag.album);
        else if (NameIs(name, nameBytes, "WM/Genre") && type == 0)
            CopyText(value, valueBytes, asf.tag.genre);
        else if (NameIs(name, nameBytes, "WM/Year"))
            NumberValue(type, value, valueBytes, asf.tag.year);
        else if (NameIs(name, nameBytes, "WM/TrackNumber"))
            NumberValue(type, value, valueBytes, asf.tag.track);
    }
}

bool ReadExactly(FileReader& file, void* buffer, size_t bytes) {
    size_t got = 0;
    return file.Read(buffer, bytes, got) && got == bytes;
}

} // namespace

uint32_t AsfFile::DurationMs() const {
    if (broadcast)
        return 0;
    const uint64_t ms = playDuration / 10000;
    return ms > preroll ? static_cast<uint32_t>(std::min<uint64_t>(ms - preroll, INT32_MAX)) : 0;
}

bool AsfFile::IsAsf(const uint8_t* bytes, size_t size) {
    return size >= 16 && Is(bytes, kHeader);
}

bool AsfFile::ParseHeader(const uint8_t* bytes, size_t size, AsfFile& asf) {
    if (size < 30 || !IsAsf(bytes, size))
        return false;
    const uint64_t headerSize = Le64(bytes + 16);
    if ((headerSize >> 32) != 0 || headerSize < 30 || headerSize > size)
        return false;
    asf.headerSize = headerSize;
    const uint32_t objects = Le32(bytes + 24);
    size_t at = 30;
    for (uint32_t i = 0; i < objects && headerSize - at >= kObjectHeader; ++i) {
        const uint8_t* p = bytes + at;
        const uint64_t objectSize = Le64(p + 16);
        if ((objectSize >> 32) != 0 || objectSize > headerSize - at || objectSize < kObjectHeader)
            break;
        const size_t n = static_cast<size_t>(objectSize);
        if (Is(p, kFileProperties))
            ReadFileProperties(p, n, asf);
        else if (Is(p, kStreamProperties))
            ReadStreamProperties(p, n, asf);
        else if (Is(p, kContentDescription))
            ReadContentDescription(p, n, asf);
        else if (Is(p, kExtendedContent))
            ReadExtendedContent(p, n, asf);
        at += n;
    }
    return true;
}

bool AsfFile::ParseIndex(const uint8_t* bytes, size_t size, AsfFile& asf) {
    if (size < 56 || !Is(bytes, kSimpleIndex))
        return false;
    const uint64_t interval = Le64(bytes + 40);
    const uint32_t count = Le32(bytes + 52);
    if (interval == 0 || count == 0 || count > (size - 56) / 6)
        return false;
    asf.index.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        asf.index[i].packet = Le32(bytes + 56 + 6 * i);
        asf.index[i].count = Le16(bytes + 60 + 6 * i);
    }
    asf.indexInterval = interval;
    return true;
}

bool AsfFile::Read(FileReader& file, AsfFile& asf) {
    asf = AsfFile();
    uint8_t head[kObjectHeader];
    if (!file.Seek(0) || !ReadExactly(file, head, sizeof head) || !IsAsf(head, sizeof head))
        return false;
    const uint64_t headerSize = Le64(head + 16);
    if ((headerSize >> 32) != 0 || headerSize < 30 || headerSize > 16 * 1024 * 1024)
        return false;
    std::vector<uint8_t> header(static_cast<size_t>(headerSize));
    std::memcpy(header.data(), head, sizeof head);
    if (!ReadExactly(file, header.data() + sizeof head, header.size() - sizeof head) ||
        !ParseHeader(header.data(), header.size(), asf))
        return false;

    // The objects after the header: the data object, then (after its packets) the index.
    const int64_t end = file.Size();
    int64_t at = static_cast<int64_t>(headerSize);
    while (at + static_cast<int64_t>(kObjectHeader) <= end) {
        if (!file.Seek(at) || !ReadExactly(file, head, sizeof head))
            break;
        const uint64_t objectSize = Le64(head + 16);
        if (Is(head, kData) && asf.dataOffset < 0) {
            asf.dataOffset = at;
        } else if (Is(head, kSimpleIndex) && asf.index.empty() && objectSize <= 64 * 1024 * 1024 &&
                   objectSize <= static_cast<uint64_t>(end - at)) {
            std::vector<uint8_t> index(static_cast<size_t>(objectSize));
            if (file.Seek(at) && ReadExactly(file, index.data(), index.size()))
                ParseIndex(index.data(), index.size(), asf);
        }
        if (objectSize < kObjectHeader || objectSize > static_cast<uint64_t>(end - at))
            break;
        at += static_cast<int64_t>(objectSize);
    }
    return asf.dataOffset >= 0;
}
