#include "input/HotKeys.h"

#include "input/KeyFunctions.h"
#include "input/KeyMap.h"

namespace {

constexpr uint16_t kLeft = 37;
constexpr uint16_t kUp = 38;
constexpr uint16_t kRight = 39;
constexpr uint16_t kDown = 40;

} // namespace

bool HotKeys::IsRegistered(uint32_t keyCode) const {
    return keyCode <= 0xFFFF && m_registered.count(static_cast<uint16_t>(keyCode)) != 0;
}

void HotKeys::Register(uint16_t keyCode) {
    if (m_names.Contains(keyCode))
        m_registered.insert(keyCode);
}

void HotKeys::RegisterMapped(const KeyMap& map) {
    for (uint16_t key : map.MappedKeys())
        Register(key);
}

void HotKeys::ReleaseMapped(const KeyMap& map, std::optional<uint32_t> keep) {
    std::set<uint16_t> kept;
    if (keep) {
        for (uint16_t key : map.KeysMappedTo(*keep))
            kept.insert(key);
    }
    for (uint16_t key : map.MappedKeys()) {
        if (!kept.count(key))
            m_registered.erase(key);
    }
}

void HotKeys::GoToBackground(const KeyMap& map) {
    if (!map.ContKeyMap())
        ReleaseMapped(map, KeyFunctions::kActivate);
}

void HotKeys::CheckInBackground(const KeyMap& map, InUse inUse) {
    if (map.Empty())
        return;
    if (!map.ContKeyMap()) {
        for (uint16_t key : map.KeysMappedTo(KeyFunctions::kActivate)) {
            if (m_names.Contains(key)) {
                Register(key);
                break;
            }
        }
        return;
    }
    for (uint16_t key : map.MappedKeys()) {
        if (inUse.upDown && (key == kUp || key == kDown))
            continue;
        if (inUse.leftRight && (key == kLeft || key == kRight))
            continue;
        Register(key);
    }
}
