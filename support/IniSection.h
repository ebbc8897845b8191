#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class TextFile;

// One section of an INI document: named string values, kept in the order in which their keys
// were first set. Keys are compared by their UTF-16 code units, so they are case-sensitive.
class IniSection {
public:
    IniSection() = default;
    IniSection(const IniSection&) = default;
    IniSection(IniSection&&) = default;
    IniSection& operator=(const IniSection&) = default;
    IniSection& operator=(IniSection&&) = default;
    virtual ~IniSection() = default;

    // True and the value if the key exists; false and `value` untouched otherwise.
    bool GetValue(std::u16string_view key, std::u16string& value) const;
    // Inserts the key at the end of the order, or replaces the value of an existing key in place.
    void SetValue(std::u16string_view key, std::u16string_view value);
    // False if the key is missing.
    bool Delete(std::u16string_view key);

    // Writes CR LF "[name]" CR LF and then one "key=value" CR LF line per key.
    bool Write(TextFile& file, std::u16string_view name) const;

    const std::vector<std::u16string>& GetKeyOrder() const { return m_keyOrder; }
    bool IsEmpty() const { return m_values.empty(); }

private:
    std::vector<std::u16string> m_keyOrder;
    std::map<std::u16string, std::u16string, std::less<>> m_values;
};
