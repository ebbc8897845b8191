#include "playlist/Archive.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

TEST(ArchiveTest, StringsCarryTheMarkAndTheShortestLength) {
    Archive out;
    out.WriteString(u"");
    out.WriteString(u"abc");
    out.WriteString(std::u16string(300, u'x'));
    out.WriteString(std::u16string(0xFFFE, u'y')); // no longer fits 16 bits
    const std::string& bytes = out.Bytes();
    EXPECT_EQ(bytes.substr(0, 14), "\xFF\xFE\xFF\x00\xFF\xFE\xFF\x03"
                                   "a\0b\0c\0"s);
    EXPECT_EQ(bytes.substr(14, 6), "\xFF\xFE\xFF\xFF\x2C\x01"s);
    EXPECT_EQ(bytes.substr(20 + 600, 10), "\xFF\xFE\xFF\xFF\xFF\xFF\xFE\xFF\x00\x00"s);

    Archive in(bytes);
    std::u16string text;
    for (const std::u16string& expected :
         {std::u16string(), std::u16string(u"abc"), std::u16string(300, u'x'),
          std::u16string(0xFFFE, u'y')}) {
        ASSERT_TRUE(in.ReadString(text));
        EXPECT_EQ(text, expected);
    }
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ArchiveTest, ValuesRunningPastTheEndFailWithoutMoving) {
    const std::string bytes = "\xFF\xFE\xFF\x05"
                              "a\0b\0"s;
    Archive in(bytes);
    std::u16string text = u"kept";
    EXPECT_FALSE(in.ReadString(text));
    EXPECT_EQ(text, u"kept");
    EXPECT_EQ(in.Remaining(), bytes.size());

    // A 32-bit length far beyond the data is refused, not allocated.
    const std::string hugeBytes = "\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F"s;
    Archive huge(hugeBytes);
    EXPECT_FALSE(huge.ReadString(text));

    int32_t value = 7;
    const std::string shortBytes = "\x01\x02\x03"s;
    Archive shortNumber(shortBytes);
    EXPECT_FALSE(shortNumber.ReadInt32(value));
    const std::string negativeBytes = "\xFE\xFF\xFF\xFF"s;
    Archive negative(negativeBytes);
    ASSERT_TRUE(negative.ReadInt32(value));
    EXPECT_EQ(value, -2);
}
