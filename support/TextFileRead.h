#pragma once

#include "support/TextFileBase.h"

#include <cstddef>
#include <cstdio>
#include <string>

// Reads a text file line by line. The encoding comes from the byte-order mark (FF FE UTF-16
// little-endian, FE FF big-endian, EF BB BF UTF-8); without one the file is 8-bit text in the
// code page set with SetCodePage(). CR LF, a lone CR and a lone LF each end a line, and a text
// that ends with a line break gives one last empty line. A line longer than the longest one kept
// (SetMaxLineLength) is cut there; the rest of it is skipped.
class TextFileRead : public TextFileBase {
public:
    // Reads from a file the caller has opened and keeps owning.
    explicit TextFileRead(std::FILE* file);
    // Opens the file itself and closes it with Close() or when destroyed.
    explicit TextFileRead(const std::u16string& path);

    static constexpr size_t kDefaultMaxLineLength = 65536;

    // The next line without its terminator; false at the end of the file.
    bool ReadLine(std::u16string& line);
    // The longest line kept, in characters.
    void SetMaxLineLength(size_t characters) { m_maxLineLength = characters; }

private:
    void DetectEncoding();
    char16_t ReadChar();

    size_t m_maxLineLength = kDefaultMaxLineLength;
};
