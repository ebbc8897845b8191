#include "effects/EffectPreset.h"
#include "effects/EffectTable.h"
#include "platform/TextCodec.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Wide(const std::string& text) {
    return TextCodec::Utf8ToUtf16(text);
}

const char kFull[] = "[Sonvale Equalizer]\nEnable=1\n0=10\n1=20\n2=30\n3=31\n4=32\n5=33\n6=34\n"
                     "7=35\n8=36\n9=60\nPreamp=20\n"
                     "[Sonvale BassBoost]\nRate=7\n"
                     "[Sonvale Surround]\nEnable=1\nRate=45\n"
                     "[Sonvale 3D Chorus]\nEnable=0\nRate=100\n"
                     "[Sonvale Reverb]\nEnable=1\nDelay=150\nRate=99\n"
                     "[Sonvale Echo]\nEnable=1\nDelay=75\nRate=21\n";

} // namespace

// Positions and effect values both ways, as the sliders and the stored values meet.
TEST(EffectTableTest, PositionsAndValues) {
    EXPECT_EQ(EffectTable::DelayOf(4), 150);
    EXPECT_EQ(EffectTable::DelayRateOf(4), 28);
    EXPECT_EQ(EffectTable::DelayRateOf(6), 32);
    EXPECT_EQ(EffectTable::DelayPosition(150), 4);
    EXPECT_EQ(EffectTable::DelayPosition(174), 4);  // integer division
    EXPECT_EQ(EffectTable::DelayPosition(1000), 6); // held to the slider
    EXPECT_EQ(EffectTable::RatePosition(45), 4);
    EXPECT_EQ(EffectTable::RateOf(EffectTable::RatePosition(45)), 40);
    EXPECT_EQ(EffectTable::RatePosition(0), 1);
    EXPECT_EQ(EffectTable::PreampLevelOf(33), 31);
    EXPECT_EQ(EffectTable::PreampPosition(31), 33);
    EXPECT_EQ(EffectTable::PreampPosition(0), 61);
    EXPECT_EQ(EffectTable::BassPosition(25), 20);
}

// A full preset under all flags: the equalizer with its preamp, surround rounded down to its
// position, reverb and echo at the table's rate whatever the file says.
TEST(EffectPresetTest, AppliesTheTableToAFullPreset) {
    TempFolder folder;
    const auto preset = EffectPreset::Read(Wide(folder.Write("full.gpe", kFull)), PresetFlags{});
    ASSERT_TRUE(preset);
    ASSERT_TRUE(preset->equalizer);
    EXPECT_EQ(preset->equalizer->enabled, 1);
    EXPECT_EQ(preset->equalizer->preamp, 20);
    EXPECT_EQ(preset->equalizer->bands[0], 10);
    EXPECT_EQ(preset->equalizer->bands[9], 60);
    EXPECT_EQ(preset->bassBoost, 7);
    ASSERT_TRUE(preset->surround && preset->chorus && preset->reverb && preset->echo);
    EXPECT_EQ(preset->surround->position, 4);
    EXPECT_EQ(preset->surround->rate, 40);
    EXPECT_EQ(preset->chorus->enabled, 0);
    EXPECT_EQ(preset->chorus->position, 10);
    EXPECT_EQ(preset->reverb->position, 4);
    EXPECT_EQ(preset->reverb->delay, 150);
    EXPECT_EQ(preset->reverb->rate, 28);
    EXPECT_EQ(preset->echo->position, 1);
    EXPECT_EQ(preset->echo->rate, 22);

    EXPECT_FALSE(EffectPreset::Read(Wide(folder / "missing.gpe"), PresetFlags{}));
}

// Flags off and sections missing or incomplete leave those effects out; the preamp without its
// flag is flat.
TEST(EffectPresetTest, FlagsAndIncompleteSectionsLeaveEffectsOut) {
    TempFolder folder;
    PresetFlags flags;
    flags.preamp = flags.surround = flags.echo = false;
    const auto some = EffectPreset::Read(Wide(folder.Write("full.gpe", kFull)), flags);
    ASSERT_TRUE(some && some->equalizer);
    EXPECT_EQ(some->equalizer->preamp, 31);
    EXPECT_FALSE(some->surround);
    EXPECT_FALSE(some->echo);
    EXPECT_TRUE(some->chorus && some->reverb && some->bassBoost);

    std::string partial = kFull;
    partial.erase(partial.find("9=60\n"), 5);
    partial.erase(partial.find("Delay=150\n"), 10);
    const auto broken =
        EffectPreset::Read(Wide(folder.Write("partial.gpe", partial)), PresetFlags{});
    ASSERT_TRUE(broken);
    EXPECT_FALSE(broken->equalizer); // no band 9: nothing of the equalizer
    EXPECT_FALSE(broken->reverb);
    EXPECT_TRUE(broken->echo);
}

// Names of any case are listed in lower case without the extension, each file by its own path;
// saved values read back.
TEST(EffectPresetTest, ListsFilesOfAnyCaseAndWritesPresets) {
    TempFolder folder;
    folder.Write("ROCK.GPE", kFull);
    folder.Write("Jazz.gpe", kFull);
    folder.Write("notes.txt", "x");
    const auto entries = EffectPreset::List(Wide(folder.Path()));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, u"jazz");
    EXPECT_EQ(entries[1].name, u"rock");
    EXPECT_EQ(entries[1].path, Wide(folder / "ROCK.GPE"));
    EXPECT_TRUE(EffectPreset::Read(entries[1].path, PresetFlags{}));

    EffectPreset::Equalizer equalizer;
    equalizer.enabled = 1;
    equalizer.preamp = 25;
    equalizer.bands.fill(40);
    const std::u16string saved = Wide(folder / "saved.gpe");
    ASSERT_TRUE(EffectPreset::Write(saved, equalizer, 5, {1, 3, 0, 30}, {0, 2, 0, 20},
                                    {1, 2, 100, 24}, {0, 0, 50, 20}));
    const auto back = EffectPreset::Read(saved, PresetFlags{});
    ASSERT_TRUE(back && back->equalizer && back->surround && back->reverb);
    EXPECT_EQ(back->equalizer->preamp, 25);
    EXPECT_EQ(back->equalizer->bands[5], 40);
    EXPECT_EQ(back->bassBoost, 5);
    EXPECT_EQ(back->surround->position, 3);
    EXPECT_EQ(back->reverb->delay, 100);
}
