#include "engine/tags/Id3Tag.h"

#include "engine/tags/GenreTable.h"
#include "engine/tags/TagText.h"
#include "platform/RegularFile.h"
#include "platform/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// A frame text holds at most this many units (the field keeps one more for the terminator).
constexpr size_t kFrameTextUnits = kTagTextLength - 1;
constexpr size_t kV1TextBytes = 30;

// The year frames, in the order they are trusted: the recording time (or year) first, then the
// release time, then the original release time (or year).
enum class Field { Title, Artist, Album, Genre, Track, Date, Year, ReleaseDate, OriginalDate };

struct FrameName {
    const char* id;
    Field field;
};

constexpr FrameName kV23Frames[] = {
    {"TIT2", Field::Title},        {"TPE1", Field::Artist},      {"TALB", Field::Album},
    {"TCON", Field::Genre},        {"TRCK", Field::Track},       {"TDRC", Field::Date},
    {"TYER", Field::Year},         {"TDRL", Field::ReleaseDate}, {"TDOR", Field::OriginalDate},
    {"TORY", Field::OriginalDate},
};

constexpr FrameName kV22Frames[] = {
    {"TT2", Field::Title},        {"TP1", Field::Artist}, {"TAL", Field::Album},
    {"TCO", Field::Genre},        {"TRK", Field::Track},  {"TYE", Field::Year},
    {"TOR", Field::OriginalDate},
};

