#include "engine/tags/GenreTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(GenreTable, NamesAndSpecialSpellings) {
    EXPECT_EQ(std::u16string(GenreTable::Name(0)), u"Blues");
    EXPECT_EQ(std::u16string(GenreTable::Name(17)), u"Rock");
    EXPECT_EQ(std::u16string(GenreTable::Name(40)), u"Alternative Rock");
    EXPECT_EQ(std::u16string(GenreTable::Name(79)), u"Hard Rock");
    EXPECT_EQ(std::u16string(GenreTable::Name(80)), u"Folk");
    EXPECT_EQ(std::u16string(GenreTable::Name(123)), u"Acapella");
    EXPECT_EQ(std::u16string(GenreTable::Name(146)), u"Jpop");
    EXPECT_EQ(std::u16string(GenreTable::Name(147)), u"Synthpop");
    EXPECT_EQ(GenreTable::Name(-1), nullptr);
    EXPECT_EQ(GenreTable::Name(148), nullptr);

    // A slip in the table (a missing comma joins two names) shifts every later index.
    std::set<std::u16string> names;
    for (int i = 0; i < GenreTable::kCount; ++i) {
        ASSERT_NE(GenreTable::Name(i), nullptr) << i;
        names.insert(GenreTable::Name(i));
    }
    EXPECT_EQ(names.size(), size_t(GenreTable::kCount));
    EXPECT_EQ(names.count(u""), 0u);
}

TEST(GenreTable, CopyName) {
    char16_t text[255] = u"unchanged";
    EXPECT_TRUE(GenreTable::CopyName(147, text, 255));
    EXPECT_EQ(std::u16string(text), u"Synthpop");

    char16_t kept[255] = u"unchanged";
    EXPECT_FALSE(GenreTable::CopyName(148, kept, 255));
    EXPECT_FALSE(GenreTable::CopyName(-1, kept, 255));
    EXPECT_FALSE(GenreTable::CopyName(0, kept, 0));
    EXPECT_EQ(std::u16string(kept), u"unchanged");

    char16_t small[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_TRUE(GenreTable::CopyName(147, small, 5));
    EXPECT_EQ(std::u16string(small), u"Synt");
}
