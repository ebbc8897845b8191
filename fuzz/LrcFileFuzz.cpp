// Reads the input as an LRC file (8-bit, or UTF-16 with a byte-order mark) into a lyrics record.
// Every timed line must be in the text, and the lookup must stay consistent with the keys.
#include "lyrics/LrcFile.h"
#include "lyrics/LyricsData.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // fmemopen() refuses an empty buffer.
    if (size == 0)
        return 0;
    std::FILE* file = ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr)
        return 0;
    LyricsData lyrics;
    LrcFile::EntryText entry;
    const std::u16string text = LrcFile::LoadLrc(file, lyrics, entry);
    std::fclose(file);

    if (lyrics.times.size() != lyrics.textByTime.size() ||
        lyrics.times.size() != lyrics.lineByTime.size())
        __builtin_trap();
    for (const auto& [key, line] : lyrics.textByTime) {
        if (key < 0 || line.empty() || text.find(line) == std::u16string::npos)
            __builtin_trap();
    }
    lyrics.SortLyrics();
    for (size_t i = 1; i < lyrics.times.size(); ++i)
        if (lyrics.times[i - 1] >= lyrics.times[i])
            __builtin_trap();
    if (!lyrics.times.empty()) {
        const int last = lyrics.times.back();
        const LyricsData::Lookup at = lyrics.LyricAt(int64_t(last) * 500, 0);
        if (at.key != last || !at.second.empty())
            __builtin_trap();
    }
    return 0;
}
