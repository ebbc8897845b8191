// Reads the input as an ID3v2 tag from memory, and its last 128 bytes as an ID3v1 tag. A read
// succeeds exactly when the header is valid, and every text field stays zero-terminated.
#include "engine/tags/Id3Tag.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

void CheckTerminated(const TagInfo& tag) {
    for (const char16_t* field : {tag.title, tag.artist, tag.album, tag.comment, tag.genre}) {
        if (field[kTagTextLength - 1] != 0)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TagInfo tag;
    const bool header = size >= 10 && std::memcmp(data, "ID3", 3) == 0 && data[3] <= 4;
    if (Id3Tag::ReadV2(data, size, tag) != header)
        __builtin_trap();
    CheckTerminated(tag);

    TagInfo v1;
    const bool marked = size >= 128 && std::memcmp(data + size - 128, "TAG", 3) == 0;
    if (Id3Tag::ReadV1(data, size, v1) != marked)
        __builtin_trap();
    CheckTerminated(v1);
    return 0;
}
