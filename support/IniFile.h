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
// came into being, keys the order in which they were first set.
//
// A loaded document also keeps the file's text as it stood: saving writes that text back with
// only the changes made to the document. Lines the grammar ignores (comments, blank lines, text
// before the first section) stay where they were, a key set twice keeps both lines (the last one
// counts; changing the key changes that line), new keys follow the last entry of their section,
// new sections go at the end. The file is written in the encoding and with the line ends it was
// read in; an 8-bit file that can't carry a changed text is written as UTF-16. A new document
// is written as UTF-16 little-endian text with a byte-order mark and CR LF line ends, every
// section preceded by an empty line.
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

    // Read only: changes go through the document, which keeps the file's text in step.
    const IniSection* GetSection(std::u16string_view section) const;

    // Sets or clears the modified bit; returns the flags as they were.
    std::uint32_t SetModified(bool modified);
    bool IsModified() const { return (m_flags & kModified) != 0; }
    std::uint32_t GetFlags() const { return m_flags; }

    const std::u16string& GetPath() const { return m_path; }
    const std::vector<std::u16string>& GetSectionOrder() const { return m_sectionOrder; }
    // The text that saving writes (without a byte-order mark).
    std::u16string GetText() const;

    // Empties the document (sections, order, flags, the text of the file); the path stays.
    void Clear();

private:
    // One stretch of the text, in the order in which it stands in the file.
    struct Piece {
        // Tail: text at the end that the reader drops unfinished (an unclosed "[", a key without
        // "=" or value); whatever is added goes before it.
        enum Kind { Text, Header, Entry, Tail };
        Kind kind = Text;
        std::u16string section; // Header, Entry
        std::u16string key;     // Entry
        // Text, Tail: as it stands. Header: what precedes "[name]". Entry: from the key's first
        // character to where the value starts (the key, "=", blanks).
        std::u16string text;
        std::u16string value; // Entry
    };

    void Parse(std::u16string_view text);
    IniSection& SectionFor(std::u16string_view section);
    IniSection* FindSection(std::u16string_view section);
    void AppendHeader(std::u16string_view section);
    void SetInText(std::u16string_view section, std::u16string_view key, std::u16string_view value);
    void RemoveEntryPiece(size_t index);
    std::string Encode() const;

    std::u16string m_path;
    std::vector<std::u16string> m_sectionOrder;
    std::map<std::u16string, IniSection, std::less<>> m_sections;
    std::uint32_t m_flags = 0;
    std::vector<Piece> m_pieces;
    // How the file was read: UTF-16 little-endian with a mark, or 8-bit text in m_codePage.
    bool m_utf16 = true;
    unsigned m_codePage = 0;
    std::u16string m_lineEnd = u"\r\n";
};
