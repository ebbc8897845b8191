#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Small helpers shared by the tag readers: storing texts into the fixed fields of TagInfo and
// reading decimal numbers the way the C library's atoi does.
class TagText {
public:
    // Cuts `text` to at most `units` UTF-16 units, never between the halves of a surrogate
    // pair.
    static std::u16string_view Limit(std::u16string_view text, size_t units);

    // Copies `text` into `field` of `capacity` units: cut to capacity - 1 units (see Limit),
    // zero-terminated, the rest of the field cleared.
    static void Store(char16_t* field, size_t capacity, std::u16string_view text);

    // Leading blanks, an optional sign, then decimal digits up to the first other character;
    // clamped to the 32-bit range. False (and `value` 0) when there is no digit.
    static bool ParseDecimal(std::u16string_view text, int32_t& value);
    static int32_t Decimal(std::u16string_view text);
};
