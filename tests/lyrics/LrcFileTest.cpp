#include "lyrics/LrcFile.h"

#include "lyrics/LyricsData.h"
#include "platform/TextCodec.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

namespace {

struct Parsed {
    LyricsData data;
    LrcFile::EntryText entry;
    std::u16string text;
};

// Parses `lines` as the lines of one LRC file.
Parsed ParseLines(std::initializer_list<std::u16string_view> lines) {
    Parsed p;
    int offset = 0;
    for (std::u16string_view line : lines)
        LrcFile::ParseLine(line, offset, p.data, p.entry, p.text);
    return p;
}

// The one key of a one-line file, or -1 when the line was dropped.
int KeyOf(std::u16string_view line, std::u16string* text = nullptr) {
    Parsed p = ParseLines({line});
    if (p.data.times.size() != 1)
        return -1;
    if (text)
        *text = p.data.textByTime.at(p.data.times[0]);
    return p.data.times[0];
}

} // namespace

TEST(LrcFile, TimeTagsAndFractions) {
    std::u16string text;
    EXPECT_EQ(125, KeyOf(u"[01:02.50]Hello", &text)); // two digits are hundredths: 62.5 s
    EXPECT_EQ(u"Hello", text);
    EXPECT_EQ(125, KeyOf(u"[01:02.500]Hello", &text));
    EXPECT_EQ(u"Hello", text);
    EXPECT_EQ(124, KeyOf(u"[01:02]Hello", &text));
    EXPECT_EQ(u"Hello", text);
    EXPECT_EQ(0, KeyOf(u"[00:00.00]Start"));
    EXPECT_EQ(99 * 120 + 99 * 2 + 1, KeyOf(u"[99:99.999]End"));
}

// Enhanced LRC, as lyrics found on the web often are: the word times don't show.
TEST(LrcFile, WordTimesOfEnhancedLinesAreNotShown) {
    std::u16string text;
    EXPECT_EQ(24, KeyOf(u"[00:12.00]<00:12.00>Hello <00:12.50>big <00:13.10>world", &text));
    EXPECT_EQ(u"Hello big world", text);
    EXPECT_EQ(24, KeyOf(u"[00:12.00] <00:12.00> Hi <00:12.500> there <00:13.00>", &text));
    EXPECT_EQ(u" Hi there", text);
    EXPECT_EQ(24, KeyOf(u"[00:12.00]a <b> 1<2 <x:1>", &text)); // not times: kept
    EXPECT_EQ(u"a <b> 1<2 <x:1>", text);
    EXPECT_EQ(-1, KeyOf(u"[00:12.00]<00:12.00>")); // nothing but times: no line
}

// The words of an enhanced line light as they are sung, moved by the sync like the lines; a
// plain line has no words to light.
TEST(LrcFile, TheWordsOfAnEnhancedLineLightAsTheyAreSung) {
    const Parsed p = ParseLines(
        {u"[00:12.00]<00:12.00>Hello <00:12.50>big <00:13.10>world", u"[00:20.00]Plain line"});
    const LyricsData& data = p.data;
    EXPECT_EQ(data.LyricAt(11600, 0).first, u"Hello big world");
    EXPECT_EQ(data.LyricAt(11600, 0).sung, 0);
    EXPECT_EQ(data.LyricAt(12000, 0).sung, 6); // "Hello "
    EXPECT_EQ(data.LyricAt(12600, 0).sung, 10);
    EXPECT_EQ(data.LyricAt(13200, 0).sung, 15);
    EXPECT_EQ(data.LyricAt(11600, 1).sung, 6); // half a second faster
    EXPECT_EQ(data.LyricAt(20000, 0).sung, -1);
}

TEST(LrcFile, MalformedTimeTagsAreDropped) {
    EXPECT_EQ(-1, KeyOf(u"[01:02]99"));      // a fraction and no text
    EXPECT_EQ(-1, KeyOf(u"[1:02.50]Hello")); // one-digit minutes
    EXPECT_EQ(-1, KeyOf(u"[01:02.50]"));
    EXPECT_EQ(-1, KeyOf(u"[01:02.50"));
    EXPECT_EQ(-1, KeyOf(u"[01"));
    EXPECT_EQ(-1, KeyOf(u"["));
    EXPECT_EQ(-1, KeyOf(u"[a1:02.50]Hello"));
    EXPECT_EQ(-1, KeyOf(u" [01:02.50]Hello"));
    EXPECT_EQ(-1, KeyOf(u"Hello"));
    EXPECT_EQ(-1, KeyOf(u""));
}

TEST(LrcFile, OnlyTheFirstTimeTagOfALineIsRead) {
    std::u16string text;
    EXPECT_EQ(2, KeyOf(u"[00:01.00][00:05.00]Both", &text));
    EXPECT_EQ(u"[00:05.00]Both", text);
}

TEST(LrcFile, OffsetMovesOnlyLaterLinesAndNeverBelowZero) {
    Parsed p =
        ParseLines({u"[00:10.00]before", u"[offset:1000]", u"[00:20.00]after", u"[00:00.00]zero",
                    u"[offset:-5000]", u"[00:03.00]early", u"[00:30.00]late"});
    EXPECT_EQ(u"before", p.data.textByTime.at(20));
    EXPECT_EQ(u"after", p.data.textByTime.at(42));
    EXPECT_EQ(u"zero", p.data.textByTime.at(0));
    EXPECT_EQ(u"early", p.data.textByTime.at(6));
    EXPECT_EQ(u"late", p.data.textByTime.at(50));
    EXPECT_EQ(u"before\r\nafter\r\nzero\r\nearly\r\nlate\r\n", p.text);
}

