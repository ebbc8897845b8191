#include "support/TextFileBase.h"

CTextFileBase::CTextFileBase(std::FILE* file, bool owns)
    : m_file(file), m_owns(owns), m_eof(file == nullptr) {}

CTextFileBase::~CTextFileBase() {
    Close();
}

void CTextFileBase::Close() {
    if (m_file != nullptr && m_owns)
        std::fclose(m_file);
    m_file = nullptr;
    m_owns = false;
    m_fill = 0;
    m_index = -1;
    m_hasPushBack = false;
    m_eof = true;
}

unsigned char CTextFileBase::ReadByte() {
    if (m_eof)
        return 0;
    if (m_index < 0 || m_index >= m_fill) {
        m_fill = static_cast<int>(std::fread(m_buffer.data(), 1, m_buffer.size(), m_file));
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
