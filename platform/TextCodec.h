#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Conversions between UTF-16, UTF-8 and 8-bit code pages.
//
// Code page 0 stands for the system's "ANSI" code page. On Linux that is a rule rather than a
// table: bytes that are valid UTF-8 are read as UTF-8, anything else in the locale's legacy code
// page (949 when the locale is Korean, 1252 otherwise). Writing with code page 0 gives UTF-8,
// the encoding of Linux file names and terminals. Other code pages go through iconv ("CP949",
// "CP1252", ...); 65001 is UTF-8.
class TextCodec {
public:
    static constexpr unsigned kAnsi = 0;
    static constexpr unsigned kUtf8 = 65001;
    static constexpr unsigned kKorean = 949;
    static constexpr unsigned kWestern = 1252;

    // Strict UTF-8 check: no overlong forms, no surrogates, nothing above U+10FFFF.
    static bool IsValidUtf8(std::string_view bytes);

    // UTF-8 <-> UTF-16. Malformed input becomes U+FFFD (one per bad byte / lone surrogate).
    static std::u16string Utf8ToUtf16(std::string_view bytes);
    static std::string Utf16ToUtf8(std::u16string_view text);

    // 8-bit text in a code page -> UTF-16. Bytes the code page can't map become U+FFFD.
    static std::u16string MultiByteToWide(std::string_view bytes, unsigned codePage = kAnsi);
    // UTF-16 -> 8-bit text in a code page. Characters the code page lacks become '?'.
    static std::string WideToMultiByte(std::u16string_view text, unsigned codePage = kAnsi);

    // The legacy code page of the current locale (LC_ALL, LC_CTYPE, LANG): 949 or 1252.
    static unsigned LegacyCodePage();

    // Case folding used where the system compares names without regard to case.
    static char16_t FoldChar(char16_t c);
    static std::u16string FoldCase(std::u16string_view text);
    static bool EqualNoCase(std::u16string_view a, std::u16string_view b);

    // Length of a zero-terminated UTF-16 string (0 for a null pointer).
    static size_t Length(const char16_t* text);
};
