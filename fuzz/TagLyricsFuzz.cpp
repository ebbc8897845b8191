// Runs the input through the three tag-field lyrics parsers: SYLT frames, synclyric comments and
// lyrics blocks. Reads past the field are caught by the address sanitizer; the records must stay
// consistent.
#include "lyrics/LyricsData.h"
#include "lyrics/TagLyrics.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

void Check(const LyricsData& lyrics, const std::u16string& text) {
    if (lyrics.times.size() != lyrics.textByTime.size() ||
        lyrics.times.size() != lyrics.lineByTime.size())
        __builtin_trap();
    if (!lyrics.times.empty() && text.empty())
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 1 << 20)
        return 0;
    // A copy of exactly the input's size, so that any read past the field is an overflow.
    const std::vector<std::uint8_t> field(data, data + size);
    const int length = static_cast<int>(size);
    const std::uint8_t* bytes = field.empty() ? nullptr : field.data();
    {
        LyricsData lyrics;
        Check(lyrics, TagLyrics::ParseSylt(bytes, length, lyrics));
    }
    {
        LyricsData lyrics;
        Check(lyrics, TagLyrics::ParseSynclyric(bytes, length, lyrics));
    }
    {
        LyricsData lyrics;
        Check(lyrics, TagLyrics::ParseBlock(bytes, length, lyrics));
    }
    return 0;
}
