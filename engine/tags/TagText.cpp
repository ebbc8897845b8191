#include "engine/tags/TagText.h"

#include <algorithm>
#include <limits>

std::u16string_view TagText::Limit(std::u16string_view text, size_t units) {
    if (text.size() <= units)
        return text;
    text = text.substr(0, units);
    if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF)
        text.remove_suffix(1);
    return text;
}

void TagText::Store(char16_t* field, size_t capacity, std::u16string_view text) {
    if (field == nullptr || capacity == 0)
        return;
    text = Limit(text, capacity - 1);
    std::copy(text.begin(), text.end(), field);
    std::fill(field + text.size(), field + capacity, u'\0');
}

bool TagText::ParseDecimal(std::u16string_view text, int32_t& value) {
    value = 0;
    size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    const size_t first = i;
    int64_t number = 0;
    constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        number = std::min(number * 10 + (text[i] - u'0'), kLimit);
    if (i == first)
        return false;
    number = negative ? -number : std::min(number, kLimit - 1);
    value = static_cast<int32_t>(number);
    return true;
}

int32_t TagText::Decimal(std::u16string_view text) {
    int32_t value = 0;
    ParseDecimal(text, value);
    return value;
}
