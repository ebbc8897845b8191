#include "input/KeyMap.h"

#include "input/KeyFunctions.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <algorithm>
#include <set>

using namespace setting;

namespace {

// "ContKeyMap" when absent: the buttons keep working in the background.

int32_t ReadIndexed(Profile& profile, const char* format, int index, int32_t defaultValue) {
    return profile.GetProfileInt(kKeySection, Settings::IndexedName(format, index), defaultValue);
}

void WriteIndexed(Profile& profile, const char* format, int index, int32_t value) {
    profile.WriteProfileInt(kKeySection, Settings::IndexedName(format, index), value);
}

} // namespace

void KeyMap::Load(Profile& profile) {
    Clear();
    const int32_t count = StoredCount(profile);
    for (int i = 0; i < count; ++i) {
        const int32_t keyCode = ReadIndexed(profile, kKeyCodeFormat, i, -1);
        const int32_t dbl = ReadIndexed(profile, kDblClickFormat, i, 0);
        const int32_t function = ReadIndexed(profile, kFuncCodeFormat, i, -1);
        m_map[KeyMapInfo{static_cast<uint16_t>(keyCode), dbl}] =
            static_cast<uint32_t>(function) + KeyFunctions::kFirstCode;
    }
    m_contKeyMap =
        profile.GetProfileInt(kKeySection, kContKeyMap.name, kContKeyMap.defaultValue) == 1;
}

void KeyMap::Clear() {
    m_map.clear();
    m_contKeyMap = kContKeyMap.defaultValue == 1;
}

std::optional<uint32_t> KeyMap::Find(uint32_t keyCode, bool dbl) const {
    if (keyCode > 0xFFFF)
        return std::nullopt;
    auto it = m_map.find(KeyMapInfo{static_cast<uint16_t>(keyCode), dbl ? 1 : 0});
    if (it == m_map.end())
        return std::nullopt;
    return it->second;
}

bool KeyMap::HasDouble(uint32_t keyCode) const {
    return Find(keyCode, true).has_value();
}

void KeyMap::Set(uint16_t keyCode, bool dbl, uint32_t functionCode) {
    m_map[KeyMapInfo{keyCode, dbl ? 1 : 0}] = functionCode;
}

std::vector<uint16_t> KeyMap::KeysMappedTo(uint32_t functionCode) const {
    std::set<uint16_t> keys;
    for (const auto& [info, function] : m_map) {
        if (function == functionCode)
            keys.insert(info.keyCode);
    }
    return {keys.begin(), keys.end()};
}

std::vector<uint16_t> KeyMap::MappedKeys() const {
    std::set<uint16_t> keys;
    for (const auto& entry : m_map)
        keys.insert(entry.first.keyCode);
    return {keys.begin(), keys.end()};
}

std::vector<KeyMapEntry> KeyMap::DefaultEntries() {
    return {
        {13, 0, 6},   // Action: Next Track
        {38, 0, 9},   // Up: Volume Up
        {40, 0, 10},  // Down: Volume Down
        {37, 0, 5},   // Left: Previous Track
        {39, 0, 8},   // Right: Fast Forward
        {193, 0, 20}, // Button1: Hold On/Off
        {194, 0, 4},  // Button2: Play/Pause
        {195, 0, 11}, // Button3: Repeat Section
        {196, 0, 13}, // Button4: Display On/Off
        // A desktop keyboard: Space and the media keys. Its arrow keys are the pad's above.
        {0x20, 0, 4},  // Space: Play/Pause
        {0xB3, 0, 4},  // Play/Pause key
        {0xB2, 0, 1},  // Stop key
        {0xB1, 0, 5},  // Previous key: Previous Track
        {0xB0, 0, 6},  // Next key: Next Track
        {0xAF, 0, 9},  // Volume Up key
        {0xAE, 0, 10}, // Volume Down key
        {0xAD, 0, 12}, // Mute key
    };
}

void KeyMap::WriteDefault(Profile& profile) {
    const std::vector<KeyMapEntry> entries = DefaultEntries();
    const int count = static_cast<int>(entries.size());
    profile.WriteProfileInt(kKeySection, kKeyMapCnt.name, count);
    const std::u16string key = profile.SectionKey(kKeySection);
    for (int i = 0; i < count; ++i) {
        WriteIndexed(profile, kKeyCodeFormat, i, entries[static_cast<size_t>(i)].keyCode);
        WriteIndexed(profile, kFuncCodeFormat, i, entries[static_cast<size_t>(i)].functionIndex);
        // The defaults are single presses; a double flag left from an earlier map would
        // turn one of them into a double press.
        profile.Store().DeleteValue(HKEY_CURRENT_USER, key,
                                    Settings::IndexedName(kDblClickFormat, i));
    }
}

bool KeyMap::InitializeIfFresh(Profile& profile) {
    if (profile.GetProfileInt(kKeySection, kKeyMapInit.name, 0) != 0 ||
        profile.GetProfileInt(kKeySection, kKeyMapCnt.name, 0) != 0)
        return false;
    WriteDefault(profile);
    return true;
}

std::vector<KeyMapEntry> KeyMap::ReadEntries(Profile& profile) {
    std::vector<KeyMapEntry> entries;
    const int32_t count = StoredCount(profile);
    for (int i = 0; i < count; ++i) {
        KeyMapEntry entry;
        entry.functionIndex = ReadIndexed(profile, kFuncCodeFormat, i, -1);
        entry.dbl = ReadIndexed(profile, kDblClickFormat, i, 0);
        entry.keyCode = ReadIndexed(profile, kKeyCodeFormat, i, -1);
        if (entry.functionIndex != -1 && entry.keyCode != -1)
            entries.push_back(entry);
    }
    return entries;
}

void KeyMap::Save(Profile& profile, const std::vector<KeyMapEntry>& entries, bool contKeyMap) {
    profile.WriteProfileInt(kKeySection, kKeyMapInit.name, 1);
    const int count = static_cast<int>(std::min<size_t>(entries.size(), kMaxEntries));
    profile.WriteProfileInt(kKeySection, kKeyMapCnt.name, count);
    for (int i = 0; i < count; ++i) {
        const KeyMapEntry& entry = entries[static_cast<size_t>(i)];
        WriteIndexed(profile, kFuncCodeFormat, i, entry.functionIndex);
        WriteIndexed(profile, kDblClickFormat, i, entry.dbl);
        WriteIndexed(profile, kKeyCodeFormat, i, entry.keyCode);
    }
    profile.WriteProfileInt(kKeySection, kContKeyMap.name, contKeyMap ? 1 : 0);
}

int32_t KeyMap::StoredCount(Profile& profile) {
    const int32_t count = profile.GetProfileInt(kKeySection, kKeyMapCnt.name, 0);
    return std::clamp(count, 0, kMaxEntries);
}
