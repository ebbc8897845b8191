#include "input/KeyMap.h"

#include "input/KeyFunctions.h"
#include "input/KeyNames.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

using namespace setting;

namespace {

class KeyMapTest : public ::testing::Test {
protected:
    TempFolder folder;
    Registry reg{folder / "registry.db"};
    Profile profile{reg, kRegistryKeyWord, kProfileName};

    void Write(const char* format, int index, int32_t value) {
        profile.WriteProfileInt(kKeySection, Settings::IndexedName(format, index), value);
    }
    bool Has(const char* format, int index) {
        return reg
            .QueryValue(HKEY_CURRENT_USER, profile.SectionKey(kKeySection),
                        Settings::IndexedName(format, index))
            .has_value();
    }
};

TEST_F(KeyMapTest, FreshStoreGetsTheDefaultSinglePresses) {
    ASSERT_TRUE(KeyMap::InitializeIfFresh(profile));
    EXPECT_EQ(profile.GetProfileInt(kKeySection, u"KeyMapCnt", 0), 17);
    EXPECT_EQ(profile.GetProfileInt(kKeySection, u"KeyMapInit", 0), 0);
    EXPECT_FALSE(Has(kDblClickFormat, 0));

    KeyMap map;
    map.Load(profile);
    EXPECT_EQ(map.Size(), 17u);
    EXPECT_EQ(map.Find(13, false), KeyFunctions::kNextTrack);
    EXPECT_EQ(map.Find(38, false), KeyFunctions::kVolumeUp);
    EXPECT_EQ(map.Find(40, false), KeyFunctions::kVolumeDown);
    EXPECT_EQ(map.Find(37, false), KeyFunctions::kPreviousTrack);
    EXPECT_EQ(map.Find(39, false), KeyFunctions::kFastForward);
    EXPECT_EQ(map.Find(193, false), KeyFunctions::kHold);
    EXPECT_EQ(map.Find(194, false), KeyFunctions::kPlayPause);
    EXPECT_EQ(map.Find(195, false), KeyFunctions::kRepeatSection);
    EXPECT_EQ(map.Find(196, false), KeyFunctions::kDisplay);
    // The desktop keyboard's entries follow the handheld's nine.
    EXPECT_EQ(map.Find(0x20, false), KeyFunctions::kPlayPause);
    EXPECT_EQ(map.Find(0xB3, false), KeyFunctions::kPlayPause);
    EXPECT_EQ(map.Find(0xB2, false), KeyFunctions::kStop);
    EXPECT_EQ(map.Find(0xB1, false), KeyFunctions::kPreviousTrack);
    EXPECT_EQ(map.Find(0xB0, false), KeyFunctions::kNextTrack);
    EXPECT_EQ(map.Find(0xAF, false), KeyFunctions::kVolumeUp);
    EXPECT_EQ(map.Find(0xAE, false), KeyFunctions::kVolumeDown);
    EXPECT_EQ(map.Find(0xAD, false), KeyFunctions::kMute);
    EXPECT_EQ(KeyMap::ReadEntries(profile).size(), 17u);
    EXPECT_FALSE(map.Find(13, true));
    EXPECT_FALSE(map.HasDouble(13));
    EXPECT_TRUE(map.ContKeyMap()); // absent means on

    // Written once: the second start-up leaves the store alone.
    EXPECT_FALSE(KeyMap::InitializeIfFresh(profile));
}

TEST_F(KeyMapTest, SavedEmptyMapStaysEmpty) {
    KeyMap::Save(profile, {}, false);
    EXPECT_FALSE(KeyMap::InitializeIfFresh(profile));
    KeyMap map;
    map.Load(profile);
    EXPECT_TRUE(map.Empty());
    EXPECT_FALSE(map.ContKeyMap());
}

TEST_F(KeyMapTest, SaveAndLoadRoundTrip) {
    const std::vector<KeyMapEntry> entries{{13, 0, 0}, {13, 1, 24}, {200, 0, 21}, {38, 0, 9}};
    KeyMap::Save(profile, entries, true);
    EXPECT_EQ(profile.GetProfileInt(kKeySection, u"KeyMapInit", 0), 1);
    EXPECT_EQ(profile.GetProfileInt(kKeySection, u"ContKeyMap", 0), 1);

    const std::vector<KeyMapEntry> read = KeyMap::ReadEntries(profile);
    ASSERT_EQ(read.size(), entries.size());
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].keyCode, entries[i].keyCode);
        EXPECT_EQ(read[i].dbl, entries[i].dbl);
        EXPECT_EQ(read[i].functionIndex, entries[i].functionIndex);
    }

    KeyMap map;
    map.Load(profile);
    EXPECT_EQ(map.Find(13, false), KeyFunctions::kPlay);
    EXPECT_EQ(map.Find(13, true), KeyFunctions::kShuffle);
    EXPECT_TRUE(map.HasDouble(13));
    EXPECT_FALSE(map.HasDouble(38));
    EXPECT_EQ(map.KeysMappedTo(KeyFunctions::kActivate), std::vector<uint16_t>{200});
    EXPECT_EQ(map.MappedKeys(), (std::vector<uint16_t>{13, 38, 200}));

    // A shorter save leaves the old tail in the store, where it is not read.
    KeyMap::Save(profile, {{39, 0, 6}}, false);
    EXPECT_TRUE(Has(kKeyCodeFormat, 3));
    map.Load(profile);
    EXPECT_EQ(map.Size(), 1u);
    EXPECT_EQ(map.Find(39, false), KeyFunctions::kNextTrack);
    EXPECT_FALSE(map.Find(13, false));
}

