#pragma once

#include <array>
#include <cstdio>

// Common state of the line readers: the file, its encoding, the code page for 8-bit text and a
// 1,024-byte read buffer. Only a reader can be constructed. At most kMaxBytes are read from a file:
// what follows counts as past its end, so a huge or endless file can't exhaust the memory.
class TextFileBase {
public:
    enum Encoding {
        Ansi = 0,    // 8-bit text in a code page
        Utf16Be = 1, // UTF-16 big-endian
        Utf16Le = 2, // UTF-16 little-endian
        Utf8 = 3,
    };

    TextFileBase(const TextFileBase&) = delete;
    TextFileBase& operator=(const TextFileBase&) = delete;
    // Closes as Close() does.
    virtual ~TextFileBase();

    bool IsOpen() const { return m_file != nullptr; }
    Encoding GetEncoding() const { return m_encoding; }
    // Code page of 8-bit text; 0 (the default) is the system code page.
    void SetCodePage(unsigned codePage) { m_codePage = codePage; }
    unsigned GetCodePage() const { return m_codePage; }
    // True once a read met the end of the file, and at once when there is no file.
    bool Eof() const { return m_eof; }
    // Closes the file if this object opened it; a file lent by the caller stays open. Further
    // reads report the end of the file.
    void Close();

protected:
    static constexpr int kBufferSize = 1024;
    static constexpr long long kMaxBytes = 4 << 20;

    // `owns`: the file is closed with the reader.
    TextFileBase(std::FILE* file, bool owns);

    // The next byte through the buffer; at the end of the file sets the end flag and gives 0.
    unsigned char ReadByte();
    // Fills the buffer with the next bytes of the file, within kMaxBytes; how many it got.
    int FillBuffer();

    std::FILE* m_file;
    bool m_owns;
    Encoding m_encoding = Ansi;
    unsigned m_codePage = 0;
    std::array<unsigned char, kBufferSize> m_buffer{};
    int m_fill = 0;
    int m_index = -1; // -1: nothing buffered
    long long m_bytesRead = 0;
    bool m_eof;
    bool m_hasPushBack = false;
    char16_t m_pushBack = 0;
    bool m_firstLine = true;
};
