#include "engine/player/Player.h"
#include "engine/player/PlayerApi.h"
#include "platform/TextCodec.h"

#include <gtest/gtest.h>

namespace {

const std::string kFixtures = SONVALE_FIXTURES;

std::u16string Fixture(const std::string& name) {
    return TextCodec::Utf8ToUtf16(kFixtures + "/" + name);
}

TEST(PlayerTags, FileTagsFollowTheToolsThatWroteThem) {
    Player player(&WaveOut::Create, {});
    TagInfo both;
    ASSERT_TRUE(player.GetFileTag(Fixture("tag-both.mp3"), both));
    EXPECT_EQ(std::u16string(both.title), u"New Title"); // ID3v2 wins over ID3v1
    EXPECT_EQ(std::u16string(both.artist), u"New Artist");
    EXPECT_EQ(both.year, 2010);

    TagInfo utf16;
    ASSERT_TRUE(player.GetFileTag(Fixture("tag-id3v24-utf16.mp3"), utf16));
    EXPECT_EQ(std::u16string(utf16.title), u"한국어 제목");
    EXPECT_EQ(std::u16string(utf16.album), u"Ágætis byrjun");
    EXPECT_EQ(std::u16string(utf16.genre), u"Rock");
    EXPECT_EQ(utf16.track, 7);

    TagInfo v1;
    ASSERT_TRUE(player.GetFileTag(Fixture("tag-id3v1.mp3"), v1));
    EXPECT_EQ(std::u16string(v1.title), u"Version One Title");
    EXPECT_EQ(v1.track, 7);
    EXPECT_EQ(v1.year, 1998);

    TagInfo vorbis;
    ASSERT_TRUE(player.GetFileTag(Fixture("tag-vorbis.ogg"), vorbis));
    EXPECT_EQ(std::u16string(vorbis.artist), u"Jürgen Ö");
    EXPECT_EQ(std::u16string(vorbis.album), u"앨범");
    EXPECT_EQ(vorbis.track, 5);

    TagInfo none;
    EXPECT_FALSE(player.GetFileTag(Fixture("mpeg1-l2-44100.mp2"), none));
    EXPECT_FALSE(player.GetFileTag(Fixture("missing.mp3"), none));
}

TEST(PlayerTags, TheOpenSourcesTagComesFromItsDecoder) {
    Player player(&WaveOut::Create, {});
    TagInfo tag;
    EXPECT_FALSE(player.GetTag(tag)); // nothing open
    ASSERT_TRUE(player.OpenFile(Fixture("tag-id3v24-utf8.mp3")));
    ASSERT_TRUE(player.GetTag(tag));
    EXPECT_EQ(std::u16string(tag.title), u"노래 제목");
    EXPECT_EQ(tag.year, 2004);
    EXPECT_EQ(tag.track, 3);

    TagInfo ogg;
    ASSERT_TRUE(player.OpenFile(Fixture("tag-vorbis.ogg")));
    ASSERT_TRUE(player.GetTag(ogg));
    EXPECT_EQ(std::u16string(ogg.genre), u"Synthpop");
    EXPECT_EQ(std::u16string(ogg.title).size(), 63u);
}

TEST(PlayerTags, GenreNames) {
    char16_t text[kTagTextLength] = u"unchanged";
    PlayerGetGenreName(148, text);
    EXPECT_EQ(std::u16string(text), u"unchanged");
    PlayerGetGenreName(147, text);
    EXPECT_EQ(std::u16string(text), u"Synthpop");
    PlayerGetGenreName(17, text);
    EXPECT_EQ(std::u16string(text), u"Rock");
}

} // namespace
