#pragma once

#include <string>
#include <string_view>

// The lyrics service's answer: the song's title, artist and album and its timed lyric lines,
// taken from the SOAP text without an XML parser. XML escapes in the texts stay as received.
class LyricsAnswer {
public:
    // Reads the answer bytes (UTF-8). False when the lyrics are missing or empty.
    bool Parse(std::string_view bytes);

    const std::u16string& Title() const { return m_title; }
    const std::u16string& Artist() const { return m_artist; }
    const std::u16string& Album() const { return m_album; }
    // The lyrics with every escaped line break turned into a line feed.
    const std::u16string& Lyrics() const { return m_lyrics; }

    // The LRC lines ("[mm:ss.xx]text\r\n") of the lyrics. Lines the service sends with one time
    // form a group of up to three (a translation, a reading); the second and third lines are
    // appended to the first after " / " when their option is on. A group at 00:00.00 after other
    // lines joins the line before it.
    std::u16string LrcLines(bool appendSecondLine, bool appendThirdLine) const;

    // The characters between the first `open` tag and the first `close` tag after it; empty
    // when there is no `open` tag.
    static std::u16string Between(std::u16string_view text, std::u16string_view open,
                                  std::u16string_view close);

private:
    std::u16string m_title, m_artist, m_album, m_lyrics;
};
