#pragma once

#include "input/KeyNames.h"

#include <cstdint>
#include <optional>
#include <set>

class KeyMap;

// Which keys reach the player while another program is in front. Only keys of the key-names
// table can be hot keys. The player registers its mapped keys when it comes to the front and
// releases some or all of them when it goes to the background, as the map's "ContKeyMap" says;
// the desktop's shortcut service (where there is one) is then told of the registered set, and a
// hot key that comes back from it is taken only while registered.
class HotKeys {
public:
    // Keys the background check leaves out while a window of the player uses them.
    struct InUse {
        bool upDown = false;    // the lyrics list
        bool leftRight = false; // the sound effects sheet
    };

    bool IsRegistered(uint32_t keyCode) const;
    const std::set<uint16_t>& Registered() const { return m_registered; }

    // Coming to the front: every mapped key of the table.
    void RegisterMapped(const KeyMap& map);
    // Releases the mapped keys, except those mapped to `keep`.
    void ReleaseMapped(const KeyMap& map, std::optional<uint32_t> keep = std::nullopt);
    // Releases one key.
    void Release(uint16_t keyCode) { m_registered.erase(keyCode); }
    // Going to the background: with "ContKeyMap" 0 only the keys of "Activate Sonvale" stay.
    void GoToBackground(const KeyMap& map);
    // The periodic check in the background registers again what other programs may have taken:
    // with "ContKeyMap" 1 every mapped key of the table but those in use, with 0 the first key
    // of "Activate Sonvale".
    void CheckInBackground(const KeyMap& map, InUse inUse);
    const KeyNames& Names() const { return m_names; }

private:
    void Register(uint16_t keyCode);

    KeyNames m_names;
    std::set<uint16_t> m_registered;
};
