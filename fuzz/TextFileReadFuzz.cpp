// Reads every line of the input with TextFileRead. The first byte picks the code page for
// 8-bit text; the rest is the file. No line may hold a line break.
#include "support/TextFileRead.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const unsigned codePages[] = {0, 949, 1252, 65001};
    const unsigned codePage = codePages[data[0] % 4];
    ++data;
    --size;

    // fmemopen() refuses an empty buffer; a reader over no file must cope as well.
    std::FILE* file = size > 0 ? ::fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr;
    {
        TextFileRead reader(file);
        reader.SetCodePage(codePage);
        std::u16string line;
        std::size_t lines = 0;
        while (reader.ReadLine(line)) {
            if (line.find_first_of(u"\r\n") != std::u16string::npos)
                __builtin_trap();
            // Every line but the first stands on at least one byte of its own.
            if (++lines > size + 1)
                __builtin_trap();
        }
        if (!reader.Eof())
            __builtin_trap();
    }
    if (file != nullptr)
        std::fclose(file);
    return 0;
}
