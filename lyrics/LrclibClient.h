#pragma once

#include "lyrics/LyricsService.h"

#include <string>

// What LRCLIB is asked about: a track's texts (UTF-8) and its length in whole seconds.
struct LrclibTrack {
    std::string title;
    std::string artist;
    std::string album;
    int durationS = 0;
};

// What LRCLIB answered for a track. The lyrics keep the service's own line ends.
struct LrclibLyrics {
    std::u16string title;
    std::u16string artist;
    std::u16string album;
    std::string synced; // "[mm:ss.xx] text" lines; empty when the service has none
    std::string plain;  // untimed lines; empty when the service has none
};

// The LRCLIB lyrics service (GET /api/get by title, artist, album and length, answered in JSON),
// over libcurl. The base address comes from the "LrclibServer" setting.
class LrclibClient {
public:
    // `baseUrl` is "http://host[:port]" or "https://host[:port]", without a trailing path.
    explicit LrclibClient(std::string baseUrl, LyricsServiceLimits limits = LyricsServiceLimits());

    // The User-Agent the service asks clients to send: the program, its version, its home page.
    static std::string UserAgent();

    // The address asked for `track`.
    std::string GetUrl(const LrclibTrack& track) const;

    // Asks for the track's lyrics. True when the service answered 200 with a record that holds
    // synced or plain lyrics; false when it does not know the track (404), on any failure
    // (connection, time-out, status, size) and for an answer that is not such a record.
    bool Get(const LrclibTrack& track, LrclibLyrics& lyrics) const;

    // Reads a record of the service; false when `json` is not an object or has no lyrics.
    static bool Parse(const std::string& json, LrclibLyrics& lyrics);

    // The timed lines of synced lyrics as LRC lines, each "[mm:ss.xx]text\r\n" (the blank
    // between time and text dropped); lines without a time are left out.
    static std::u16string LrcLines(const std::string& synced);
    // Plain lyrics as lines, each followed by "\r\n"; the blank lines at both ends dropped.
    static std::u16string TextLines(const std::string& plain);

    // The title, artist, album and length of an audio file from its tags and headers (MP3 with
    // ID3 tags, Ogg Vorbis with comments, WAV); false when the file can't be read or has no
    // title and artist to ask about.
    static bool ReadTrack(const std::u16string& path, LrclibTrack& track);

private:
    bool Fetch(const std::string& url, std::string& body, long& status) const;

    std::string m_base;
    LyricsServiceLimits m_limits;
};
