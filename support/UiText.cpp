#include "support/UiText.h"

#include <cstring>

UiText UiText::With(std::u16string_view arg) const& {
    UiText text = *this;
    text.args.emplace_back(arg);
    return text;
}

UiText UiText::With(std::u16string_view arg) && {
    args.emplace_back(arg);
    return std::move(*this);
}

UiText UiText::With(int64_t number) const& {
    UiText text = *this;
    return std::move(text).With(number);
}

UiText UiText::With(int64_t number) && {
    const std::string digits = std::to_string(number);
    args.emplace_back(digits.begin(), digits.end());
    return std::move(*this);
}

std::u16string UiText::Fill(std::u16string_view pattern, const std::vector<std::u16string>& args) {
    std::u16string out;
    out.reserve(pattern.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char16_t next = i + 1 < pattern.size() ? pattern[i + 1] : u'\0';
        if (pattern[i] == u'%' && next == u'%') {
            out += u'%';
            ++i;
        } else if (pattern[i] == u'%' && next >= u'1' && next <= u'9' &&
                   static_cast<size_t>(next - u'1') < args.size()) {
            out += args[static_cast<size_t>(next - u'1')];
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

std::u16string UiText::English() const {
    if (!source)
        return {};
    // The sources are ASCII or UTF-8; the English ones are ASCII.
    std::u16string pattern;
    for (const char* c = source; *c; ++c)
        pattern += static_cast<char16_t>(static_cast<unsigned char>(*c));
    return Fill(pattern, args);
}

bool UiText::operator==(const UiText& other) const {
    auto same = [](const char* a, const char* b) {
        return a == b || (a && b && std::strcmp(a, b) == 0);
    };
    return same(context, other.context) && same(source, other.source) && args == other.args;
}
