#include "engine/tags/Id3Tag.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

using namespace std::string_literals;

namespace {

std::u16string Text(const char16_t* field) {
    return field;
}

// Title, artist, album, comment, genre, year and track, between bars.
std::u16string Summary(const TagInfo& tag) {
    const std::string numbers = "|" + std::to_string(tag.year) + "|" + std::to_string(tag.track);
    return Text(tag.title) + u"|" + tag.artist + u"|" + tag.album + u"|" + tag.comment + u"|" +
           tag.genre + std::u16string(numbers.begin(), numbers.end());
}

std::u16string Fixture(const std::string& name) {
    return std::filesystem::path(SONVALE_FIXTURES "/" + name).u16string();
}

std::string Be(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i)
        out.push_back(char(value >> (8 * i)));
    return out;
}

std::string Utf16Be(std::u16string_view text) {
    std::string bytes;
    for (const char16_t unit : text) {
        bytes.push_back(char(unit >> 8));
        bytes.push_back(char(unit & 0xFF));
    }
    return bytes;
}

// A 2.3/2.4 frame (flags zero) and a 2.2 frame.
std::string Frame(const std::string& id, const std::string& data) {
    return id + Be(uint32_t(data.size()), 4) + "\0\0"s + data;
}
std::string Frame22(const std::string& id, const std::string& data) {
    return id + Be(uint32_t(data.size()), 3) + data;
}

std::string Synchsafe(size_t size) {
    return {char(size >> 21 & 0x7F), char(size >> 14 & 0x7F), char(size >> 7 & 0x7F),
            char(size & 0x7F)};
}

// A tag of version `major` around `frames`; the size field says `size` when given.
std::string Tag(int major, const std::string& frames, size_t size = std::string::npos) {
    return "ID3"s + char(major) + "\0\0"s +
           Synchsafe(size == std::string::npos ? frames.size() : size) + frames;
}

bool ReadV2(const std::string& bytes, TagInfo& tag) {
    return Id3Tag::ReadV2(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), tag);
}

// The title after reading one TIT2 frame with `data` over a title "before".
std::u16string TitleFrom(const std::string& data) {
    TagInfo tag;
    tag.title[0] = u'-';
    EXPECT_TRUE(ReadV2(Tag(3, Frame("TIT2", data)), tag));
    return Text(tag.title);
}

// A 128-byte ID3v1 block.
std::string V1(const std::string& title, const std::string& comment, uint8_t genre,
               const std::string& year = "1998") {
    std::string block = "TAG" + std::string(125, '\0');
    block.replace(3, title.size(), title);
    block.replace(33, 6, "Artist");
    block.replace(63, 5, "Album");
    block.replace(93, year.size(), year);
    block.replace(97, comment.size(), comment);
    block[127] = char(genre);
    return block;
}

} // namespace

TEST(Id3Tag, FixturesReadAsWritten) {
    const std::pair<const char*, std::u16string> cases[] = {
        {"tag-id3v23.mp3", u"Fixture Title|Fixture Artist|Fixture Album||Rock|2004|3"},
        {"tag-id3v24-utf8.mp3", u"노래 제목|Beyoncé & Ørjan|Café del Mar 𝄞||Trance|2004|3"},
        {"tag-id3v24-utf16.mp3", u"한국어 제목|Sigur Rós|Ágætis byrjun||Rock|1999|7"},
        {"tag-id3v1.mp3",
         u"Version One Title|Version One Artist|Version One Album|A comment|Trance|1998|7"},
        // Only the ID3v2 values, nothing from the ID3v1 tag behind the audio.
        {"tag-both.mp3", u"New Title|New Artist||||2010|0"},
        // lame's tag: UTF-16 with a byte-order mark, a comment frame (not read), no genre.
        {"mpeg1-l3-id3v2.mp3", u"Fixture Title|Fixture Artist|Fixture Album|||2004|7"},
    };
    for (const auto& [file, expected] : cases) {
        TagInfo tag;
        EXPECT_TRUE(Id3Tag::ReadFile(Fixture(file), tag)) << file;
        EXPECT_EQ(Summary(tag), expected) << file;
    }

    TagInfo none;
    EXPECT_FALSE(Id3Tag::ReadFile(Fixture("mpeg1-l3-cbr-plain.mp3"), none));
    EXPECT_FALSE(Id3Tag::ReadFile(Fixture("no-such-file.mp3"), none));
    EXPECT_FALSE(Id3Tag::ReadFile(Fixture(""), none)); // the folder
    EXPECT_EQ(Summary(none), u"|||||0|0");
}