TEST(LrcFile, EntryTagsReplaceOnlyWithAValue) {
    Parsed p;
    p.entry = {u"Old title", u"Old artist", u"Old album"};
    int offset = 0;
    for (std::u16string_view line : {u"[TI:New: title]", u"[ar:]", u"[al:Album]", u"[by:Someone]",
                                     u"[ve:1.0]", u"[xx:whatever]"})
        EXPECT_FALSE(LrcFile::ParseLine(line, offset, p.data, p.entry, p.text));
    EXPECT_EQ(u"New: title", p.entry.title);
    EXPECT_EQ(u"Old artist", p.entry.artist);
    EXPECT_EQ(u"Album", p.entry.album);
    EXPECT_TRUE(p.text.empty());
    EXPECT_TRUE(p.data.times.empty());
}

TEST(LrcFile, SameTimeKeepsFirstTextButBothInTheText) {
    Parsed p = ParseLines({u"[00:05.00]first", u"[00:05.20]second"});
    EXPECT_EQ(u"first", p.data.textByTime.at(10));
    EXPECT_EQ(u"first\r\nsecond\r\n", p.text);
}

TEST(LrcFile, AnsiFileReadsEveryLineAndUtf16StopsAtAnEmptyLine) {
    TempFolder folder;
    const std::u16string lrc = u"[ti:T\u00e9]\r\n[00:01.00]one\r\n\r\n[00:02.00]two\r\n";
    // 8-bit text in UTF-8, with CR LF line ends.
    folder.Write("ansi.lrc", TextCodec::Utf16ToUtf8(lrc));
    folder.Write("wide.lrc", "\xFF\xFE" + Utf16Le(lrc));

    LyricsData data;
    LrcFile::EntryText entry;
    EXPECT_EQ(u"one\r\ntwo\r\n", LrcFile::LoadLrcFile(folder.File16("ansi.mp3"), data, entry));
    EXPECT_EQ(u"T\u00e9", entry.title);
    EXPECT_EQ(2u, data.times.size());

    LyricsData wide;
    LrcFile::EntryText wideEntry;
    EXPECT_EQ(u"one\r\n", LrcFile::LoadLrcFile(folder.File16("wide.ogg"), wide, wideEntry));
    EXPECT_EQ(u"T\u00e9", wideEntry.title);
    EXPECT_EQ((std::vector<int>{2}), wide.times);

    // Big-endian UTF-16 too.
    std::string big = "\xFE\xFF";
    for (char16_t c : std::u16string(u"[00:03.00]three\n")) {
        big.push_back(static_cast<char>(c >> 8));
        big.push_back(static_cast<char>(c & 0xFF));
    }
    folder.Write("big.lrc", big);
    LyricsData bigData;
    EXPECT_EQ(u"three\r\n", LrcFile::LoadLrcFile(folder.File16("big.wma"), bigData, entry));
}

TEST(LrcFile, MissingFilesGiveNothingAndTextFilesKeepEveryLine) {
    TempFolder folder;
    LyricsData data;
    LrcFile::EntryText entry;
    EXPECT_TRUE(LrcFile::LoadLrcFile(folder.File16("none.mp3"), data, entry).empty());
    EXPECT_TRUE(LrcFile::LoadTextFile(folder.File16("none.mp3")).empty());
    folder.Write("song.txt", "first\r\n\r\n[00:01.00]not a time\nlast");
    EXPECT_EQ(u"first\r\n\r\n[00:01.00]not a time\r\nlast\r\n",
              LrcFile::LoadTextFile(folder.File16("song.mp3")));
}

TEST(LrcFile, LongAnsiLinesComeInPieces) {
    TempFolder folder;
    const std::string longText(3000, 'x');
    folder.Write("long.lrc", "[00:01.00]" + longText + "\n[00:02.00]after\n");
    LyricsData data;
    LrcFile::EntryText entry;
    const std::u16string text = LrcFile::LoadLrcFile(folder.File16("long.mp3"), data, entry);
    // The first read holds the time and 2037 characters; the rest is a line without a tag.
    EXPECT_EQ(std::u16string(LrcFile::kLineBuffer - 1 - 10, u'x'), data.textByTime.at(2));
    EXPECT_EQ(u"after", data.textByTime.at(4));
}

TEST(LrcFile, LongUtf16LinesAreCut) {
    TempFolder folder;
    const std::u16string longText(1'000'000, u'\uAC00');
    folder.Write("long.lrc",
                 "\xFF\xFE" + Utf16Le(u"[00:01.00]" + longText + u"\r\n[00:02.00]after\r\n"));
    LyricsData data;
    LrcFile::EntryText entry;
    const std::u16string text = LrcFile::LoadLrcFile(folder.File16("long.mp3"), data, entry);
    // The cut comes after the time tag's 10 characters.
    EXPECT_EQ(std::u16string(LrcFile::kMaxLineLength - 10, u'\uAC00'), data.textByTime.at(2));
    EXPECT_EQ(u"after", data.textByTime.at(4));
    EXPECT_EQ(LrcFile::kMaxLineLength - 10 + 2 + 5 + 2, text.size());
}