class FileHandle {
public:
    explicit FileHandle(int fd) : m_fd(fd) {}
    ~FileHandle() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// Reads exactly `bytes` at `offset`; false on an error or at the end of the file.
bool ReadAt(int fd, int64_t offset, uint8_t* buffer, size_t bytes) {
    while (bytes > 0) {
        const ssize_t got = ::pread(fd, buffer, bytes, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        buffer += got;
        bytes -= static_cast<size_t>(got);
        offset += got;
    }
    return true;
}

// Checks an ID3v2 tag header; `major` is the version byte, `size` the synchsafe tag size.
bool ParseHeader(const uint8_t* bytes, size_t length, int& major, size_t& size) {
    if (length < Id3Tag::kHeaderBytes || std::memcmp(bytes, "ID3", 3) != 0 || bytes[3] > 4)
        return false;
    major = bytes[3];
    size = (size_t{bytes[6] & 0x7Fu} << 21) | (size_t{bytes[7] & 0x7Fu} << 14) |
           (size_t{bytes[8] & 0x7Fu} << 7) | size_t{bytes[9] & 0x7Fu};
    return true;
}

std::string_view UpToNul(const uint8_t* bytes, size_t length) {
    const auto* text = reinterpret_cast<const char*>(bytes);
    const void* nul = std::memchr(text, 0, length);
    return {text, nul ? static_cast<size_t>(static_cast<const char*>(nul) - text) : length};
}

std::u16string Utf16(const uint8_t* bytes, size_t length, bool bigEndian) {
    std::u16string text;
    for (size_t i = 0; i + 1 < length && text.size() < kFrameTextUnits; i += 2) {
        const char16_t unit = bigEndian ? char16_t(bytes[i] << 8 | bytes[i + 1])
                                        : char16_t(bytes[i + 1] << 8 | bytes[i]);
        if (unit == 0)
            break;
        text.push_back(unit);
    }
    return text;
}

// The text of a text frame: its first byte names the encoding. False for encodings that are
// not read (including UTF-16 without a byte-order mark).
bool FrameText(const uint8_t* data, size_t size, std::u16string& text) {
    if (size == 0)
        return false;
    const uint8_t encoding = data[0];
    const uint8_t* bytes = data + 1;
    const size_t length = size - 1;
    if (encoding == 0)
        text = TextCodec::MultiByteToWide(UpToNul(bytes, length), TextCodec::kAnsi);
    else if (length >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
        text = Utf16(bytes + 2, length - 2, false);
    else if (length >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF)
        text = Utf16(bytes + 2, length - 2, true);
    else if (encoding == 2)
        text = Utf16(bytes, length, true);
    else if (encoding == 3)
        text = TextCodec::Utf8ToUtf16(UpToNul(bytes, length));
    else
        return false;
    text = TagText::Limit(text, kFrameTextUnits);
    return true;
}

// "(17)" and "(17)Rock" name genre 17; any other text in parentheses keeps what stands before
// the ")" ("(148)" gives "(148"); a text without them stays as it is.
std::u16string_view GenreText(std::u16string_view text) {
    if (text.empty() || text[0] != u'(')
        return text;
    const size_t close = text.find(u')');
    if (close == std::u16string_view::npos)
        return text;
    text = text.substr(0, close);
    int32_t index = 0;
    if (TagText::ParseDecimal(text.substr(1), index)) {
        if (const char16_t* name = GenreTable::Name(index))
            return name;
    }
    return text;
}

// How much a year frame is trusted: lower wins.
int YearRank(Field field) {
    switch (field) {
    case Field::Date:
    case Field::Year:
        return 0;
    case Field::ReleaseDate:
        return 1;
    default:
        return 2;
    }
}

// `yearRank` is the rank of the frame the year came from so far (3 = none yet).
void StoreFrame(Field field, std::u16string_view text, TagInfo& tag, int& yearRank) {
    switch (field) {
    case Field::Title:
        TagText::Store(tag.title, kTagTextLength, text);
        break;
    case Field::Artist:
        TagText::Store(tag.artist, kTagTextLength, text);
        break;
    case Field::Album:
        TagText::Store(tag.album, kTagTextLength, text);
        break;
    case Field::Genre:
        TagText::Store(tag.genre, kTagTextLength, GenreText(text));
        break;
    case Field::Track:
        tag.track = TagText::Decimal(text.substr(0, text.find(u'/')));
        break;
    case Field::Date:
    case Field::Year:
    case Field::ReleaseDate:
    case Field::OriginalDate: {
        // Timestamps start with the year; the year frames hold it alone.
        const int rank = YearRank(field);
        if (rank > yearRank)
            break;
        tag.year = TagText::Decimal(field == Field::Year ? text : text.substr(0, 4));
        yearRank = rank;
        break;
    }
    }
}

template <size_t N>
const FrameName* FindFrame(const FrameName (&names)[N], const uint8_t* id, size_t idBytes) {
    for (const FrameName& name : names) {
        if (std::memcmp(name.id, id, idBytes) == 0)
            return &name;
    }
    return nullptr;
}

// Walks the frames of a tag body. 2.2 frames: 3-byte id, 3-byte size. 2.3/2.4 frames: 4-byte
// id, 4-byte size (read as a plain number, top bit ignored), 2 flag bytes.
void ReadFrames(const uint8_t* body, size_t length, bool v22, TagInfo& tag) {
    const size_t idBytes = v22 ? 3 : 4;
    const size_t headBytes = v22 ? 6 : 10;
    size_t pos = 0;
    int yearRank = 3;
    while (length - pos > headBytes) {
        const uint8_t* frame = body + pos;
        size_t size = 0;
        if (v22)
            size = size_t{frame[3]} << 16 | size_t{frame[4]} << 8 | frame[5];
        else
            size = size_t{frame[4] & 0x7Fu} << 24 | size_t{frame[5]} << 16 | size_t{frame[6]} << 8 |
                   frame[7];
        if (size == 0 || size > length - pos - headBytes)
            break;
        const FrameName* name =
            v22 ? FindFrame(kV22Frames, frame, idBytes) : FindFrame(kV23Frames, frame, idBytes);
        std::u16string text;
        if (name != nullptr && FrameText(frame + headBytes, size, text))
            StoreFrame(name->field, text, tag, yearRank);
        pos += headBytes + size;
    }
}

// An ID3v1 text: up to the first zero byte, trailing blanks removed.
void StoreV1Text(char16_t* field, const uint8_t* bytes, size_t length) {
    std::string_view text = UpToNul(bytes, length);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    TagText::Store(field, kTagTextLength, TextCodec::MultiByteToWide(text, TextCodec::kAnsi));
}

} // namespace

bool Id3Tag::ReadV2(const uint8_t* bytes, size_t length, TagInfo& tag) {
    int major = 0;
    size_t size = 0;
    if (bytes == nullptr || !ParseHeader(bytes, length, major, size))
        return false;
    const size_t body = std::min(size, length - kHeaderBytes);
    ReadFrames(bytes + kHeaderBytes, body, major <= 2, tag);
    return true;
}

bool Id3Tag::ReadV1(const uint8_t* bytes, size_t length, TagInfo& tag) {
    if (bytes == nullptr || length < kV1Bytes)
        return false;
    const uint8_t* block = bytes + length - kV1Bytes;
    if (std::memcmp(block, "TAG", 3) != 0)
        return false;
    StoreV1Text(tag.title, block + 3, kV1TextBytes);
    StoreV1Text(tag.artist, block + 33, kV1TextBytes);
    StoreV1Text(tag.album, block + 63, kV1TextBytes);
    tag.year = TagText::Decimal(TextCodec::MultiByteToWide(UpToNul(block + 93, 4)));
    if (block[125] == 0) {
        StoreV1Text(tag.comment, block + 97, 28);
        tag.track = block[126];
    } else {
        StoreV1Text(tag.comment, block + 97, kV1TextBytes);
    }
    if (const char16_t* genre = GenreTable::Name(block[127]))
        TagText::Store(tag.genre, kTagTextLength, genre);
    else
        TagText::Store(tag.genre, kTagTextLength, u"");
    return true;
}

bool Id3Tag::ReadV2File(int fd, TagInfo& tag) {
    uint8_t header[kHeaderBytes];
    int major = 0;
    size_t size = 0;
    if (fd < 0 || !ReadAt(fd, 0, header, sizeof header) ||
        !ParseHeader(header, sizeof header, major, size))
        return false;
    // A regular file too short for the tag fails before any memory is taken for it.
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        static_cast<uint64_t>(info.st_size) < kHeaderBytes + size)
        return false;
    std::vector<uint8_t> bytes(kHeaderBytes + size);
    std::memcpy(bytes.data(), header, sizeof header);
    if (!ReadAt(fd, kHeaderBytes, bytes.data() + kHeaderBytes, size))
        return false;
    return ReadV2(bytes.data(), bytes.size(), tag);
}

bool Id3Tag::ReadV1File(int fd, TagInfo& tag) {
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0 || info.st_size < static_cast<off_t>(kV1Bytes))
        return false;
    uint8_t block[kV1Bytes];
    return ReadAt(fd, info.st_size - static_cast<off_t>(kV1Bytes), block, sizeof block) &&
           ReadV1(block, sizeof block, tag);
}

bool Id3Tag::ReadFile(const std::u16string& path, TagInfo& tag) {
    const FileHandle file(RegularFile::Open(path));
    if (file.Get() < 0)
        return false;
    return ReadV2File(file.Get(), tag) || ReadV1File(file.Get(), tag);
}
