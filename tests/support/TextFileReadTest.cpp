#include "support/TextFileRead.h"

#include "platform/TextCodec.h"
#include "tests/TempFolder.h"
#include "tests/UnwrittenFifo.h"

#include <chrono>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>

namespace {

using Lines = std::vector<std::u16string>;

class TextFileReadTest : public ::testing::Test {
protected:
    // Every line of a file holding `bytes`.
    Lines ReadAll(const std::string& bytes, unsigned codePage = 0) {
        folder.Write("text.txt", bytes);
        TextFileRead reader(folder.File16("text.txt"));
        reader.SetCodePage(codePage);
        encoding = reader.GetEncoding();
        Lines lines;
        std::u16string line;
        while (reader.ReadLine(line))
            lines.push_back(line);
        EXPECT_TRUE(reader.Eof());
        return lines;
    }

    TempFolder folder;
    TextFileBase::Encoding encoding = TextFileBase::Ansi;
};

std::string Utf16Be(std::u16string_view text) {
    std::string bytes = Utf16Le(text);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

TEST_F(TextFileReadTest, LineTerminators) {
    EXPECT_EQ(ReadAll("a\r\nb\nc\rd"), (Lines{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(ReadAll("a\r\n"), (Lines{u"a", u""}));
    EXPECT_EQ(ReadAll("a\n\rb\r\r\n"), (Lines{u"a", u"", u"b", u"", u""}));
}

TEST_F(TextFileReadTest, Encodings) {
    EXPECT_EQ(ReadAll("\xFF\xFE" + Utf16Le(std::u16string(u"a\r\n가\0b", 6)), 949),
              (Lines{u"a", std::u16string(u"가\0b", 3)}));
    EXPECT_EQ(encoding, TextFileBase::Utf16Le);
    // Half a character at the end is dropped.
    EXPECT_EQ(ReadAll("\xFE\xFF" + Utf16Be(u"가\nb") + "c"), (Lines{u"가", u"b"}));
    EXPECT_EQ(encoding, TextFileBase::Utf16Be);
    // A four-byte sequence gives U+FFFD for its lead and for each continuation byte.
    EXPECT_EQ(ReadAll("\xEF\xBB\xBF\xC3\xA9\xEA\xB0\x80\xF0\x9F\x8E\xB5!\n"),
              (Lines{u"é가\uFFFD\uFFFD\uFFFD\uFFFD!", u""}));
    EXPECT_EQ(encoding, TextFileBase::Utf8);
    // Without a mark no byte is lost, however short the file.
    EXPECT_EQ(ReadAll("\xEF\xBBx", 1252), (Lines{u"ï»x"}));
    EXPECT_EQ(encoding, TextFileBase::Ansi);
    EXPECT_EQ(ReadAll("a"), (Lines{u"a"}));
    EXPECT_EQ(ReadAll("\xB0\xA1\r\n", 949), (Lines{u"가", u""}));
}

TEST_F(TextFileReadTest, OwnershipOfTheFile) {
    // A lent file is left open, and needn't be seekable.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "xy\nz", 4), 4);
    ::close(fds[1]);
    std::FILE* lent = ::fdopen(fds[0], "rb");
    {
        TextFileRead reader(lent);
        std::u16string line;
        ASSERT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(line, u"xy");
        reader.Close();
        EXPECT_TRUE(reader.Eof());
        EXPECT_FALSE(reader.ReadLine(line));
        EXPECT_EQ(line, u"xy");
    }
    EXPECT_EQ(std::fclose(lent), 0);

    TextFileRead none(static_cast<std::FILE*>(nullptr));
    TextFileRead missing(folder.File16("missing.txt"));
    std::u16string line;
    EXPECT_TRUE(none.Eof());
    EXPECT_FALSE(none.ReadLine(line));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_FALSE(missing.ReadLine(line));
}

TEST_F(TextFileReadTest, FifosLongLinesAndHugeFilesAreBounded) {
    UnwrittenFifo fifo(folder / "fifo.txt");
    ASSERT_TRUE(fifo.Made());
    const auto start = std::chrono::steady_clock::now();
    TextFileRead fromFifo(TextCodec::Utf8ToUtf16(fifo.Path()));
    EXPECT_FALSE(fromFifo.IsOpen());
    EXPECT_LT(std::chrono::steady_clock::now() - start, fifo.Patience());

    // A long line is cut, and the next one is read whole; 8-bit text alike.
    for (const std::string& bytes : {"\xFF\xFE" + Utf16Le(std::u16string(5000, u'a') + u"\r\nb"),
                                     std::string(5000, 'a') + "\r\nb"}) {
        folder.Write("long.txt", bytes);
        TextFileRead reader(folder.File16("long.txt"));
        reader.SetMaxLineLength(100);
        std::u16string line;
        EXPECT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(std::u16string(100, u'a'), line);
        EXPECT_TRUE(reader.ReadLine(line));
        EXPECT_EQ(u"b", line);
    }

    // Of a 5 MiB file only the first 4 MiB are read.
    constexpr size_t kLine = 16, kRead = 4 << 20;
    std::string big;
    while (big.size() < (5u << 20))
        big += "fifteen letters\n";
    const Lines lines = ReadAll(big);
    EXPECT_EQ(kRead / kLine + 1, lines.size()); // the last line break yields an empty line
}

// Random lines of every length around the 1,024-byte buffer, with every terminator, in every
// encoding: multi-byte characters land on buffer boundaries, 8-bit lines run past 1,023 bytes.
TEST_F(TextFileReadTest, GeneratedTextsInEveryEncoding) {
    std::mt19937 random(77);
    const std::u16string pool = std::u16string(u"ab \t\u00E9\u0800\uAC00\uFFFD\0", 9);
    const char16_t* terminators[] = {u"\r\n", u"\n", u"\r"};
    for (int round = 0; round < 40; ++round) {
        Lines lines;
        std::u16string text;
        for (int i = 1 + random() % 8; i > 0; --i) {
            std::u16string line(random() % 2500, u'a');
            for (char16_t& c : line)
                c = pool[random() % pool.size()];
            lines.push_back(line);
            text += line;
            if (i > 1 || random() % 2 == 0)
                text += terminators[random() % 3];
        }
        if (text.empty() || text.back() == u'\r' || text.back() == u'\n')
            lines.push_back(u"");

        EXPECT_EQ(ReadAll("\xFF\xFE" + Utf16Le(text)), lines);
        EXPECT_EQ(ReadAll("\xFE\xFF" + Utf16Be(text)), lines);
        EXPECT_EQ(ReadAll("\xEF\xBB\xBF" + TextCodec::Utf16ToUtf8(text)), lines);
        EXPECT_EQ(ReadAll(TextCodec::Utf16ToUtf8(text), 65001), lines);
    }
}

} // namespace
