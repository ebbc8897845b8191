#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class Registry;

// The application framework's profile functions: values addressed by section and name under
// HKEY_CURRENT_USER\Software\<registry key word>\<profile name>. A section is a sub-key of that
// key; the empty section means the key itself.
//
// Failures are silent: a read answers the caller's default, a write answers false.
class Profile {
public:
    Profile(Registry& registry, std::u16string_view registryKey, std::u16string_view profileName);
    virtual ~Profile();

    // "Software\<registry key word>\<profile name>".
    const std::u16string& Key() const { return m_key; }
    Registry& Store() const { return m_registry; }

    // A number value; the default when it is missing or not a number.
    virtual int32_t GetProfileInt(std::u16string_view section, std::u16string_view entry,
                                  int32_t defaultValue);
    // A text value; the default when it is missing or not a text.
    virtual std::u16string GetProfileString(std::u16string_view section, std::u16string_view entry,
                                            std::u16string_view defaultValue = {});
    virtual bool WriteProfileInt(std::u16string_view section, std::u16string_view entry,
                                 int32_t value);
    virtual bool WriteProfileString(std::u16string_view section, std::u16string_view entry,
                                    std::u16string_view value);

    // The registry key of a section.
    std::u16string SectionKey(std::u16string_view section) const;

private:
    Registry& m_registry;
    std::u16string m_key;
};