TEST(Id3Tag, TextEncodings) {
    EXPECT_EQ(TitleFrom("\0Plain"s), u"Plain");
    EXPECT_EQ(TitleFrom("\0Caf\xc3\xa9\0second value"s), u"Café"); // valid UTF-8 stays UTF-8
    EXPECT_EQ(TitleFrom("\1\xff\xfe"s + Utf16Le(u"한국어")), u"한국어");
    EXPECT_EQ(TitleFrom("\1\xfe\xff"s + Utf16Be(u"한국어")), u"한국어");
    EXPECT_EQ(TitleFrom("\2"s + Utf16Be(u"Ágætis")), u"Ágætis");
    EXPECT_EQ(TitleFrom("\3\xeb\x85\xb8\xeb\x9e\x98"s), u"노래");
    EXPECT_EQ(TitleFrom("\1\xff\xfe"s + Utf16Le(u"ab") + "\0\0"s + Utf16Le(u"cd")), u"ab");
    EXPECT_EQ(TitleFrom("\1\xff\xfe"s + Utf16Le(u"ab") + "c"), u"ab"); // odd byte dropped

    // Not read: UTF-16 without a mark under encoding 1, unknown encodings.
    EXPECT_EQ(TitleFrom("\1"s + Utf16Le(u"text")), u"-");
    EXPECT_EQ(TitleFrom("\4text"s), u"-");
}

TEST(Id3Tag, TextsStopAt254Units) {
    const std::u16string limit(254, u'a');
    EXPECT_EQ(TitleFrom("\1\xff\xfe"s + Utf16Le(std::u16string(300, u'a'))), limit);
    EXPECT_EQ(TitleFrom("\3"s + std::string(300, 'a')), limit);
    EXPECT_EQ(TitleFrom("\0"s + std::string(300, 'a')), limit);
    // A surrogate pair across the limit is dropped whole.
    EXPECT_EQ(TitleFrom("\3"s + std::string(253, 'a') + "\xf0\x9d\x84\x9e"),
              std::u16string(253, u'a'));
}

TEST(Id3Tag, GenreTrackAndYear) {
    const auto genre = [](const std::string& text) {
        TagInfo tag;
        EXPECT_TRUE(ReadV2(Tag(4, Frame("TCON", "\0"s + text)), tag));
        return Text(tag.genre);
    };
    EXPECT_EQ(genre("(17)"), u"Rock");
    EXPECT_EQ(genre("(17)Rock"), u"Rock");
    EXPECT_EQ(genre("(0)"), u"Blues");
    EXPECT_EQ(genre("Trance"), u"Trance");
    EXPECT_EQ(genre("(148)"), u"(148");
    EXPECT_EQ(genre("(255)"), u"(255");
    EXPECT_EQ(genre("(RX)"), u"(RX"); // no number: not genre 0
    EXPECT_EQ(genre("(17"), u"(17");

    TagInfo tag;
    EXPECT_TRUE(ReadV2(Tag(4, Frame("TRCK", "\0003/12"s) + Frame("TDRC", "\0002004-05-01"s)), tag));
    EXPECT_EQ(tag.track, 3);
    EXPECT_EQ(tag.year, 2004);

    // Later frames overwrite earlier ones.
    EXPECT_TRUE(ReadV2(Tag(3, Frame("TYER", "\0001987"s) + Frame("TIT2", "\0A"s) +
                                  Frame("TIT2", "\0B"s) + Frame("TRCK", "\0x"s)),
                       tag));
    EXPECT_EQ(tag.year, 1987);
    EXPECT_EQ(tag.track, 0);
    EXPECT_EQ(Text(tag.title), u"B");
}

