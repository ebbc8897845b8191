#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The lyrics of the current track: every line that was read, and the timed lines by time key.
// A time key is a time in the track in half seconds (milliseconds / 500, truncated); all maps and
// lists use keys, never milliseconds. Emptied and rebuilt whenever a track is opened.
class LyricsData {
public:
    // What the display shows for a play position.
    struct Lookup {
        int key = -1;          // time key of the line shown, -1 when none
        std::u16string first;  // the line of that key
        std::u16string second; // the line of the next key, for the two-line display
        // With word times: how many characters of `first` have been sung (up to the end of the
        // word being sung); -1 when the line has no word times.
        int sung = -1;
        bool operator==(const Lookup&) const = default;
    };
    // A word of an enhanced lyrics line: when it is sung (ms) and where it starts in the line.
    struct WordTime {
        int64_t ms = 0;
        size_t offset = 0;
    };

    static constexpr int kMsPerKey = 500;

    // Every lyric line that was read, each followed by "\r\n", in source order (lines that share
    // a time included). Non-empty means that the track has lyrics.
    std::u16string lyrics;
    // Line number (from 0) of each time key, in order of first appearance in the source.
    std::map<int, uint32_t> lineByTime;
    // The text shown at each time key.
    std::map<int, std::u16string> textByTime;
    // Every time key once; ascending after SortLyrics().
    std::vector<int> times;
    // The line number the next new key gets.
    uint32_t nextLineNumber = 0;
    // The word times of the lines that have them, by time key.
    std::map<int, std::vector<WordTime>> wordsByTime;

    // Empties the text, both maps and the list of keys.
    void LyricsReset();

    // Adds a timed line, with its word times when it has them. The first line for a key wins: a
    // key already in times changes nothing.
    void AddLyricLine(int key, const std::u16string& text, const std::vector<WordTime>& words = {});

    // Sorts times ascending. Line numbers are kept as they were given.
    void SortLyrics();

    // The line to show at `positionMs`, moved by `sync` half seconds. Each line shows half a
    // second ahead of its key. Needs times sorted.
    Lookup LyricAt(int64_t positionMs, int sync) const;

    bool HasLyrics() const { return !lyrics.empty(); }

    // The main screen's line feed: " / ", " /", "/ " and then "/" become a line break.
    static std::u16string BreakLines(std::u16string_view text);
};
