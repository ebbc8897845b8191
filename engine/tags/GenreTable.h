#pragma once

#include <cstddef>

// The ID3 genre names: the ID3v1 list (0..79) followed by the Winamp extensions (80..147).
class GenreTable {
public:
    static constexpr int kCount = 148;

    // The name of genre `index`, or null outside 0..147.
    static const char16_t* Name(int index);

    // Copies the name of genre `index` into `text` (zero-terminated, cut to `capacity` - 1
    // units). Outside 0..147, or without room for a single unit, `text` is left as it was and
    // the answer is false.
    static bool CopyName(int index, char16_t* text, size_t capacity);
};
