#include "platform/TextCodec.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Sets the locale variables the legacy code page is chosen from, and restores them.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* lang) {
        for (const char* name : kNames) {
            const char* old = std::getenv(name);
            m_saved.emplace_back(old ? old : "");
            unsetenv(name);
        }
        setenv("LANG", lang, 1);
    }
    ~ScopedLocale() {
        for (size_t i = 0; i < 3; ++i) {
            if (m_saved[i].empty())
                unsetenv(kNames[i]);
            else
                setenv(kNames[i], m_saved[i].c_str(), 1);
        }
    }

private:
    static constexpr const char* kNames[3] = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::vector<std::string> m_saved;
};

TEST(TextCodec, Utf8RoundTripsIncludingSurrogatePairs) {
    const std::u16string text = u"Sonvale 음악 Ünïcödé \U0001F3B5";
    const std::string utf8 = TextCodec::Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "Sonvale \xEC\x9D\x8C\xEC\x95\x85 \xC3\x9Cn\xC3\xAF"
                    "c\xC3\xB6"
                    "d\xC3\xA9 \xF0\x9F\x8E\xB5");
    EXPECT_TRUE(TextCodec::IsValidUtf8(utf8));
    EXPECT_EQ(TextCodec::Utf8ToUtf16(utf8), text);
}

TEST(TextCodec, MalformedInputBecomesReplacementCharacters) {
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xC0\xAF"));         // overlong "/"
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xED\xA0\x80"));     // encoded surrogate
    EXPECT_FALSE(TextCodec::IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(TextCodec::IsValidUtf8("abc\xE2\x82"));      // cut short
    EXPECT_EQ(TextCodec::Utf8ToUtf16("a\xFF"
                                     "b"),
              u"a\uFFFD"
              u"b");
    EXPECT_EQ(TextCodec::Utf16ToUtf8(std::u16string(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
}

TEST(TextCodec, AnsiIsUtf8WhenValidElseTheLocalesLegacyCodePage) {
    {
        ScopedLocale locale("en_US.UTF-8");
        EXPECT_EQ(TextCodec::LegacyCodePage(), 1252u);
        EXPECT_EQ(TextCodec::MultiByteToWide("caf\xC3\xA9"), u"café");
        EXPECT_EQ(TextCodec::MultiByteToWide("caf\xE9 \x80"), u"café €");
    }
    {
        ScopedLocale locale("ko_KR.UTF-8");
        EXPECT_EQ(TextCodec::LegacyCodePage(), 949u);
        EXPECT_EQ(TextCodec::MultiByteToWide("\xC7\xD1\xB1\xDB"), u"한글");
        EXPECT_EQ(TextCodec::MultiByteToWide("\xED\x95\x9C"), u"한"); // valid UTF-8 wins
    }
    // Writing with the ANSI code page gives UTF-8, the encoding of Linux names.
    EXPECT_EQ(TextCodec::WideToMultiByte(u"한"), "\xED\x95\x9C");
}

TEST(TextCodec, ExplicitCodePagesBothWays) {
    EXPECT_EQ(TextCodec::WideToMultiByte(u"한글", 949), "\xC7\xD1\xB1\xDB");
    EXPECT_EQ(TextCodec::MultiByteToWide("\xC7\xD1\xB1\xDB", 949), u"한글");
    EXPECT_EQ(TextCodec::WideToMultiByte(u"é€한", 1252), "\xE9\x80?");
    EXPECT_EQ(TextCodec::MultiByteToWide("\x81", 949), u"\uFFFD"); // a lead byte alone
    EXPECT_EQ(TextCodec::MultiByteToWide("\xC3\xA9", 65001), u"é");
}

TEST(TextCodec, CaseFoldingCoversMoreThanAscii) {
    EXPECT_TRUE(TextCodec::EqualNoCase(u"Settings\\Key", u"SETTINGS\\key"));
    EXPECT_TRUE(TextCodec::EqualNoCase(u"Ärger Σ", u"ärger σ"));
    EXPECT_FALSE(TextCodec::EqualNoCase(u"Volume", u"Volumes"));
    EXPECT_EQ(TextCodec::Length(u"abc"), 3u);
    EXPECT_EQ(TextCodec::Length(nullptr), 0u);
}

} // namespace
