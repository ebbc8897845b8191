#include "lyrics/ui/LyricsListPage.h"

#include <gtest/gtest.h>

namespace {

// Ten pixels a character.
int Width(const QString& text) {
    return static_cast<int>(text.size()) * 10;
}

TEST(LyricsListPageTest, ALineThatFitsTakesOneRow) {
    EXPECT_EQ(LyricsListPage::Wrap("one two", 70, Width), QStringList({"one two"}));
}

TEST(LyricsListPageTest, AWordlessLineIsCutAtTheLastCharacterThatFits) {
    EXPECT_EQ(LyricsListPage::Wrap("abcdefghij", 45, Width), QStringList({"abcd", "efgh", "ij"}));
    EXPECT_EQ(LyricsListPage::Wrap("abcdefgh", 40, Width), QStringList({"abcd", "efgh"}));
}

TEST(LyricsListPageTest, ALineWithBlanksIsCutAtTheLastBlank) {
    EXPECT_EQ(LyricsListPage::Wrap("aa bb cc dd", 55, Width), QStringList({"aa bb", "cc dd"}));
    EXPECT_EQ(LyricsListPage::Wrap("one twothreefour five", 100, Width),
              QStringList({"one", "twothreefo", "ur five"}));
}

} // namespace
