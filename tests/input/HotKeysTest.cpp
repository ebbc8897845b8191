#include "input/HotKeys.h"

#include "input/KeyMap.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint16_t> Registered(const HotKeys& keys) {
    return {keys.Registered().begin(), keys.Registered().end()};
}

// Up (38) and Down (40) for the volume, Button1 (193) and Button2 (194) pressed twice for
// "Activate Sonvale", Space (32) for Play/Pause: no key of the table, so never a hot key.
KeyMap StoredMap(bool contKeyMap) {
    TempFolder folder;
    Registry reg{folder / "registry.db"};
    Profile profile{reg, setting::kRegistryKeyWord, setting::kProfileName};
    KeyMap::Save(profile, {{38, 0, 9}, {40, 0, 10}, {193, 1, 21}, {194, 1, 21}, {32, 0, 4}},
                 contKeyMap);
    KeyMap map;
    map.Load(profile);
    return map;
}

} // namespace

TEST(HotKeys, AllStayInTheBackgroundButWhatAWindowOfThePlayerUses) {
    const KeyMap map = StoredMap(true);
    HotKeys keys;
    keys.RegisterMapped(map);
    EXPECT_EQ(Registered(keys), (std::vector<uint16_t>{38, 40, 193, 194}));
    EXPECT_FALSE(keys.IsRegistered(32));
    keys.GoToBackground(map);
    EXPECT_EQ(keys.Registered().size(), 4u);

    // Released for the options sheet, then taken again by the check in the background, which
    // leaves Up and Down to the open lyrics list.
    keys.ReleaseMapped(map);
    EXPECT_TRUE(keys.Registered().empty());
    keys.CheckInBackground(map, {.upDown = true});
    EXPECT_EQ(Registered(keys), (std::vector<uint16_t>{193, 194}));
}

TEST(HotKeys, WithoutContKeyMapOnlyTheActivateKeysStay) {
    const KeyMap map = StoredMap(false);
    HotKeys keys;
    keys.RegisterMapped(map);
    keys.GoToBackground(map);
    EXPECT_EQ(Registered(keys), (std::vector<uint16_t>{193, 194}));

    // The check registers only the first of them again.
    keys.ReleaseMapped(map);
    keys.CheckInBackground(map, {});
    EXPECT_EQ(Registered(keys), (std::vector<uint16_t>{193}));
}
