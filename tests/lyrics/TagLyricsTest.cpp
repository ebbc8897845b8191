#include "lyrics/TagLyrics.h"

#include "lyrics/LyricsData.h"
#include "runtime/TagFields.h"
#include "runtime/fsound.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes& out, std::string_view text) {
    out.insert(out.end(), text.begin(), text.end());
}

Bytes SyltLine(std::string_view text, uint32_t ms) {
    Bytes out;
    Append(out, text);
    out.push_back(0);
    for (int shift : {24, 16, 8, 0})
        out.push_back(static_cast<uint8_t>(ms >> shift));
    return out;
}

Bytes SyltFrame(std::initializer_list<Bytes> lines) {
    Bytes out = {0, 'e', 'n', 'g', 2, 1, 0};
    for (const Bytes& line : lines)
        out.insert(out.end(), line.begin(), line.end());
    return out;
}

// A lyrics block: the 80-byte "?SLT" layout or the 70-byte one, with base bytes that give `base`.
class Block {
public:
    Block(bool slt, int base) : m_base(base) {
        m_bytes.assign(slt ? 80 : 70, 0);
        if (slt) {
            m_bytes[1] = 'S';
            m_bytes[2] = 'L';
            m_bytes[3] = 'T';
        }
        // base = ((B0 & 0x1F) | (B1 & 0xE0)) + ((B2 & 0x1F) + (B1 & 7) * 32) * 2048
        const int low = base % 2048, high = base / 2048;
        uint8_t* b = m_bytes.data() + (slt ? 34 : 24);
        b[0] = static_cast<uint8_t>(low & 0x1F);
        b[1] = static_cast<uint8_t>((low & 0xE0) | (high / 32));
        b[2] = static_cast<uint8_t>(high % 32);
    }

    // A record of `type`; for type 8, at `hundredths` of a second.
    Block& Record(int type, int hundredths, std::string_view text, int lengthByte = -1) {
        const int value = hundredths + m_base;
        const int q = value / 128 + 20609;
        m_bytes.insert(m_bytes.end(),
                       {static_cast<uint8_t>(type), 0, static_cast<uint8_t>(q / 128),
                        static_cast<uint8_t>(value % 128), static_cast<uint8_t>(q % 128),
                        static_cast<uint8_t>(lengthByte >= 0 ? lengthByte : int(text.size()))});
        Append(m_bytes, text);
        return *this;
    }

    const Bytes& bytes() const { return m_bytes; }

private:
    int m_base;
    Bytes m_bytes;
};

std::u16string Sylt(const Bytes& b, LyricsData& data) {
    return TagLyrics::ParseSylt(b.data(), static_cast<int>(b.size()), data);
}
std::u16string Synclyric(std::string_view s, LyricsData& data) {
    return TagLyrics::ParseSynclyric(reinterpret_cast<const uint8_t*>(s.data()),
                                     static_cast<int>(s.size()), data);
}
std::u16string ParseBlock(const Bytes& b, LyricsData& data) {
    return TagLyrics::ParseBlock(b.data(), static_cast<int>(b.size()), data);
}

} // namespace

TEST(TagLyrics, SyltKeepsTheFirstTextOfATime) {
    LyricsData data;
    const Bytes frame =
        SyltFrame({SyltLine("One", 1000), SyltLine("Same time", 1000), SyltLine("Two", 2600)});
    EXPECT_EQ(u"One\r\nSame time\r\nTwo\r\n", Sylt(frame, data));
    EXPECT_EQ(u"One", data.textByTime.at(2));
    EXPECT_EQ(u"Two", data.textByTime.at(5));
    EXPECT_EQ((std::vector<int>{2, 5}), data.times);
}

