#include "support/TextFileRead.h"

#include "platform/RegularFile.h"
#include "platform/TextCodec.h"

#include <utility>

namespace {

std::FILE* OpenForReading(const std::u16string& path) {
    return RegularFile::OpenStream(path);
}

} // namespace

TextFileRead::TextFileRead(std::FILE* file) : TextFileBase(file, false) {
    DetectEncoding();
}

TextFileRead::TextFileRead(const std::u16string& path) : TextFileBase(OpenForReading(path), true) {
    DetectEncoding();
}

void TextFileRead::DetectEncoding() {
    if (m_file == nullptr)
        return;
    // The mark is looked for in the first buffer load, so that a file without one loses no byte
    // (and needn't be seekable). A short first load is not yet the end of the file: that is only
    // known once a read returns nothing.
    m_fill = FillBuffer();
    m_index = m_fill > 0 ? 0 : -1;
    if (m_fill >= 2 && m_buffer[0] == 0xFF && m_buffer[1] == 0xFE) {
        m_encoding = Utf16Le;
        m_index = 2;
    } else if (m_fill >= 2 && m_buffer[0] == 0xFE && m_buffer[1] == 0xFF) {
        m_encoding = Utf16Be;
        m_index = 2;
    } else if (m_fill >= 3 && m_buffer[0] == 0xEF && m_buffer[1] == 0xBB && m_buffer[2] == 0xBF) {
        m_encoding = Utf8;
        m_index = 3;
    }
}

char16_t TextFileRead::ReadChar() {
    if (m_hasPushBack) {
        m_hasPushBack = false;
        return m_pushBack;
    }
    switch (m_encoding) {
    case Utf16Le: {
        const unsigned char low = ReadByte();
        return static_cast<char16_t>(low | ReadByte() << 8);
    }
    case Utf16Be: {
        const unsigned char high = ReadByte();
        return static_cast<char16_t>(high << 8 | ReadByte());
    }
    case Utf8: {
        // Two- and three-byte sequences; the continuation bytes' top bits aren't checked. Any
        // other lead byte stands for one unknown character.
        const unsigned char lead = ReadByte();
        if (lead < 0x80)
            return lead;
        if ((lead & 0xE0) == 0xC0)
            return static_cast<char16_t>((lead & 0x1F) << 6 | (ReadByte() & 0x3F));
        if ((lead & 0xF0) == 0xE0) {
            const unsigned char second = ReadByte();
            return static_cast<char16_t>((lead & 0x0F) << 12 | (second & 0x3F) << 6 |
                                         (ReadByte() & 0x3F));
        }
        return u'\uFFFD';
    }
    case Ansi:
        break;
    }
    return ReadByte();
}

bool TextFileRead::ReadLine(std::u16string& line) {
    if (m_eof)
        return false;
    char16_t c = ReadChar();
    if (!m_firstLine) {
        // `c` is the terminator of the previous line: step over CR LF, CR or LF.
        if (c == u'\r') {
            c = ReadChar();
            if (c == u'\n')
                c = ReadChar();
        } else if (c == u'\n') {
            c = ReadChar();
        }
    }
    m_firstLine = false;

    // 8-bit text is converted as a whole line, so that no multi-byte character is split; it keeps
    // enough bytes for the longest line in any code page.
    std::u16string text;
    std::string bytes;
    const size_t maxBytes = m_maxLineLength * 4;
    while (!m_eof && c != u'\r' && c != u'\n') {
        if (m_encoding != Ansi) {
            if (text.size() < m_maxLineLength)
                text.push_back(c);
        } else if (bytes.size() < maxBytes) {
            bytes.push_back(static_cast<char>(c));
        }
        c = ReadChar();
    }
    m_pushBack = c;
    m_hasPushBack = true;
    line = m_encoding == Ansi ? TextCodec::MultiByteToWide(bytes, m_codePage) : std::move(text);
    if (line.size() > m_maxLineLength)
        line.resize(m_maxLineLength);
    return true;
}