TEST_F(KeyMapTest, LoadTakesEntriesUnvalidatedAndLaterOnesWin) {
    profile.WriteProfileInt(kKeySection, u"KeyMapCnt", 3);
    Write(kKeyCodeFormat, 0, 40);
    Write(kFuncCodeFormat, 0, 1);
    Write(kKeyCodeFormat, 1, 40);
    Write(kFuncCodeFormat, 1, 2);
    // Entry 2 has no values at all: key -1, function -1.
    KeyMap map;
    map.Load(profile);
    EXPECT_EQ(map.Find(40, false), KeyFunctions::kPause);
    EXPECT_EQ(map.Find(0xFFFF, false), KeyFunctions::kFirstCode - 1);
    EXPECT_EQ(map.Size(), 2u);

    // The page lists only entries with both key and function set.
    EXPECT_EQ(KeyMap::ReadEntries(profile).size(), 2u);
}

TEST_F(KeyMapTest, BrokenCountsAreBounded) {
    profile.WriteProfileInt(kKeySection, u"KeyMapCnt", -5);
    KeyMap map;
    map.Load(profile);
    EXPECT_TRUE(map.Empty());

    profile.WriteProfileInt(kKeySection, u"KeyMapCnt", 2000000000);
    Write(kKeyCodeFormat, 0, 13);
    Write(kFuncCodeFormat, 0, 3);
    map.Load(profile);
    EXPECT_EQ(map.Find(13, false), KeyFunctions::kPlayStop);
    EXPECT_EQ(map.Size(), 2u); // entry 0 and the absent entries, which all land on key -1
}

TEST_F(KeyMapTest, InitializationClearsStaleDoubleFlags) {
    KeyMap::Save(profile, {{13, 1, 0}, {38, 1, 1}}, true);
    KeyMap::WriteDefault(profile);
    EXPECT_FALSE(Has(kDblClickFormat, 0));
    EXPECT_FALSE(Has(kDblClickFormat, 1));
    KeyMap map;
    map.Load(profile);
    EXPECT_EQ(map.Find(13, false), KeyFunctions::kNextTrack);
    EXPECT_FALSE(map.Find(13, true));
}

TEST(KeyNamesTest, NamesAndUnknownKeys) {
    const KeyNames names;
    EXPECT_EQ(names.Name(13), u"Action");
    EXPECT_EQ(names.Name(39), u"Right");
    EXPECT_EQ(names.Name(199), u"Button7");
    EXPECT_EQ(names.Name(181), u"Remote6");
    EXPECT_EQ(names.Name(243), u"Remote7");
    EXPECT_EQ(names.Name(205), u"Remote4");
    EXPECT_EQ(names.Name(142), u"Remote1");
    EXPECT_EQ(names.Name(140), u"Remote5");
    EXPECT_EQ(names.Name(136), u"Remote7");
    EXPECT_EQ(names.Name(112), u"Remote1");
    EXPECT_EQ(names.Name(200), u"Unknown200");
    EXPECT_EQ(names.Name(-1), u"Unknown-1");
    // A desktop keyboard's keys outside the table show their key caps but stay out of it.
    EXPECT_EQ(names.Name(32), u"Space");
    EXPECT_EQ(names.Name('Q'), u"Q");
    EXPECT_EQ(names.Name('7'), u"7");
    EXPECT_EQ(names.Name(0x69), u"Num9");
    EXPECT_EQ(names.Name(116), u"F5");
    EXPECT_EQ(names.Name(135), u"F24");
    EXPECT_EQ(names.Name(173), u"Mute");
    EXPECT_EQ(names.Name(175), u"VolumeUp");
    EXPECT_EQ(names.Name(0xDC), u"\\");
    EXPECT_EQ(names.Name(0xE0), u"Unknown224");
    EXPECT_FALSE(names.Contains(32));
    EXPECT_FALSE(names.Contains(173));
    EXPECT_FALSE(names.Contains(200));
    EXPECT_FALSE(names.Contains(116));
    EXPECT_TRUE(names.Contains(115));
    EXPECT_EQ(names.Keys().size(), 5u + 7u + 6u + 7u + 4u + 7u + 4u);
}

TEST(KeyFunctionsTest, NamesByIndex) {
    EXPECT_EQ(KeyFunctions::Name(11).English(), u"Repeat Section (A<->B)");
    EXPECT_EQ(KeyFunctions::Name(10), UI_TEXT("KeyFunctions", "Volume Down"));
    EXPECT_TRUE(KeyFunctions::Name(26).Empty());
    EXPECT_TRUE(KeyFunctions::Name(-1).Empty());
    EXPECT_EQ(KeyFunctions::IndexOfName(u"Shuffle On/Off"), 24);
    EXPECT_EQ(KeyFunctions::IndexOfName(u"no such function"), 0);
    EXPECT_EQ(KeyFunctions::CodeOf(21), KeyFunctions::kActivate);
}

} // namespace
