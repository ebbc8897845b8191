#include "lyrics/LyricsData.h"

#include <gtest/gtest.h>

namespace {

// Lines at 5.0 s, 10.0 s and 20.0 s (keys 10, 20, 40), given in reverse order.
LyricsData ThreeLines() {
    LyricsData data;
    data.AddLyricLine(40, u"three");
    data.AddLyricLine(20, u"two");
    data.AddLyricLine(10, u"one");
    data.SortLyrics();
    return data;
}

} // namespace

TEST(LyricsData, FirstLineForAKeyWinsAndLineNumbersFollowFirstAppearance) {
    LyricsData data;
    data.AddLyricLine(30, u"late");
    data.AddLyricLine(4, u"early");
    data.AddLyricLine(30, u"duplicate");
    EXPECT_EQ(u"late", data.textByTime.at(30));
    EXPECT_EQ(0u, data.lineByTime.at(30));
    EXPECT_EQ(1u, data.lineByTime.at(4));
    EXPECT_EQ((std::vector<int>{30, 4}), data.times);

    data.SortLyrics();
    EXPECT_EQ((std::vector<int>{4, 30}), data.times);
    // Sorting keeps the numbers the lines were given.
    EXPECT_EQ(0u, data.lineByTime.at(30));

    data.lyrics = u"late\r\n";
    data.LyricsReset();
    EXPECT_TRUE(data.lyrics.empty());
    EXPECT_TRUE(data.lineByTime.empty());
    EXPECT_TRUE(data.textByTime.empty());
    EXPECT_TRUE(data.times.empty());
    data.AddLyricLine(7, u"again");
    EXPECT_EQ(0u, data.lineByTime.at(7));
}

TEST(LyricsData, LineShowsHalfASecondAheadOfItsKey) {
    const LyricsData data = ThreeLines();
    EXPECT_EQ((std::vector<int>{10, 20, 40}), data.times);
    EXPECT_EQ(-1, data.LyricAt(4499, 0).key);
    EXPECT_TRUE(data.LyricAt(4499, 0).first.empty());
    const LyricsData::Lookup at = data.LyricAt(4500, 0);
    EXPECT_EQ(10, at.key);
    EXPECT_EQ(u"one", at.first);
    EXPECT_EQ(u"two", at.second);
}

TEST(LyricsData, LookupStepsBackToTheLastLineAndTheLastHasNoSecond) {
    const LyricsData data = ThreeLines();
    const LyricsData::Lookup between = data.LyricAt(15000, 0);
    EXPECT_EQ(20, between.key);
    EXPECT_EQ(u"two", between.first);
    EXPECT_EQ(u"three", between.second);
    const LyricsData::Lookup last = data.LyricAt(600000, 0);
    EXPECT_EQ(40, last.key);
    EXPECT_EQ(u"three", last.first);
    EXPECT_TRUE(last.second.empty());
}

TEST(LyricsData, SyncMovesTheLookupByHalfSeconds) {
    const LyricsData data = ThreeLines();
    // Two half seconds ahead: at 3.5 s the 5 s line shows.
    EXPECT_EQ(10, data.LyricAt(3500, 2).key);
    EXPECT_EQ(-1, data.LyricAt(3000, 2).key);
    // Behind: at 5 s with -4 nothing shows yet.
    EXPECT_EQ(-1, data.LyricAt(5000, -4).key);
    EXPECT_EQ(-1, data.LyricAt(0, -100).key);
}

TEST(LyricsData, NegativeKeysAreNeverShown) {
    LyricsData data;
    data.AddLyricLine(-3, u"before the start");
    data.SortLyrics();
    EXPECT_EQ(-1, data.LyricAt(100000, 0).key);
    data.AddLyricLine(0, u"start");
    data.SortLyrics();
    EXPECT_EQ(0, data.LyricAt(0, 0).key);
}

TEST(LyricsData, BreakLinesTurnsSlashesIntoLineBreaks) {
    EXPECT_EQ(u"a\nb", LyricsData::BreakLines(u"a / b"));
    EXPECT_EQ(u"a\nb\nc\nd\ne", LyricsData::BreakLines(u"a /b/ c/d / e"));
    EXPECT_EQ(u"\n\n", LyricsData::BreakLines(u"//"));
    EXPECT_EQ(u"no slash", LyricsData::BreakLines(u"no slash"));
}
