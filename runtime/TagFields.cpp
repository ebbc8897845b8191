#include "runtime/TagFields.h"

#include "platform/RegularFile.h"
#include "runtime/fsound.h"

#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/vorbisfile.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>

// TagLib tells what the file is and which tags it carries. The field values are read from the
// file itself: TagLib upgrades ID3v2.3 frames to 2.4 (TYER becomes TDRC), re-encodes texts and
// upper-cases Vorbis comment names, while the player wants the bytes a tagging tool wrote.

namespace {

using Bytes = std::vector<uint8_t>;

bool ReadAt(std::ifstream& in, std::streamoff offset, size_t size, Bytes& out) {
    out.resize(size);
    in.clear();
    in.seekg(offset);
    if (!in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(size)))
        return false;
    return true;
}

uint32_t BigEndian(const uint8_t* b, int bytes) {
    uint32_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value = (value << 8) | b[i];
    return value;
}

uint32_t SyncSafe(const uint8_t* b) {
    return (uint32_t(b[0] & 0x7F) << 21) | (uint32_t(b[1] & 0x7F) << 14) |
           (uint32_t(b[2] & 0x7F) << 7) | uint32_t(b[3] & 0x7F);
}

uint32_t LittleEndian32(const uint8_t* b) {
    return uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
}

// Undoes unsynchronisation: every 0xFF 0x00 pair loses its 0x00.
Bytes Resynchronise(const uint8_t* data, size_t size) {
    Bytes out;
    out.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && i + 1 < size && data[i + 1] == 0x00)
            ++i;
    }
    return out;
}

bool IsFrameId(const uint8_t* id, size_t length) {
    for (size_t i = 0; i < length; ++i)
        if (!std::isupper(id[i]) && !std::isdigit(id[i]))
            return false;
    return true;
}

// The frames of an ID3v2 tag body (the bytes after the 10-byte tag header, tag-wide
// unsynchronisation already undone for versions 2 and 3).
class Id3v2Walk {
public:
    Id3v2Walk(const Bytes& body, int version, bool tagUnsynchronised)
        : m_body(body), m_version(version), m_tagUnsync(tagUnsynchronised) {}

    void Run(size_t pos, std::vector<TagFields::Field>& fields) const {
        const size_t idLength = m_version == 2 ? 3 : 4;
        const size_t headerLength = m_version == 2 ? 6 : 10;
        while (pos + headerLength <= m_body.size()) {
            const uint8_t* header = m_body.data() + pos;
            if (header[0] == 0 || !IsFrameId(header, idLength))
                break; // padding, or the end of what can be read
            const size_t size = FrameSize(pos);
            if (size > m_body.size() - pos - headerLength)
                break;
            const uint8_t* data = header + headerLength;
            TagFields::Field field;
            field.type = FSOUND_TAGFIELD_ID3V2;
            field.name.assign(reinterpret_cast<const char*>(header), idLength);
            field.value = Content(header, data, size);
            fields.push_back(std::move(field));
            pos += headerLength + size;
        }
    }

private:
    size_t FrameSize(size_t pos) const {
        const uint8_t* header = m_body.data() + pos;
        if (m_version == 2)
            return BigEndian(header + 3, 3);
        if (m_version == 3)
            return BigEndian(header + 4, 4);
        // Version 4 sizes are sync-safe, but some writers stored plain ones: take the plain
        // size when only it lands on another frame or on the end.
        const size_t syncSafe = SyncSafe(header + 4);
        const size_t plain = BigEndian(header + 4, 4);
        if (plain != syncSafe && !EndsWell(pos + 10 + syncSafe) && EndsWell(pos + 10 + plain))
            return plain;
        return syncSafe;
    }

    bool EndsWell(size_t next) const {
        if (next == m_body.size())
            return true;
        if (next > m_body.size())
            return false;
        if (m_body[next] == 0)
            return true;
        return next + 4 <= m_body.size() && IsFrameId(m_body.data() + next, 4);
    }

    Bytes Content(const uint8_t* header, const uint8_t* data, size_t size) const {
        if (m_version == 2)
            return Bytes(data, data + size);
        const uint8_t format = header[9];
        size_t skip = 0;
        bool unsync = false;
        if (m_version == 3) {
            skip += (format & 0x80) ? 4 : 0; // decompressed size
            skip += (format & 0x40) ? 1 : 0; // encryption method
            skip += (format & 0x20) ? 1 : 0; // group
        } else {
            skip += (format & 0x40) ? 1 : 0; // group
            skip += (format & 0x04) ? 1 : 0; // encryption method
            skip += (format & 0x01) ? 4 : 0; // data length
            unsync = m_tagUnsync || (format & 0x02);
        }
        if (skip > size)
            skip = size;
        if (unsync)
            return Resynchronise(data + skip, size - skip);
        return Bytes(data + skip, data + size);
    }

    const Bytes& m_body;
    int m_version;
    bool m_tagUnsync;
};

