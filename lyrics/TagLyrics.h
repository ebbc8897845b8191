#pragma once

#include <cstdint>
#include <functional>
#include <string>

class LyricsData;

// Timed lyrics stored in the tag fields of an audio file: the ID3v2 SYLT frame, the
// JETAUDIO_SYNCLYRIC comment of Ogg files and the lyrics blocks stored as WSLT, USLT, WLDB or LDB.
// Every parser adds its lines to LyricsData through AddLyricLine and returns the text of all
// lines, each followed by "\r\n". Reads stay within the field's bytes.
class TagLyrics {
public:
    // Looks up a field of the open stream by name and lends its bytes; false when there is none.
    using TagFieldFinder = std::function<bool(const char* name, const uint8_t*& data, int& length)>;

    // The lyrics of field `name`, parsed by the parser that name selects. Empty when there is no
    // finder or name, when the field is missing, or when the name selects no parser.
    static std::u16string Read(const TagFieldFinder& finder, const char* name, LyricsData& data);

    // The SYLT and synclyric fields, picked by name; any other name gives "".
    static std::u16string SyncedLyrics(const char* name, const uint8_t* field, int length,
                                       LyricsData& data);
    // The lyrics block of WSLT, USLT, WLDB and LDB fields.
    static std::u16string BlockLyrics(const uint8_t* field, int length, LyricsData& data);

    // The three parsers.
    static std::u16string ParseSylt(const uint8_t* field, int length, LyricsData& data);
    static std::u16string ParseSynclyric(const uint8_t* field, int length, LyricsData& data);
    static std::u16string ParseBlock(const uint8_t* field, int length, LyricsData& data);

    // SYLT and synclyric texts are cut to this many bytes.
    static constexpr int kMaxLineBytes = 511;
};