TEST(TagLyrics, SyltStaysInsideTheField) {
    LyricsData data;
    EXPECT_TRUE(Sylt(Bytes{0, 'e', 'n', 'g', 2, 1, 0}, data).empty()); // header only
    // A text without its zero, a zero without four time bytes: nothing is read past the end.
    EXPECT_TRUE(Sylt(SyltFrame({Bytes{'a', 'b', 'c'}}), data).empty());
    Bytes cut = SyltFrame({SyltLine("Whole", 500), SyltLine("Cut", 1500)});
    cut.erase(cut.end() - 2, cut.end());
    EXPECT_EQ(u"Whole\r\n", Sylt(Bytes(cut.begin(), cut.end()), data));
    // A text longer than 511 bytes is cut there, and the time after its zero is still read.
    LyricsData longData;
    Sylt(SyltFrame({SyltLine(std::string(600, 'y'), 3000)}), longData);
    EXPECT_EQ(std::u16string(TagLyrics::kMaxLineBytes, u'y'), longData.textByTime.at(6));
    EXPECT_TRUE(TagLyrics::ParseSylt(nullptr, 100, data).empty());
}

TEST(TagLyrics, SynclyricLinesWithAndWithoutTags) {
    LyricsData data;
    EXPECT_EQ(u"One\r\nNo tag\r\nLater\r\nLast \u00e9\r\n",
              Synclyric("[00:01.000]One\nNo tag\n[00:02.000][01:00.500]Later\r\n"
                        "[00:03.250]Last \xC3\xA9",
                        data));
    EXPECT_EQ(u"One", data.textByTime.at(2));
    EXPECT_EQ(u"No tag", data.textByTime.at(0));
    EXPECT_EQ(u"Later", data.textByTime.at(121)); // the later of two tags counts
    EXPECT_EQ(u"Last \u00e9", data.textByTime.at(6));
}

TEST(TagLyrics, SynclyricTagCutByTheEndAndOverlongLines) {
    LyricsData data;
    EXPECT_TRUE(Synclyric("[00:0", data).empty());
    EXPECT_TRUE(Synclyric("", data).empty());
    LyricsData longData;
    Synclyric("[00:04.000]" + std::string(700, 'z') + "\n", longData);
    EXPECT_EQ(std::u16string(TagLyrics::kMaxLineBytes, u'z'), longData.textByTime.at(8));
}

TEST(TagLyrics, BlockWithTheShortHeaderReadsUtf8) {
    LyricsData data;
    const Block block = Block(false, 69669)
                            .Record(8, 500, "Caf\xC3\xA9  au")
                            .Record(7, 0, " lait")
                            .Record(3, 0, "")
                            .Record(8, 1250, "Two  words  here");
    EXPECT_EQ(u"Caf\u00e9  au lait\r\nTwo  words  here", ParseBlock(block.bytes(), data));
    EXPECT_EQ(u"Caf\u00e9 au lait", data.textByTime.at(10));
    EXPECT_EQ(u"Two words here", data.textByTime.at(25));
    EXPECT_EQ((std::vector<int>{10, 25}), data.times);
}

TEST(TagLyrics, BlockWithTheSltHeaderReadsAnsi) {
    LyricsData data;
    Block block(true, 200);
    block.Record(8, 100, "Plain").Record(8, 200, "").Record(8, 400, "Next");
    EXPECT_EQ(u"Plain\r\nNext", ParseBlock(block.bytes(), data));
    EXPECT_EQ(u"Plain", data.textByTime.at(2));
    EXPECT_EQ(u"Next", data.textByTime.at(8));
    // The same records under the short header are read 10 bytes early: a different result.
    Bytes shifted = block.bytes();
    shifted[1] = 'X';
    LyricsData other;
    EXPECT_NE(u"Plain\r\nNext", ParseBlock(shifted, other));
}

TEST(TagLyrics, BlockTextBeforeAnyTimedLineHasTimeZero) {
    LyricsData data;
    const Block block = Block(false, 0).Record(7, 0, "Untimed");
    EXPECT_EQ(u"Untimed", ParseBlock(block.bytes(), data));
    EXPECT_EQ(u"Untimed", data.textByTime.at(0));
}

