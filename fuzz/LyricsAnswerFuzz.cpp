// Parses the input as an answer of the lyrics service and builds its LRC lines with every
// combination of the two append options. Whatever the answer, each line the client would write
// must begin with a time in brackets and end with CR LF, and turning the appends off must never
// make the text longer.
#include "lyrics/LyricsAnswer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void CheckLines(const std::u16string& lines) {
    std::u16string_view rest = lines;
    while (!rest.empty()) {
        const size_t end = rest.find(u"\r\n");
        if (rest[0] != u'[' || end == std::u16string_view::npos)
            __builtin_trap();
        rest.remove_prefix(end + 2);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LyricsAnswer answer;
    const bool parsed = answer.Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed == answer.Lyrics().empty())
        __builtin_trap();
    const std::u16string all = answer.LrcLines(true, true);
    const std::u16string second = answer.LrcLines(true, false);
    const std::u16string third = answer.LrcLines(false, true);
    const std::u16string first = answer.LrcLines(false, false);
    for (const std::u16string* lines : {&all, &second, &third, &first})
        CheckLines(*lines);
    if (second.size() > all.size() || third.size() > all.size() || first.size() > second.size() ||
        first.size() > third.size())
        __builtin_trap();
    return 0;
}
