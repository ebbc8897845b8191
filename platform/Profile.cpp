#include "platform/Profile.h"

#include "platform/Registry.h"

Profile::Profile(Registry& registry, std::u16string_view registryKey,
                 std::u16string_view profileName)
    : m_registry(registry) {
    m_key = u"Software\\";
    m_key += registryKey;
    m_key += u'\\';
    m_key += profileName;
}

Profile::~Profile() = default;

std::u16string Profile::SectionKey(std::u16string_view section) const {
    if (section.empty())
        return m_key;
    std::u16string key = m_key;
    key += u'\\';
    key += section;
    return key;
}

int32_t Profile::GetProfileInt(std::u16string_view section, std::u16string_view entry,
                               int32_t defaultValue) {
    const auto value = m_registry.QueryValue(HKEY_CURRENT_USER, SectionKey(section), entry);
    if (!value || value->type != REG_DWORD)
        return defaultValue;
    return static_cast<int32_t>(value->number);
}

std::u16string Profile::GetProfileString(std::u16string_view section, std::u16string_view entry,
                                         std::u16string_view defaultValue) {
    const auto value = m_registry.QueryValue(HKEY_CURRENT_USER, SectionKey(section), entry);
    if (!value || value->type != REG_SZ)
        return std::u16string(defaultValue);
    return value->text;
}

bool Profile::WriteProfileInt(std::u16string_view section, std::u16string_view entry,
                              int32_t value) {
    return m_registry.SetNumber(HKEY_CURRENT_USER, SectionKey(section), entry,
                                static_cast<uint32_t>(value));
}

bool Profile::WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                 std::u16string_view value) {
    return m_registry.SetString(HKEY_CURRENT_USER, SectionKey(section), entry, value);
}
