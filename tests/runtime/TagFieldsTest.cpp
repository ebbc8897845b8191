#include "runtime/TagFields.h"
#include "runtime/fsound.h"
#include "tests/TempFolder.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<uint8_t>;

std::string Fixture(const std::string& name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

Bytes B(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes BigEndian32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

Bytes Utf16(std::u16string_view text, bool bigEndian) {
    Bytes bytes;
    for (const char16_t unit : text) {
        const uint8_t low = unit & 0xFF, high = unit >> 8;
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

TagFields Load(const std::string& path) {
    TagFields tags;
    tags.Load(path);
    return tags;
}

Bytes Value(const TagFields& tags, int type, const std::string& name) {
    const TagFields::Field* field = tags.Find(type, name);
    EXPECT_TRUE(field) << name;
    return field ? field->value : Bytes{};
}

constexpr int kV1 = FSOUND_TAGFIELD_ID3V1;
constexpr int kV2 = FSOUND_TAGFIELD_ID3V2;
constexpr int kVorbis = FSOUND_TAGFIELD_VORBISCOMMENT;

} // namespace

TEST(TagFields, Id3v2TextFramesAreTheStoredBytes) {
    // id3lib writes no terminator; mutagen ends every text with one.
    const TagFields v23 = Load(Fixture("tag-id3v23.mp3"));
    EXPECT_EQ(B(std::string("\0Fixture Title", 14)), Value(v23, kV2, "TIT2"));
    EXPECT_EQ(B(std::string("\0Fixture Artist", 15)), Value(v23, kV2, "TPE1"));
    EXPECT_EQ(B(std::string("\0Fixture Album", 14)), Value(v23, kV2, "TALB"));
    // Frames keep the identifier they were stored under.
    EXPECT_EQ(B(std::string("\0002004", 5)), Value(v23, kV2, "TYER"));
    EXPECT_FALSE(v23.Find(kV2, "TDRC"));
    EXPECT_FALSE(v23.Find(kV2, "tit2"));
    EXPECT_EQ(6u, v23.Fields().size());

    const TagFields utf8 = Load(Fixture("tag-id3v24-utf8.mp3"));
    EXPECT_EQ(Cat({{3}, B("노래 제목"), {0}}), Value(utf8, kV2, "TIT2"));
    EXPECT_EQ(Cat({{3}, B("Beyoncé & Ørjan"), {0}}), Value(utf8, kV2, "TPE1"));
    EXPECT_EQ(Cat({{3}, B("Café del Mar 𝄞"), {0}}), Value(utf8, kV2, "TALB"));

    const TagFields utf16 = Load(Fixture("tag-id3v24-utf16.mp3"));
    EXPECT_EQ(Cat({{1, 0xFF, 0xFE}, Utf16(u"한국어 제목", false), {0, 0}}),
              Value(utf16, kV2, "TIT2"));
    EXPECT_EQ(Cat({{2}, Utf16(u"Ágætis byrjun", true), {0, 0}}), Value(utf16, kV2, "TALB"));
}

TEST(TagFields, LyricsAndCommentFramesAreTheStoredBytes) {
    const Bytes sylt = Cat({{0},
                            B("eng"),
                            {2, 1, 0},
                            B("First line"),
                            {0},
                            BigEndian32(1000),
                            B("Second line"),
                            {0},
                            BigEndian32(2500),
                            B("Third line"),
                            {0},
                            BigEndian32(4000)});
    const Bytes uslt = Cat({{0}, B("eng"), {0}, B("Plain lyrics\nSecond plain line"), {0}});
    const Bytes comm = Cat({{0}, B("eng"), {0}, B("A lyrics comment"), {0}});
    for (const char* name : {"tag-lyrics-id3v23.mp3", "tag-lyrics-id3v24.mp3"}) {
        SCOPED_TRACE(name);
        const TagFields tags = Load(Fixture(name));
        EXPECT_EQ(sylt, Value(tags, kV2, "SYLT"));
        EXPECT_EQ(uslt, Value(tags, kV2, "USLT"));
        EXPECT_EQ(comm, Value(tags, kV2, "COMM"));
        EXPECT_EQ(Cat({{0}, B("Lyrics Fixture"), {0}}), Value(tags, kV2, "TIT2"));
        EXPECT_EQ(4u, tags.Fields().size());
    }
}

TEST(TagFields, Id3v1FieldsAndBothTagsTogether) {
    const TagFields v1 = Load(Fixture("tag-id3v1.mp3"));
    EXPECT_EQ(B("Version One Title"), Value(v1, kV1, "TITLE"));
    EXPECT_EQ(B("Version One Artist"), Value(v1, kV1, "ARTIST"));
    EXPECT_EQ(B("Version One Album"), Value(v1, kV1, "ALBUM"));
    EXPECT_EQ(B("1998"), Value(v1, kV1, "YEAR"));
    EXPECT_EQ(B("A comment"), Value(v1, kV1, "COMMENT"));
    EXPECT_EQ(Bytes{7}, Value(v1, kV1, "TRACK"));
    EXPECT_EQ(Bytes{31}, Value(v1, kV1, "GENRE"));
    EXPECT_FALSE(v1.Find(kV2, "TIT2"));
    EXPECT_FALSE(v1.Find(kV2, "TITLE"));

    const TagFields both = Load(Fixture("tag-both.mp3"));
    EXPECT_EQ(B(std::string("\0New Title", 10)), Value(both, kV2, "TIT2"));
    EXPECT_EQ(B("Old Title"), Value(both, kV1, "TITLE"));
    EXPECT_EQ(Bytes{1}, Value(both, kV1, "TRACK"));
    EXPECT_EQ(Bytes{0}, Value(both, kV1, "GENRE"));
}

TEST(TagFields, VorbisCommentsKeepTheirNamesAndAreFoundAsId3v2) {
    const TagFields tags = Load(Fixture("tag-vorbis.ogg"));
    ASSERT_EQ(7u, tags.Fields().size());
    EXPECT_EQ("title", tags.Fields()[0].name);
    EXPECT_EQ("Artist", tags.Fields()[1].name);
    EXPECT_EQ(kVorbis, tags.Fields()[1].type);
    EXPECT_EQ(B("Jürgen Ö"), Value(tags, kVorbis, "ARTIST"));
    EXPECT_EQ(B("앨범"), Value(tags, kV2, "album"));
    EXPECT_EQ(B("A title that runs on for quite a while, well past sixty-three characters"),
              Value(tags, kV2, "Title"));
    EXPECT_FALSE(tags.Find(kV1, "TITLE"));

    const TagFields lyrics = Load(Fixture("tag-synclyric.ogg"));
    EXPECT_EQ(B("[00:01.000]First line\n[00:02.500]Second line"),
              Value(lyrics, kV2, "JETAUDIO_SYNCLYRIC"));
    EXPECT_EQ(B("Lyrics block bytes"), Value(lyrics, kV2, "LDB"));
    EXPECT_FALSE(lyrics.Find(kV2, "WLDB"));
}

TEST(TagFields, UnsynchronisedFramesAreRestored) {
    // A hand-made tag in front of real audio: 0xFF 0xE0 inside a frame is stored as
    // 0xFF 0x00 0xE0, tag-wide in version 3 (frame sizes count the restored bytes there) and
    // per frame (flag 0x02) in version 4, where a data-length indicator (flag 0x01) adds four
    // bytes before the content.
    const std::string audio = ReadBytes(Fixture("mpeg1-l3-cbr-plain.mp3"));
    const Bytes stored = {0x00, 'a', 0xFF, 0x00, 0xE0, 'b', 0xFF, 0x00, 0x00};
    const Bytes restored = {0x00, 'a', 0xFF, 0xE0, 'b', 0xFF, 0x00};
    auto tag = [&](uint8_t version, uint8_t tagFlags, Bytes frameFlags, Bytes prefix) {
        const size_t size = prefix.size() + (version == 3 ? restored.size() : stored.size());
        Bytes frame = Cat({B("TXXX"), {0, 0, 0, uint8_t(size)}, frameFlags, prefix, stored});
        Bytes padding(8, 0);
        const Bytes body = Cat({frame, padding});
        const Bytes header = Cat({B("ID3"), {version, 0, tagFlags, 0, 0, 0, uint8_t(body.size())}});
        const Bytes all = Cat({header, body});
        return std::string(all.begin(), all.end()) + audio;
    };
    TempFolder folder;
    const TagFields v3 = Load(folder.Write("v3.mp3", tag(3, 0x80, {0, 0}, {})));
    EXPECT_EQ(restored, Value(v3, kV2, "TXXX"));
    const TagFields v4 = Load(folder.Write("v4.mp3", tag(4, 0, {0, 0x03}, {0, 0, 0, 7})));
    EXPECT_EQ(restored, Value(v4, kV2, "TXXX"));
    const TagFields plain = Load(folder.Write("plain.mp3", tag(4, 0, {0, 0}, {})));
    EXPECT_EQ(stored, Value(plain, kV2, "TXXX"));
}

TEST(TagFields, FilesWithoutTagsOrBrokenOnesGiveNoFields) {
    EXPECT_TRUE(Load(Fixture("mpeg1-l3-cbr-plain.mp3")).Fields().empty());
    EXPECT_TRUE(Load(Fixture("wav-pcm16-stereo.wav")).Fields().empty());
    EXPECT_TRUE(Load(Fixture("does-not-exist.mp3")).Fields().empty());

    TempFolder folder;
    EXPECT_TRUE(Load(folder.Write("empty.mp3", "")).Fields().empty());
    EXPECT_TRUE(Load(folder.Write("junk.ogg", "OggS and then nothing sensible")).Fields().empty());

    // A tag cut off inside its frames, and one whose frame claims more bytes than the tag
    // holds: the frames that are whole still come, nothing is read past the end.
    const std::string lyrics = ReadBytes(Fixture("tag-lyrics-id3v23.mp3"));
    const TagFields cut = Load(folder.Write("cut.mp3", lyrics.substr(0, 0x80)));
    EXPECT_LE(cut.Fields().size(), 3u);
    std::string oversized = lyrics;
    oversized[16] = '\x7F'; // TIT2's size, now far past the tag's end
    const TagFields bad = Load(folder.Write("oversized.mp3", oversized));
    EXPECT_FALSE(bad.Find(kV2, "TIT2"));
    EXPECT_FALSE(bad.Find(kV2, "SYLT"));
}