// Taggers that write only a release time (TDRL) or an original release date still give a year;
// the recording time wins wherever it stands.
TEST(Id3Tag, YearFromReleaseFrames) {
    TagInfo tag;
    EXPECT_TRUE(ReadV2(Tag(4, Frame("TIT2", "\0A"s) + Frame("TDRL", "\0002011-03-04"s)), tag));
    EXPECT_EQ(tag.year, 2011);

    TagInfo original;
    EXPECT_TRUE(ReadV2(Tag(4, Frame("TDOR", "\0001971"s) + Frame("TDRL", "\0002011"s)), original));
    EXPECT_EQ(original.year, 2011);
    TagInfo older;
    EXPECT_TRUE(ReadV2(Tag(3, Frame("TORY", "\0001971"s)), older));
    EXPECT_EQ(older.year, 1971);

    TagInfo recorded;
    EXPECT_TRUE(ReadV2(Tag(4, Frame("TDRC", "\0002004"s) + Frame("TDRL", "\0002011"s) +
                                  Frame("TDOR", "\0001971"s)),
                       recorded));
    EXPECT_EQ(recorded.year, 2004);
}

TEST(Id3Tag, Version22Frames) {
    const std::string frames = Frame22("TT2", "\0Title"s) + Frame22("TP1", "\0Artist"s) +
                               Frame22("TAL", "\1\xff\xfe"s + Utf16Le(u"Album")) +
                               Frame22("TCO", "\0(31)"s) + Frame22("TRK", "\0009/10"s) +
                               Frame22("TYE", "\0001995"s) + Frame22("TIT2", "\0x"s);
    for (int major : {0, 2}) {
        TagInfo tag;
        ASSERT_TRUE(ReadV2(Tag(major, frames), tag));
        EXPECT_EQ(Summary(tag), u"Title|Artist|Album||Trance|1995|9");
    }
}

TEST(Id3Tag, HeaderAndBounds) {
    TagInfo tag;
    EXPECT_FALSE(ReadV2("ID3\3\0\0\0\0\0"s, tag)); // 9 bytes
    EXPECT_FALSE(ReadV2(Tag(5, Frame("TIT2", "\0x"s)), tag));
    EXPECT_FALSE(ReadV2("ID4\3\0\0\0\0\0\0"s, tag));
    EXPECT_FALSE(Id3Tag::ReadV2(nullptr, 100, tag));
    EXPECT_TRUE(ReadV2(Tag(4, ""), tag)); // a header alone is a tag
    EXPECT_TRUE(ReadV2(Tag(3, std::string(100, '\0')), tag));

    // A frame larger than what is left stops the walk; earlier frames stay.
    TagInfo cut;
    EXPECT_TRUE(
        ReadV2(Tag(3, Frame("TIT2", "\0Kept"s) + "TPE1" + Be(1000, 4) + "\0\0\0Lost"s), cut));
    EXPECT_EQ(Text(cut.title), u"Kept");
    EXPECT_EQ(Text(cut.artist), u"");

    // The tag size bounds the frames, and so does the buffer when it is shorter.
    const std::string first = Frame("TIT2", "\0One"s);
    const std::string two = first + Frame("TPE1", "\0Two"s);
    TagInfo bounded;
    EXPECT_TRUE(ReadV2(Tag(3, two, first.size()), bounded));
    EXPECT_EQ(Text(bounded.title), u"One");
    EXPECT_EQ(Text(bounded.artist), u"");
    const std::string whole = Tag(3, two, 5000);
    TagInfo shortBuffer;
    EXPECT_TRUE(ReadV2(whole.substr(0, whole.size() - 1), shortBuffer));
    EXPECT_EQ(Text(shortBuffer.title), u"One");
    EXPECT_EQ(Text(shortBuffer.artist), u"");

    // A size of zero ends the frames (padding); the top bit of a 2.3 size is ignored.
    TagInfo padded;
    EXPECT_TRUE(ReadV2(Tag(3, std::string(10, '\0') + Frame("TIT2", "\0No"s)), padded));
    EXPECT_EQ(Text(padded.title), u"");
    TagInfo flagged;
    EXPECT_TRUE(ReadV2(Tag(4, "TIT2" + Be(0x80000004, 4) + "\0\0\0Yes"s), flagged));
    EXPECT_EQ(Text(flagged.title), u"Yes");
}

