#include "engine/tags/VorbisComments.h"

#include "engine/decoders/OggFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

std::u16string Text(const char16_t* field) {
    return field;
}

} // namespace

TEST(VorbisComments, FixtureReadsAsWritten) {
    OggFile ogg;
    ASSERT_TRUE(ogg.Open(std::filesystem::path(SONVALE_FIXTURES "/tag-vorbis.ogg").u16string()));
    TagInfo tag;
    EXPECT_TRUE(VorbisComments::Apply(ogg.Comments(), tag));
    // Cut to 63 units.
    EXPECT_EQ(Text(tag.title), u"A title that runs on for quite a while, well past sixty-three c");
    EXPECT_EQ(Text(tag.artist), u"Jürgen Ö");
    EXPECT_EQ(Text(tag.album), u"앨범");
    EXPECT_EQ(Text(tag.genre), u"Synthpop");
    EXPECT_EQ(Text(tag.comment), u"Ogg comment");
    EXPECT_EQ(tag.track, 5);
    EXPECT_EQ(tag.year, 0); // DATE has no place in the record
}

TEST(VorbisComments, NamesValuesAndLimits) {
    TagInfo tag;
    EXPECT_FALSE(VorbisComments::Apply({"DATE=2001", "no equals sign", "TITLEX=x", "=x"}, tag));
    EXPECT_EQ(Text(tag.title), u"");

    // Only a-z fold; a value may hold "="; later comments overwrite earlier ones.
    EXPECT_TRUE(VorbisComments::Apply(
        {"tItLe=first", "TITLE=a=b", "T\xc3\x8dTLE=not a title", "TrackNumber=12", "GENRE="}, tag));
    EXPECT_EQ(Text(tag.title), u"a=b");
    EXPECT_EQ(tag.track, 12);
    EXPECT_EQ(Text(tag.genre), u"");

    // 63 units at most, without splitting a surrogate pair.
    TagInfo limited;
    VorbisComments::Apply({"ALBUM=" + std::string(62, 'a') + "\xf0\x9d\x84\x9e" + "tail",
                           "ARTIST=" + std::string(100, 'b')},
                          limited);
    EXPECT_EQ(Text(limited.album), std::u16string(62, u'a'));
    EXPECT_EQ(Text(limited.artist), std::u16string(63, u'b'));
}
