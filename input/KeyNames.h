#pragma once

#include <cstdint>
#include <map>
#include <string>

// One key that can be named on the button page and registered as a hot key.
struct HotKeyInfo {
    std::u16string name;
    uint16_t keyCode = 0;
};

// The names of the device's hardware keys: the navigation pad, the application buttons and the
// buttons of several wired-remote families (which share names; the key code tells them apart).
// The table is also the set of keys that may become hot keys.
class KeyNames {
public:
    KeyNames();

    // The key's name: the table's, else a desktop keyboard's key-cap name ("Space", "F5", "A"),
    // else "Unknown%d" with its decimal code.
    std::u16string Name(int32_t keyCode) const;
    bool Contains(int32_t keyCode) const;
    // Every named key, by key code.
    const std::map<uint16_t, HotKeyInfo>& Keys() const { return m_keys; }

private:
    void Add(uint16_t keyCode, std::u16string name);
    void AddRange(uint16_t first, uint16_t last, const std::u16string& prefix);

    std::map<uint16_t, HotKeyInfo> m_keys;
};
