#include "support/IniSection.h"

#include "support/TextFile.h"

#include <algorithm>

bool IniSection::GetValue(std::u16string_view key, std::u16string& value) const {
    const auto it = m_values.find(key);
    if (it == m_values.end())
        return false;
    value = it->second;
    return true;
}

void IniSection::SetValue(std::u16string_view key, std::u16string_view value) {
    const auto it = m_values.find(key);
    if (it != m_values.end()) {
        it->second.assign(value);
        return;
    }
    m_values.emplace(std::u16string(key), std::u16string(value));
    m_keyOrder.emplace_back(key);
}

bool IniSection::Delete(std::u16string_view key) {
    const auto it = m_values.find(key);
    if (it == m_values.end())
        return false;
    m_values.erase(it);
    std::erase_if(m_keyOrder, [key](const std::u16string& name) { return name == key; });
    return true;
}

bool IniSection::Write(TextFile& file, std::u16string_view name) const {
    std::u16string text;
    text.append(u"\r\n[").append(name).append(u"]\r\n");
    for (const std::u16string& key : m_keyOrder) {
        const auto it = m_values.find(key);
        if (it == m_values.end())
            return false;
        text.append(key).append(u"=").append(it->second).append(u"\r\n");
    }
    return file.Write(text);
}
