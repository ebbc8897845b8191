#pragma once

#include "playlist/FileInfo.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// A playlist entry as the list keeps it. The texts live in one heap block of UTF-16 units, the
// path first, each stored text after its length; a text that is empty takes no room, and the
// name, the extension and the title take none either when they are what the path gives (the
// name without folder and extension, as is or in lower case; the lower-case extension) or, for
// the title, when it equals the name. FileInfo stays the value handed around; Info() gives the
// same FileInfo that went in (but for the in-memory showArtist, which the list never keeps).
class PlaylistEntry {
public:
    PlaylistEntry() = default;
    explicit PlaylistEntry(const FileInfo& info);
    PlaylistEntry(const PlaylistEntry& other);
    PlaylistEntry& operator=(const PlaylistEntry& other);
    PlaylistEntry(PlaylistEntry&&) noexcept = default;
    PlaylistEntry& operator=(PlaylistEntry&&) noexcept = default;

    FileInfo Info() const;
    // Every entry's Info(), in order.
    static std::vector<FileInfo> Infos(const std::vector<PlaylistEntry>& entries);
    std::u16string_view Path() const { return Text(kPath); }
    // The extension with its dot, as the entry holds it (Info().ext without the rest).
    std::u16string Extension() const;
    int32_t Favorite() const { return m_favorite; }
    void SetFavorite(int32_t favorite) { m_favorite = favorite; }
    bool Missing() const { return m_missing; }
    void SetMissing(bool missing) { m_missing = missing; }
    // The bytes the entry's texts take on the heap (without the allocator's own share).
    size_t BlockBytes() const;

private:
    enum Field { kPath, kName, kExt, kPlayTime, kTitle, kArtist, kAlbum, kReserved, kFields };
    enum Derived : uint8_t {
        kNameStem = 1,      // the file name without folder and extension
        kNameLowerStem = 2, // the same in lower case
        kNameIsPath = 4,    // a stream's address
        kExtOfPath = 8,     // the lower-case extension of the path
        kTitleIsName = 16,
    };
    std::u16string_view Text(int field) const;
    size_t BlockUnits() const;

    std::unique_ptr<char16_t[]> m_block;
    int32_t m_favorite = 1;
    uint8_t m_stored = 0;  // a bit per Field held in the block
    uint8_t m_derived = 0; // Derived bits
    bool m_missing = false;
};
