#pragma once

#include "lyrics/LyricsData.h"

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Lyrics files beside a track: F/N.lrc (timed lines, 8-bit or UTF-16) and F/N.txt (plain text).
// Only regular files are read, and of them only the first kMaxFileBytes.
class LrcFile {
public:
    // The entry fields an LRC file may set with its [ti:], [ar:] and [al:] tags. The caller fills
    // them with the current entry's values; a tag with a value replaces them.
    struct EntryText {
        std::u16string title;
        std::u16string artist;
        std::u16string album;
    };

    // The path of the track with its extension replaced by `extension` (".lrc", ".txt"); a name
    // without an extension gets it appended.
    static std::u16string SidePath(const std::u16string& trackPath, std::u16string_view extension);

    // Parses the LRC file beside the track into `data` through AddLyricLine and returns the text of
    // its timed lines, each followed by "\r\n". A file that can't be opened gives "".
    static std::u16string LoadLrcFile(const std::u16string& trackPath, LyricsData& data,
                                      EntryText& entry);
    // The same over an open, seekable file, which stays open.
    static std::u16string LoadLrc(std::FILE* file, LyricsData& data, EntryText& entry);

    // Reads the plain-text lyrics beside the track: every line followed by "\r\n", no times.
    static std::u16string LoadTextFile(const std::u16string& trackPath);
    static std::u16string LoadText(std::FILE* file);

    // One LRC line: a [tag:value] line or a timed line. Returns true when it added a lyric line.
    // `offsetMs` is the running [offset:] value.
    static bool ParseLine(std::u16string_view line, int& offsetMs, LyricsData& data,
                          EntryText& entry, std::u16string& result);
    // A timed line's text without the word times of enhanced LRC (<mm:ss.xx> before words); with
    // `words`, each time and where its word starts in the text returned.
    static std::u16string WithoutWordTimes(std::u16string_view text,
                                           std::vector<LyricsData::WordTime>* words = nullptr);

    // 8-bit lines are read through a buffer of this size; a longer line comes out in pieces.
    static constexpr int kLineBuffer = 2048;
    // UTF-16 lines are cut to this many characters.
    static constexpr size_t kMaxLineLength = 1024;
    static constexpr long long kMaxFileBytes = 4 << 20;
};
