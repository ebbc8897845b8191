#include "support/TextFileBase.h"

TextFileBase::TextFileBase(std::FILE* file, bool owns)
    : m_file(file), m_owns(owns), m_eof(file == nullptr) {}

TextFileBase::~TextFileBase() {
    Close();
}

void TextFileBase::Close() {
    if (m_file != nullptr && m_owns)
        std::fclose(m_file);
    m_file = nullptr;
    m_owns = false;
    m_fill = 0;
    m_index = -1;
    m_hasPushBack = false;
    m_eof = true;
}

unsigned char TextFileBase::ReadByte() {
    if (m_eof)
        return 0;
    if (m_index < 0 || m_index >= m_fill) {
        m_fill = FillBuffer();
        if (m_fill <= 0) {
            m_fill = 0;
            m_index = -1;
            m_eof = true;
            return 0;
        }
        m_index = 0;
    }
    return m_buffer[m_index++];
}

int TextFileBase::FillBuffer() {
    const long long left = kMaxBytes - m_bytesRead;
    const size_t wanted = left < kBufferSize ? static_cast<size_t>(left) : m_buffer.size();
    const size_t got = wanted > 0 ? std::fread(m_buffer.data(), 1, wanted, m_file) : 0;
    m_bytesRead += static_cast<long long>(got);
    return static_cast<int>(got);
}
