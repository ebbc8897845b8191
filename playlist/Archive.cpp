#include "playlist/Archive.h"

#include "platform/TextCodec.h"

void Archive::WriteUnsigned(uint32_t value, size_t count) {
    for (size_t i = 0; i < count; ++i)
        m_out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void Archive::WriteInt32(int32_t value) {
    WriteUnsigned(static_cast<uint32_t>(value), 4);
}

void Archive::WriteString(std::u16string_view text) {
    WriteUnsigned(0xFF, 1);
    WriteUnsigned(0xFFFE, 2);
    const size_t length = text.size();
    if (length < 0xFF) {
        WriteUnsigned(static_cast<uint32_t>(length), 1);
    } else if (length < 0xFFFE) {
        WriteUnsigned(0xFF, 1);
        WriteUnsigned(static_cast<uint32_t>(length), 2);
    } else {
        WriteUnsigned(0xFF, 1);
        WriteUnsigned(0xFFFF, 2);
        WriteUnsigned(static_cast<uint32_t>(length), 4);
    }
    size_t at = m_out.size();
    m_out.resize(at + 2 * length);
    for (const char16_t unit : text) {
        m_out[at++] = static_cast<char>(unit & 0xFF);
        m_out[at++] = static_cast<char>(unit >> 8);
    }
}

bool Archive::ReadBytes(size_t count, std::string_view& bytes) {
    if (count > Remaining())
        return false;
    bytes = m_in.substr(m_pos, count);
    m_pos += count;
    return true;
}

bool Archive::ReadUnsigned(size_t count, uint32_t& value) {
    std::string_view bytes;
    if (!ReadBytes(count, bytes))
        return false;
    value = 0;
    for (size_t i = 0; i < count; ++i)
        value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[i])) << (8 * i);
    return true;
}

bool Archive::ReadInt32(int32_t& value) {
    uint32_t raw = 0;
    if (!ReadUnsigned(4, raw))
        return false;
    value = static_cast<int32_t>(raw);
    return true;
}

bool Archive::ReadString(std::u16string& text) {
    const size_t start = m_pos;
    bool wide = false;
    uint32_t length = 0;
    bool ok = ReadUnsigned(1, length);
    if (ok && length == 0xFF) {
        ok = ReadUnsigned(2, length);
        if (ok && length == 0xFFFE) {
            wide = true;
            ok = ReadUnsigned(1, length);
            if (ok && length == 0xFF)
                ok = ReadUnsigned(2, length);
        }
        if (ok && length == 0xFFFF)
            ok = ReadUnsigned(4, length);
    }
    std::string_view bytes;
    const uint64_t size = wide ? uint64_t{length} * 2 : uint64_t{length};
    if (!ok || size > Remaining() || !ReadBytes(static_cast<size_t>(size), bytes)) {
        m_pos = start;
        return false;
    }
    if (!wide) {
        text = TextCodec::MultiByteToWide(bytes);
        return true;
    }
    text.resize(length);
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return true;
}
