#include "playlist/PlaylistEntry.h"

#include "playlist/EntryTags.h"

#include <algorithm>
#include <array>

namespace {

// A text's length before it: one unit below 0x8000, else two with the top bit set in the first.
size_t LengthUnits(size_t length) {
    return length < 0x8000 ? 1 : 2;
}

char16_t* PutLength(char16_t* out, size_t length) {
    if (length < 0x8000) {
        *out++ = static_cast<char16_t>(length);
    } else {
        *out++ = static_cast<char16_t>(0x8000 | (length >> 16));
        *out++ = static_cast<char16_t>(length & 0xFFFF);
    }
    return out;
}

const char16_t* GetLength(const char16_t* in, size_t& length) {
    if (*in < 0x8000) {
        length = *in;
        return in + 1;
    }
    length = (static_cast<size_t>(*in & 0x7FFF) << 16) | in[1];
    return in + 2;
}

} // namespace

PlaylistEntry::PlaylistEntry(const FileInfo& info)
    : m_favorite(info.favorite), m_missing(info.missing) {
    const std::u16string stem = EntryTags::Stem(info.path);
    if (info.name == stem)
        m_derived |= kNameStem;
    else if (!info.path.empty() && info.name == info.path)
        m_derived |= kNameIsPath;
    else if (info.name == EntryTags::Lower(stem))
        m_derived |= kNameLowerStem;
    if (info.ext == EntryTags::Extension(info.path))
        m_derived |= kExtOfPath;
    if (info.title == info.name)
        m_derived |= kTitleIsName;

    std::array<std::u16string_view, kFields> texts{info.path,     info.name,    info.ext,
                                                   info.playTime, info.title,   info.artist,
                                                   info.album,    info.reserved};
    if (m_derived & (kNameStem | kNameLowerStem | kNameIsPath))
        texts[kName] = {};
    if (m_derived & kExtOfPath)
        texts[kExt] = {};
    if (m_derived & kTitleIsName)
        texts[kTitle] = {};
    size_t units = 0;
    for (int field = 0; field < kFields; ++field)
        if (!texts[field].empty()) {
            m_stored |= static_cast<uint8_t>(1 << field);
            units += LengthUnits(texts[field].size()) + texts[field].size();
        }
    if (units == 0)
        return;
    m_block = std::make_unique_for_overwrite<char16_t[]>(units);
    char16_t* out = m_block.get();
    for (const std::u16string_view text : texts)
        if (!text.empty()) {
            out = PutLength(out, text.size());
            out = std::copy(text.begin(), text.end(), out);
        }
}

PlaylistEntry::PlaylistEntry(const PlaylistEntry& other)
    : m_favorite(other.m_favorite), m_stored(other.m_stored), m_derived(other.m_derived),
      m_missing(other.m_missing) {
    if (const size_t units = other.BlockUnits()) {
        m_block = std::make_unique_for_overwrite<char16_t[]>(units);
        std::copy(other.m_block.get(), other.m_block.get() + units, m_block.get());
    }
}

PlaylistEntry& PlaylistEntry::operator=(const PlaylistEntry& other) {
    if (this != &other)
        *this = PlaylistEntry(other);
    return *this;
}

std::u16string_view PlaylistEntry::Text(int field) const {
    if ((m_stored & (1 << field)) == 0)
        return {};
    const char16_t* in = m_block.get();
    for (int before = 0;; ++before) {
        if ((m_stored & (1 << before)) == 0)
            continue;
        size_t length = 0;
        in = GetLength(in, length);
        if (before == field)
            return {in, length};
        in += length;
    }
}

size_t PlaylistEntry::BlockUnits() const {
    if (!m_block)
        return 0;
    const char16_t* in = m_block.get();
    for (int field = 0; field < kFields; ++field)
        if (m_stored & (1 << field)) {
            size_t length = 0;
            in = GetLength(in, length);
            in += length;
        }
    return static_cast<size_t>(in - m_block.get());
}

size_t PlaylistEntry::BlockBytes() const {
    return BlockUnits() * sizeof(char16_t);
}

std::u16string PlaylistEntry::Extension() const {
    return m_derived & kExtOfPath ? EntryTags::Extension(Path()) : std::u16string(Text(kExt));
}

FileInfo PlaylistEntry::Info() const {
    FileInfo info;
    info.path = Text(kPath);
    if (m_derived & kNameStem)
        info.name = EntryTags::Stem(info.path);
    else if (m_derived & kNameLowerStem)
        info.name = EntryTags::Lower(EntryTags::Stem(info.path));
    else if (m_derived & kNameIsPath)
        info.name = info.path;
    else
        info.name = Text(kName);
    info.ext = Extension();
    info.playTime = Text(kPlayTime);
    info.title = m_derived & kTitleIsName ? info.name : Text(kTitle);
    info.artist = Text(kArtist);
    info.album = Text(kAlbum);
    info.reserved = Text(kReserved);
    info.favorite = m_favorite;
    info.missing = m_missing;
    return info;
}

std::vector<FileInfo> PlaylistEntry::Infos(const std::vector<PlaylistEntry>& entries) {
    std::vector<FileInfo> infos;
    infos.reserve(entries.size());
    for (const PlaylistEntry& entry : entries)
        infos.push_back(entry.Info());
    return infos;
}
