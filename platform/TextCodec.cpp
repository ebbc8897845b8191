#include "platform/TextCodec.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cwctype>
#include <iconv.h>
#include <locale.h>

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one UTF-8 sequence at bytes[i]; returns its length, or 0 when malformed.
size_t DecodeUtf8(std::string_view bytes, size_t i, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > bytes.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(bytes[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

std::string IconvName(unsigned codePage) {
    return "CP" + std::to_string(codePage);
}

// Runs iconv over the whole input. On a byte sequence it can't convert, `onBad` appends a
// replacement to the output and tells how many input bytes to skip.
template <typename OnBad>
bool RunIconv(const char* to, const char* from, std::string_view in, std::string& out,
              OnBad onBad) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    char* inPtr = const_cast<char*>(in.data());
    size_t inLeft = in.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr);
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            const size_t skip = std::min(onBad(out), inLeft);
            inPtr += skip;
            inLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, outPtr);
    iconv_close(cd);
    return true;
}

locale_t FoldLocale() {
    static locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return loc;
}

} // namespace

bool TextCodec::IsValidUtf8(std::string_view bytes) {
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp;
        const size_t n = DecodeUtf8(bytes, i, cp);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

std::u16string TextCodec::Utf8ToUtf16(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp;
        const size_t n = DecodeUtf8(bytes, i, cp);
        if (n == 0) {
            out.push_back(kReplacement);
            ++i;
        } else {
            AppendUtf16(out, cp);
            i += n;
        }
    }
    return out;
}

std::string TextCodec::Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string TextCodec::MultiByteToWide(std::string_view bytes, unsigned codePage) {
    if (codePage == kUtf8 || (codePage == kAnsi && IsValidUtf8(bytes)))
        return Utf8ToUtf16(bytes);
    if (codePage == kAnsi)
        codePage = LegacyCodePage();
    std::string raw;
    const bool ok =
        RunIconv("UTF-16LE", IconvName(codePage).c_str(), bytes, raw, [](std::string& out) {
            out.push_back(static_cast<char>(0xFD));
            out.push_back(static_cast<char>(0xFF));
            return size_t{1};
        });
    if (!ok) // unknown code page: keep the bytes readable as Latin-1
        return std::u16string(bytes.begin(), bytes.end());
    std::u16string out(raw.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                       static_cast<unsigned char>(raw[2 * i + 1]) << 8);
    return out;
}

std::string TextCodec::WideToMultiByte(std::u16string_view text, unsigned codePage) {
    if (codePage == kAnsi || codePage == kUtf8)
        return Utf16ToUtf8(text);
    std::string raw;
    raw.reserve(text.size() * 2);
    for (char16_t c : text) {
        raw.push_back(static_cast<char>(c & 0xFF));
        raw.push_back(static_cast<char>(c >> 8));
    }
    std::string out;
    const bool ok = RunIconv(IconvName(codePage).c_str(), "UTF-16LE", raw, out, [](std::string& o) {
        o.push_back('?');
        return size_t{2};
    });
    if (!ok)
        return Utf16ToUtf8(text);
    return out;
}

unsigned TextCodec::LegacyCodePage() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return std::string_view(value).starts_with("ko") ? kKorean : kWestern;
    }
    return kWestern;
}

char16_t TextCodec::FoldChar(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xD800 && c <= 0xDFFF)
        return c;
    const locale_t loc = FoldLocale();
    if (loc == static_cast<locale_t>(0))
        return c;
    const wint_t folded = towlower_l(static_cast<wint_t>(c), loc);
    return folded < 0x10000 ? static_cast<char16_t>(folded) : c;
}

std::u16string TextCodec::FoldCase(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out)
        c = FoldChar(c);
    return out;
}

bool TextCodec::EqualNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldChar(a[i]) != FoldChar(b[i]))
            return false;
    return true;
}

size_t TextCodec::Length(const char16_t* text) {
    return text ? std::char_traits<char16_t>::length(text) : 0;
}