TEST(Id3Tag, Version1) {
    const auto read = [](const std::string& block) {
        TagInfo tag;
        const std::string bytes = "audio" + block;
        EXPECT_TRUE(
            Id3Tag::ReadV1(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), tag));
        return tag;
    };
    // Trailing blanks go; byte 125 zero makes byte 126 the track.
    std::string block = V1("Title   ", std::string(28, ' '), 147);
    block[126] = 7;
    TagInfo tag = read(block);
    EXPECT_EQ(Text(tag.title), u"Title");
    EXPECT_EQ(Text(tag.artist), u"Artist");
    EXPECT_EQ(Text(tag.album), u"Album");
    EXPECT_EQ(Text(tag.comment), u"");
    EXPECT_EQ(Text(tag.genre), u"Synthpop");
    EXPECT_EQ(tag.year, 1998);
    EXPECT_EQ(tag.track, 7);

    // A full 30-byte comment (ID3v1.0): no track; an unknown genre clears the genre.
    TagInfo full = read(V1("T", std::string(29, 'c') + "d", 148, "19x9"));
    EXPECT_EQ(Text(full.comment), std::u16string(29, u'c') + u"d");
    EXPECT_EQ(full.track, 0);
    EXPECT_EQ(Text(full.genre), u"");
    EXPECT_EQ(full.year, 19);

    TagInfo none;
    const std::string noTag = std::string(128, 'x');
    EXPECT_FALSE(Id3Tag::ReadV1(reinterpret_cast<const uint8_t*>(noTag.data()), 128, none));
    EXPECT_FALSE(Id3Tag::ReadV1(reinterpret_cast<const uint8_t*>(block.data()), 127, none));
}

TEST(Id3Tag, Files) {
    TempFolder folder;
    const std::string v2 = Tag(3, Frame("TIT2", "\0Two"s));
    std::string v1 = V1("One", "", 0);

    // A tag cut short by the end of the file fails; an ID3v1 tag behind it is read instead.
    TagInfo cut;
    folder.Write("cut", Tag(3, v2.substr(10), 200));
    EXPECT_FALSE(Id3Tag::ReadFile(folder.File16("cut"), cut));
    EXPECT_EQ(Text(cut.title), u"");
    TagInfo fallback;
    folder.Write("fallback", Tag(3, std::string(50, '\0'), 5000) + v1);
    EXPECT_TRUE(Id3Tag::ReadFile(folder.File16("fallback"), fallback));
    EXPECT_EQ(Text(fallback.title), u"One");

    // Reads leave the descriptor's position alone.
    folder.Write("both", v2 + std::string(300, 'x') + v1);
    const int fd = ::open(folder.File("both").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::lseek(fd, 77, SEEK_SET), 77);
    TagInfo two, one;
    EXPECT_TRUE(Id3Tag::ReadV2File(fd, two));
    EXPECT_TRUE(Id3Tag::ReadV1File(fd, one));
    EXPECT_EQ(::lseek(fd, 0, SEEK_CUR), 77);
    ::close(fd);
    EXPECT_EQ(Text(two.title), u"Two");
    EXPECT_EQ(Text(one.title), u"One");

    TagInfo tiny;
    folder.Write("tiny", "ID3");
    EXPECT_FALSE(Id3Tag::ReadFile(folder.File16("tiny"), tiny));
}
