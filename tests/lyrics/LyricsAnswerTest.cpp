#include "lyrics/LyricsAnswer.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A service answer around the given lyric text (UTF-8, line breaks escaped as the service does).
std::string Answer(const std::string& lyric) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope><soap:Body>"
           "<GetLyric5Response><GetLyric5Result><strInfoID>1</strInfoID>"
           "<strLyric>" +
           lyric +
           "</strLyric><strTitle>Title</strTitle><strArtist>Artist</strArtist>"
           "<strAlbum>Album</strAlbum></GetLyric5Result></GetLyric5Response>"
           "</soap:Body></soap:Envelope>";
}

std::u16string Lines(const std::string& lyric, bool second, bool third) {
    LyricsAnswer answer;
    if (!answer.Parse(Answer(lyric)))
        return u"(no lyrics)";
    return answer.LrcLines(second, third);
}

const std::string kGroup = "[00:12.34]first&lt;br&gt;[00:12.34]second&lt;br&gt;[00:12.34]third";

} // namespace

TEST(LyricsAnswerTest, TextsComeFromTheirTagsAndKeepEscapes) {
    LyricsAnswer answer;
    ASSERT_TRUE(answer.Parse("<strTitle>Caf\xC3\xA9 &amp; \xED\x95\x9C</strTitle>"
                             "<strArtist></strArtist><strLyric>[00:01.00]x</strLyric>"
                             "<strAlbum>A<strAlbum>B</strAlbum></strAlbum>"));
    EXPECT_EQ(answer.Title(), u"Café &amp; 한");
    EXPECT_EQ(answer.Artist(), u"");
    EXPECT_EQ(answer.Album(), u"A<strAlbum>B");
    EXPECT_EQ(answer.Lyrics(), u"[00:01.00]x");

    // Missing tags, an unclosed tag and an empty lyric text.
    EXPECT_FALSE(answer.Parse("<strTitle>T</strTitle>"));
    EXPECT_EQ(answer.Title(), u"T");
    EXPECT_FALSE(answer.Parse("<strLyric>[00:01.00]x"));
    EXPECT_FALSE(answer.Parse(Answer("")));
    EXPECT_FALSE(answer.Parse(""));
}

TEST(LyricsAnswerTest, GroupsOfOneTimeJoinByTheOptions) {
    EXPECT_EQ(Lines(kGroup, true, true), u"[00:12.34]first / second / third\r\n");
    EXPECT_EQ(Lines(kGroup, false, true), u"[00:12.34]first / third\r\n");
    EXPECT_EQ(Lines(kGroup, true, false), u"[00:12.34]first / second\r\n");
    EXPECT_EQ(Lines(kGroup, false, false), u"[00:12.34]first\r\n");

    // A group holds three lines at most; a fourth of the same time starts the next group.
    EXPECT_EQ(Lines(kGroup + "&lt;br&gt;[00:12.34]fourth", true, true),
              u"[00:12.34]first / second / third\r\n[00:12.34]fourth\r\n");
    // Lines at 00:00.00 belong to any group; other times start their own.
    EXPECT_EQ(Lines("[00:05.00]a&lt;br&gt;[00:00.00]b&lt;br&gt;[00:06.00]c", true, true),
              u"[00:05.00]a / b\r\n[00:06.00]c\r\n");
}

TEST(LyricsAnswerTest, ZeroTimeGroupsJoinTheLineBefore) {
    // The group at 00:02.00 is full, so "credits" starts a group at 00:00.00 of its own.
    EXPECT_EQ(Lines("[00:01.00]one&lt;br&gt;[00:02.00]two&lt;br&gt;[00:02.00]zwei&lt;br&gt;"
                    "[00:02.00]drei&lt;br&gt;[00:00.00]credits",
                    false, false),
              u"[00:01.00]one\r\n[00:02.00]two / credits\r\n");
    // A zero-time line right after a group belongs to it; a full group leaves the next zero
    // lines a group of their own, which goes by the same options.
    EXPECT_EQ(Lines("[00:04.00]x&lt;br&gt;[00:04.00]y&lt;br&gt;[00:04.00]z&lt;br&gt;"
                    "[00:00.00]a&lt;br&gt;[00:00.00]b&lt;br&gt;[00:00.00]c",
                    true, false),
              u"[00:04.00]x / y / a / b\r\n");
    // At the start there is no line to join: the zero time stays.
    EXPECT_EQ(Lines("[00:00.00]Song&lt;br&gt;[00:03.00]la", true, true),
              u"[00:00.00]Song\r\n[00:03.00]la\r\n");
}

TEST(LyricsAnswerTest, EmptyTextsEndGroupsAndOddLinesAreSkipped) {
    // An empty second line ends the group; the third line then starts a group of its own.
    EXPECT_EQ(Lines("[00:01.00]a&lt;br&gt;[00:01.00]&lt;br&gt;[00:01.00]c", true, true),
              u"[00:01.00]a\r\n[00:01.00]c\r\n");
    // An empty first line adds nothing.
    EXPECT_EQ(Lines("[00:01.00]&lt;br&gt;[00:02.00]b", true, true), u"[00:02.00]b\r\n");
    // Lines without a time, a time without "]" and carriage returns before line feeds.
    EXPECT_EQ(
        Lines("plain&lt;br&gt;[00:01.00 open&lt;br&gt;[00:02.00]b\r\n[00:03.00]c\r\n", true, true),
        u"[00:02.00]b\r\n[00:03.00]c\r\n");
    EXPECT_EQ(Lines("no times at all", true, true), u"");
}