void LoadId3v2(std::ifstream& in, const TagLib::ID3v2::Header& header,
               std::vector<TagFields::Field>& fields) {
    const int version = static_cast<int>(header.majorVersion());
    if (version < 2 || version > 4)
        return;
    Bytes head;
    if (!ReadAt(in, 0, 10, head) || std::memcmp(head.data(), "ID3", 3) != 0)
        return;
    const size_t size = SyncSafe(head.data() + 6);
    Bytes body;
    if (!ReadAt(in, 10, size, body)) {
        // A tag cut short by the end of the file: walk what is there.
        body.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    }
    const bool unsynchronised = (head[5] & 0x80) != 0;
    if (unsynchronised && version < 4)
        body = Resynchronise(body.data(), body.size());

    size_t pos = 0;
    if ((head[5] & 0x40) && version >= 3 && body.size() >= 4) {
        // Extended header: version 3 counts the bytes after its size field, version 4 all.
        pos = version == 3 ? 4 + BigEndian(body.data(), 4) : SyncSafe(body.data());
    }
    Id3v2Walk(body, version, unsynchronised).Run(pos, fields);
}

void AddId3v1(const char* name, const uint8_t* data, size_t size, bool text,
              std::vector<TagFields::Field>& fields) {
    if (text)
        while (size > 0 && (data[size - 1] == 0 || data[size - 1] == ' '))
            --size;
    TagFields::Field field;
    field.type = FSOUND_TAGFIELD_ID3V1;
    field.name = name;
    field.value.assign(data, data + size);
    fields.push_back(std::move(field));
}

void LoadId3v1(std::ifstream& in, std::vector<TagFields::Field>& fields) {
    in.clear();
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    Bytes tag;
    if (end < 128 || !ReadAt(in, end - 128, 128, tag) || std::memcmp(tag.data(), "TAG", 3) != 0)
        return;
    const uint8_t* t = tag.data();
    AddId3v1("TITLE", t + 3, 30, true, fields);
    AddId3v1("ARTIST", t + 33, 30, true, fields);
    AddId3v1("ALBUM", t + 63, 30, true, fields);
    AddId3v1("YEAR", t + 93, 4, true, fields);
    // Version 1.1: a zero byte before the last comment byte makes that byte the track.
    const bool hasTrack = t[125] == 0 && t[126] != 0;
    AddId3v1("COMMENT", t + 97, hasTrack ? 28 : 30, true, fields);
    if (hasTrack)
        AddId3v1("TRACK", t + 126, 1, false, fields);
    AddId3v1("GENRE", t + 127, 1, false, fields);
}

// The comment header packet: "\x03vorbis", vendor string, count, then "NAME=value" entries,
// each after its 32-bit little-endian length.
void LoadVorbisComments(const TagLib::ByteVector& packet, std::vector<TagFields::Field>& fields) {
    const auto* p = reinterpret_cast<const uint8_t*>(packet.data());
    const size_t size = packet.size();
    if (size < 7 + 4 || p[0] != 3 || std::memcmp(p + 1, "vorbis", 6) != 0)
        return;
    size_t pos = 7;
    const uint32_t vendor = LittleEndian32(p + pos);
    if (vendor > size - pos - 4)
        return;
    pos += 4 + vendor;
    if (size - pos < 4)
        return;
    uint32_t count = LittleEndian32(p + pos);
    pos += 4;
    while (count-- > 0 && size - pos >= 4) {
        const uint32_t length = LittleEndian32(p + pos);
        pos += 4;
        if (length > size - pos)
            break;
        const uint8_t* entry = p + pos;
        pos += length;
        const auto* equals = static_cast<const uint8_t*>(std::memchr(entry, '=', length));
        if (!equals || equals == entry)
            continue;
        TagFields::Field field;
        field.type = FSOUND_TAGFIELD_VORBISCOMMENT;
        field.name.assign(reinterpret_cast<const char*>(entry), equals - entry);
        field.value.assign(equals + 1, entry + length);
        fields.push_back(std::move(field));
    }
}

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

} // namespace

void TagFields::Load(const std::string& path) {
    m_fields.clear();
    // TagLib and the stream below open by path: a FIFO or a device would block them.
    if (!RegularFile::Check(path))
        return;
    std::ifstream in(path, std::ios::binary);
    char magic[4] = {};
    if (!in || !in.read(magic, 4))
        return;

    if (std::memcmp(magic, "OggS", 4) == 0) {
        TagLib::Ogg::Vorbis::File file(path.c_str(), false);
        if (file.isValid())
            LoadVorbisComments(file.packet(1), m_fields);
        return;
    }

    TagLib::MPEG::File file(path.c_str(), false);
    if (!file.isValid())
        return;
    if (file.hasID3v2Tag())
        LoadId3v2(in, *file.ID3v2Tag()->header(), m_fields);
    if (file.hasID3v1Tag())
        LoadId3v1(in, m_fields);
}

const TagFields::Field* TagFields::Find(int type, const std::string& name) const {
    for (const Field& field : m_fields) {
        if (field.type == FSOUND_TAGFIELD_VORBISCOMMENT) {
            if ((type == FSOUND_TAGFIELD_VORBISCOMMENT || type == FSOUND_TAGFIELD_ID3V2) &&
                SameNameIgnoringCase(field.name, name))
                return &field;
        } else if (field.type == type && field.name == name) {
            return &field;
        }
    }
    return nullptr;
}
