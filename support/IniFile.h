#pragma once

#include "support/IniSection.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// An INI document in memory: named sections of named string values, read from and written to a
// file. Section and key names are case-sensitive. Sections keep the order in which they first
// came into being, keys the order in which they were first set; saving writes them in that order,
// as UTF-16 little-endian text with a byte-order mark.
//
// The grammar is deliberately loose (skins, effect presets and ".pls" lists are read with it):
// text before the first "[" is ignored, a section name is everything between "[" and "]", a key
// starts at an ASCII letter or digit and runs to the next "=", the value runs from the first
// character after "=" that isn't a blank to the end of the line. There is no comment syntax.
class IniFile {
public:
    // Bit 0 of the flags: the document was changed since it was loaded, cleared or saved.
    static constexpr std::uint32_t kModified = 1;

    IniFile() = default;
    IniFile(const IniFile&) = default;
    IniFile(IniFile&&) = default;
    IniFile& operator=(const IniFile&) = default;
    IniFile& operator=(IniFile&&) = default;
    virtual ~IniFile() = default;

    // Empties the document, takes `path` as its path and parses the file: UTF-16 little-endian if
    // it starts with the mark FF FE, else 8-bit text in the system code page. False (and an empty
    // document) if the file can't be opened or read, or is empty.
    bool Load(const std::u16string& path);
    // Writes the document to its path (after taking `path` as its path). False if the path is
    // empty or the file can't be written; the file as it was is kept in that case whenever the
    // folder allows a temporary file beside it.
    bool Save();
    bool Save(const std::u16string& path);

    bool GetValue(std::u16string_view section, std::u16string_view key,
                  std::u16string& value) const;
    // Decimal integer: leading blanks and a sign, then digits up to the first non-digit; no
    // digits give 0; values beyond the int range are clamped.
    bool GetInt(std::u16string_view section, std::u16string_view key, int& value) const;
    // "red,green,blue" as a colour value 0x00BBGGRR (see ParseColor in the source for details).
    bool GetColor(std::u16string_view section, std::u16string_view key, std::uint32_t& color) const;

    // Creates the section if missing; always true.
    bool SetValue(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    bool SetInt(std::u16string_view section, std::u16string_view key, int value);
    bool SetColor(std::u16string_view section, std::u16string_view key, std::uint32_t color);

    // False if the section already exists.
    bool AddSection(std::u16string_view section);
    // Removes a whole section, or one key of it. False if the section (or the key) is missing.
    bool Delete(std::u16string_view section);
    bool Delete(std::u16string_view section, std::u16string_view key);

    const IniSection* GetSection(std::u16string_view section) const;
    IniSection* GetSection(std::u16string_view section);

    // Sets or clears the modified bit; returns the flags as they were.
    std::uint32_t SetModified(bool modified);
    bool IsModified() const { return (m_flags & kModified) != 0; }
    std::uint32_t GetFlags() const { return m_flags; }

    const std::u16string& GetPath() const { return m_path; }
    const std::vector<std::u16string>& GetSectionOrder() const { return m_sectionOrder; }

    // Empties the document (sections, order, flags); the path stays.
    void Clear();

private:
    void Parse(std::u16string_view text);
    IniSection& SectionFor(std::u16string_view section);
    bool WriteTo(TextFile& file) const;

    std::u16string m_path;
    std::vector<std::u16string> m_sectionOrder;
    std::map<std::u16string, IniSection, std::less<>> m_sections;
    std::uint32_t m_flags = 0;
};