TEST(TagLyrics, HostileBlocksStayInsideTheField) {
    LyricsData data;
    EXPECT_TRUE(ParseBlock(Bytes(70, 0), data).empty()); // not longer than 70 bytes
    // A length byte past the end takes only what is there.
    const Block past = Block(false, 0).Record(8, 100, "abc", 120);
    EXPECT_EQ(u"abc", ParseBlock(past.bytes(), data));
    // A negative length byte carries no text.
    LyricsData negative;
    const Block neg = Block(false, 0).Record(8, 100, "", 0x90).Record(7, 0, "", 0xFF);
    EXPECT_TRUE(ParseBlock(neg.bytes(), negative).empty());
    // An "SLT" block shorter than its header has no records.
    Bytes shortSlt(75, 0);
    shortSlt[1] = 'S', shortSlt[2] = 'L', shortSlt[3] = 'T';
    EXPECT_TRUE(ParseBlock(shortSlt, negative).empty());
    // A cut record is not read.
    Bytes cut = Block(false, 0).Record(8, 100, "ok").bytes();
    cut.insert(cut.end(), {8, 0, 161});
    LyricsData cutData;
    EXPECT_EQ(u"ok", ParseBlock(cut, cutData));
}

TEST(TagLyrics, ReadPicksTheParserByName) {
    const Bytes sylt = SyltFrame({SyltLine("Tagged", 1000)});
    const Bytes block = Block(false, 0).Record(8, 100, "Blocked").bytes();
    int calls = 0;
    TagLyrics::TagFieldFinder finder = [&](const char* name, const uint8_t*& data, int& length) {
        ++calls;
        const Bytes& field = std::string(name) == "SYLT" ? sylt : block;
        data = field.data();
        length = static_cast<int>(field.size());
        return std::string(name) != "MISSING";
    };
    LyricsData data;
    EXPECT_EQ(u"Tagged\r\n", TagLyrics::Read(finder, "SYLT", data));
    for (const char* name : {"WSLT", "USLT", "WLDB", "LDB"}) {
        LyricsData d;
        EXPECT_EQ(u"Blocked", TagLyrics::Read(finder, name, d)) << name;
    }
    EXPECT_TRUE(TagLyrics::Read(finder, "MISSING", data).empty());
    EXPECT_TRUE(TagLyrics::Read(finder, "TIT2", data).empty());
    EXPECT_TRUE(TagLyrics::Read(finder, nullptr, data).empty());
    EXPECT_TRUE(TagLyrics::Read(nullptr, "SYLT", data).empty());
    EXPECT_EQ(7, calls);
}

TEST(TagLyrics, RealSyltFramesOfBothId3Versions) {
    for (const char* file : {"tag-lyrics-id3v23.mp3", "tag-lyrics-id3v24.mp3"}) {
        TagFields tags;
        tags.Load(std::string(SONVALE_FIXTURES) + "/" + file);
        const TagFields::Field* sylt = tags.Find(FSOUND_TAGFIELD_ID3V2, "SYLT");
        ASSERT_TRUE(sylt) << file;
        LyricsData data;
        EXPECT_EQ(u"First line\r\nSecond line\r\nThird line\r\n",
                  TagLyrics::SyncedLyrics("SYLT", sylt->value.data(),
                                          static_cast<int>(sylt->value.size()), data))
            << file;
        EXPECT_EQ((std::vector<int>{2, 5, 8}), data.times) << file;
        EXPECT_EQ(u"Second line", data.textByTime.at(5)) << file;
        // The plain lyrics frame is far too short for a lyrics block.
        const TagFields::Field* uslt = tags.Find(FSOUND_TAGFIELD_ID3V2, "USLT");
        ASSERT_TRUE(uslt) << file;
        LyricsData plain;
        EXPECT_TRUE(
            TagLyrics::BlockLyrics(uslt->value.data(), static_cast<int>(uslt->value.size()), plain)
                .empty());
    }
}

TEST(TagLyrics, RealSynclyricComment) {
    TagFields tags;
    tags.Load(std::string(SONVALE_FIXTURES) + "/tag-synclyric.ogg");
    const TagFields::Field* field = tags.Find(FSOUND_TAGFIELD_ID3V2, "JETAUDIO_SYNCLYRIC");
    ASSERT_TRUE(field);
    LyricsData data;
    EXPECT_EQ(u"First line\r\nSecond line\r\n",
              TagLyrics::SyncedLyrics("JETAUDIO_SYNCLYRIC", field->value.data(),
                                      static_cast<int>(field->value.size()), data));
    EXPECT_EQ((std::vector<int>{2, 5}), data.times);
}
