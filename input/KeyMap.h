#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <vector>

class Profile;

// The lookup key of the map: a virtual key code and whether it was pressed twice.
struct KeyMapInfo {
    uint16_t keyCode = 0;
    int32_t dbl = 0; // 0 single press, 1 double press

    bool operator==(const KeyMapInfo&) const = default;
};

struct KeyMapInfoHash {
    size_t operator()(const KeyMapInfo& info) const {
        return std::hash<uint64_t>{}((static_cast<uint64_t>(info.keyCode) << 32) ^
                                     static_cast<uint32_t>(info.dbl));
    }
};

// One stored entry, as the button page lists and saves it.
struct KeyMapEntry {
    int32_t keyCode = -1;
    int32_t dbl = 0;
    int32_t functionIndex = -1;
};

// The key map under "Settings\Key": "KeyMapCnt" entries of "KeyCode%d", "DblClick%d" and
// "FuncCode%d" (a function index), "KeyMapInit" once the user saved the map, and "ContKeyMap"
// (keep the hot keys while another program is in front). In memory it maps (key, double) to a
// function code; a later entry with the same (key, double) replaces an earlier one.
class KeyMap {
public:
    // Stored counts above this are read as this many entries, so a broken count can't stall
    // start-up; the page never saves more than the key table allows.
    static constexpr int32_t kMaxEntries = 1024;

    // Clears the map and reads every stored entry, without validation, and "ContKeyMap".
    void Load(Profile& profile);
    void Clear();

    // The function code for (key, double), if mapped.
    std::optional<uint32_t> Find(uint32_t keyCode, bool dbl) const;
    // Whether the key has a double-press mapping.
    bool HasDouble(uint32_t keyCode) const;
    // Adds or replaces one mapping.
    void Set(uint16_t keyCode, bool dbl, uint32_t functionCode);

    bool Empty() const { return m_map.empty(); }
    size_t Size() const { return m_map.size(); }
    bool ContKeyMap() const { return m_contKeyMap; }
    const std::unordered_map<KeyMapInfo, uint32_t, KeyMapInfoHash>& Entries() const {
        return m_map;
    }
    // The distinct keys mapped to the function code, in ascending order.
    std::vector<uint16_t> KeysMappedTo(uint32_t functionCode) const;
    // Every distinct mapped key, in ascending order.
    std::vector<uint16_t> MappedKeys() const;

    // The default map, all single presses: the handheld's nine (Action, the pad, Button1 to
    // Button4), then a desktop keyboard's Space and media keys (the arrows are the pad's codes).
    static std::vector<KeyMapEntry> DefaultEntries();
    // Writes the default map ("KeyMapCnt" and the entries). "KeyMapInit" is untouched.
    static void WriteDefault(Profile& profile);
    // At start-up: writes the default map when neither "KeyMapInit" nor "KeyMapCnt" is set.
    // True when it did.
    static bool InitializeIfFresh(Profile& profile);
    // The entries the button page lists: those with both key code and function set.
    static std::vector<KeyMapEntry> ReadEntries(Profile& profile);
    // The button page's OK: "KeyMapInit" 1, the count and entries in order, then "ContKeyMap".
    // Entries beyond the new count stay in the store and are ignored.
    static void Save(Profile& profile, const std::vector<KeyMapEntry>& entries, bool contKeyMap);

private:
    static int32_t StoredCount(Profile& profile);

    std::unordered_map<KeyMapInfo, uint32_t, KeyMapInfoHash> m_map;
    bool m_contKeyMap = true;
};
