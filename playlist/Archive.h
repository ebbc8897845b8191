#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The byte encoding of playlist files: little-endian 32-bit integers and archived strings.
//
// An archived string is written as FF FE FF (the mark of UTF-16 text), its length in code units
// (one byte below 255; else FF and 16 bits below 0xFFFE; else FF FF FF and 32 bits), then the
// UTF-16LE units. A string read without the mark counts bytes of 8-bit text in the system code
// page instead.
//
// Reading never runs past the end of the bytes: a value that would do so fails and leaves the
// reader where it was.
class Archive {
public:
    // For storing.
    Archive() = default;
    // For loading from `bytes`, which must outlive the archive.
    // Reads from `bytes`, which must outlive the archive.
    explicit Archive(std::string_view bytes) : m_in(bytes) {}
    explicit Archive(std::string&&) = delete;

    // Room for `bytes` more bytes, so that a long archive is not copied while it grows.
    void Reserve(size_t bytes) { m_out.reserve(m_out.size() + bytes); }
    void WriteInt32(int32_t value);
    void WriteString(std::u16string_view text);
    const std::string& Bytes() const { return m_out; }

    bool ReadInt32(int32_t& value);
    bool ReadString(std::u16string& text);
    size_t Remaining() const { return m_in.size() - m_pos; }

private:
    bool ReadBytes(size_t count, std::string_view& bytes);
    bool ReadUnsigned(size_t count, uint32_t& value);
    void WriteUnsigned(uint32_t value, size_t count);

    std::string m_out;
    std::string_view m_in;
    size_t m_pos = 0;
};
