#include "settings/Settings.h"

#include "platform/Profile.h"
#include "platform/Registry.h"

#include "tests/TempFolder.h"

#include <gtest/gtest.h>

using namespace setting;

namespace {

// Records the order of writes while storing them for real.
class RecordingProfile : public Profile {
public:
    using Profile::Profile;
    std::vector<std::u16string> written;

    bool WriteProfileInt(std::u16string_view section, std::u16string_view entry,
                         int32_t value) override {
        written.emplace_back(entry);
        return Profile::WriteProfileInt(section, entry, value);
    }
    bool WriteProfileString(std::u16string_view section, std::u16string_view entry,
                            std::u16string_view value) override {
        written.emplace_back(entry);
        return Profile::WriteProfileString(section, entry, value);
    }
};

class SettingsTest : public ::testing::Test {
protected:
    TempFolder folder;
    Registry reg{folder / "registry.db"};
    RecordingProfile profile{reg, kRegistryKeyWord, kProfileName};

    bool Has(const char16_t* name) {
        return reg.QueryValue(HKEY_CURRENT_USER, profile.SectionKey(kSettings), name).has_value();
    }
};

TEST_F(SettingsTest, VolumeAndRangeFollowTheirReadRules) {
    EXPECT_EQ(Settings::VolumeRange(profile), 100);
    EXPECT_EQ(Settings::Volume(profile, 100), 50);

    Settings::Set(profile, kVolume, 80);
    Settings::Set(profile, kVolumeRange, 50);
    const int32_t range = Settings::VolumeRange(profile);
    EXPECT_EQ(range, 50);
    EXPECT_EQ(Settings::Volume(profile, range), 5);

    Settings::Set(profile, kVolumeRange, 5);
    EXPECT_EQ(Settings::VolumeRange(profile), 10);
    Settings::Set(profile, kVolumeRange, 500);
    EXPECT_EQ(Settings::VolumeRange(profile), 100);

    Settings::Set(profile, kVolume, -7); // a broken stored value starts muted, not negative
    EXPECT_EQ(Settings::Volume(profile, 100), 0);
}

TEST_F(SettingsTest, WidcommStackModeForcesTheBuiltInEngine) {
    EXPECT_FALSE(Settings::WidcommStackMode(reg));
    EXPECT_EQ(Settings::AudioStartupUseDefaultDecoder(profile, reg), 1);
    EXPECT_FALSE(Has(kUseDefaultDecoder.name)); // nothing written outside stack mode

    reg.SetString(HKEY_LOCAL_MACHINE, kWidcommKey, kWidcommStackMode, u"1");
    EXPECT_FALSE(Settings::WidcommStackMode(reg)); // wrong type
    reg.SetNumber(HKEY_LOCAL_MACHINE, kWidcommKey, kWidcommStackMode, 0);
    EXPECT_FALSE(Settings::WidcommStackMode(reg));

    reg.SetNumber(HKEY_LOCAL_MACHINE, kWidcommKey, kWidcommStackMode, 2);
    Settings::Set(profile, kUseDefaultDecoder, 1);
    EXPECT_TRUE(Settings::WidcommStackMode(reg));
    EXPECT_EQ(Settings::AudioStartupUseDefaultDecoder(profile, reg), 0);
    EXPECT_EQ(Settings::Get(profile, kUseDefaultDecoder), 0);
}

ExitSettings SampleExit() {
    ExitSettings exit;
    exit.systemVolume = 0xCCCCCCCC;
    exit.volume = 33;
    exit.lastPath = u"/music";
    exit.shuffle = 1;
    exit.repeat = 0;
    exit.repeatType = 1;
    exit.alwaysOnTop = 1;
    exit.buttonMode = 0;
    exit.enableFavorites = 1;
    exit.curPlayFilePath = u"/music/a.mp3";
    exit.curPlayPos = 12345;
    exit.curIndex = 4;
    exit.lyricsSync = -3;
    return exit;
}

TEST_F(SettingsTest, ExitWritesInOrderWithResumeValues) {
    ExitSettings exit = SampleExit();
    exit.resume = 1;
    exit.keepLyricsSync = 1;
    exit.useDefaultDecoder = 0;
    Settings::WriteAtExit(profile, exit);

    const std::vector<std::u16string> head(profile.written.begin(), profile.written.begin() + 14);
    EXPECT_EQ(head,
              (std::vector<std::u16string>{u"SystemVolume", u"Volume", u"LastPath", u"Shuffle",
                                           u"Repeat", u"RepeatType", u"AlwaysOnTop", u"ButtonMode",
                                           u"EnableFavorites", u"KeepLyricsSync", u"LyricsSync",
                                           u"CurPlayFilePath", u"CurPlayPos", u"CurIndex"}));
    EXPECT_EQ(profile.written[14], u"BaseBoostStatus");
    EXPECT_EQ(profile.written.size(), 14u + 25u); // all effect values, equalizer included
    EXPECT_EQ(static_cast<uint32_t>(profile.GetProfileInt(kSettings, kSystemVolume, 0)),
              0xCCCCCCCCu);
    EXPECT_EQ(Settings::Get(profile, kCurPlayFilePath), u"/music/a.mp3");
    EXPECT_EQ(Settings::Get(profile, kCurPlayPos), 12345);
    EXPECT_EQ(Settings::LyricsSync(profile), -3);
}

TEST_F(SettingsTest, ExitWithoutResumeClearsThePositionAndKeepsThePath) {
    Settings::Set(profile, kCurPlayFilePath, u"/music/old.mp3");
    Settings::Set(profile, kLyricsSync, 9);
    ExitSettings exit = SampleExit();
    exit.resume = 0;
    exit.keepLyricsSync = 0;
    Settings::WriteAtExit(profile, exit);

    EXPECT_EQ(Settings::Get(profile, kCurPlayFilePath), u"/music/old.mp3");
    EXPECT_EQ(Settings::Get(profile, kCurPlayPos), 0);
    EXPECT_EQ(Settings::Get(profile, kCurIndex), 0);
    // "LyricsSync" is neither written nor read while "KeepLyricsSync" is 0.
    EXPECT_EQ(std::count(profile.written.begin(), profile.written.end(), u"LyricsSync"), 1);
    EXPECT_EQ(Settings::Get(profile, kLyricsSync), 9);
    EXPECT_EQ(Settings::LyricsSync(profile), 0);
}

TEST_F(SettingsTest, EqualizerIsWrittenOnlyFromTheBuiltInEngine) {
    EffectSettings e;
    e.eqStatus = 1;
    e.eqRate[3] = 50;
    Settings::WriteEffects(profile, e, 1);
    EXPECT_FALSE(Has(u"EqStatus"));
    EXPECT_FALSE(Has(u"EqRate3"));
    EXPECT_TRUE(Has(u"AmplifyRate"));
    EXPECT_TRUE(Has(u"EchoRate"));
    Settings::WriteEffects(profile, e, 0);
    EXPECT_EQ(Settings::ReadEffects(profile).eqRate[3], 50);
    EXPECT_EQ(Settings::ReadEffects(profile).eqStatus, 1);
}

TEST_F(SettingsTest, EffectsTravelToTheEngineAndBack) {
    EffectSettings stored = Settings::ReadEffects(profile);
    EXPECT_EQ(stored.surroundValue, 10);
    EXPECT_EQ(stored.reverbDelay, 100);
    EXPECT_EQ(stored.eqRate[9], 31);

    stored.amplifyStatus = 1;
    stored.amplifyRate = 20;
    stored.eqStatus = 0; // read, but the engine's equalizer follows "AmplifyStatus"
    stored.bassBoostStatus = 0;
    stored.bassBoostValue = 7;
    stored.echoStatus = 1;
    stored.echoDelay = 300;
    const EngineEffects engine = Settings::ToEngine(stored);
    EXPECT_EQ(engine.eqEnabled, 1);
    EXPECT_EQ(engine.eqPreamp, 44);
    EXPECT_EQ(engine.bassBoost, 0); // off unless "BaseBoostStatus" is 1
    EXPECT_EQ(engine.surround.delay, 0);
    EXPECT_EQ(engine.surround.rate, 10);
    EXPECT_EQ(engine.echo.delay, 300);

    EngineEffects changed = engine;
    changed.eqEnabled = 0;
    changed.eqPreamp = 60;
    changed.bassBoost = 3;
    const EffectSettings back = Settings::FromEngine(changed, stored);
    EXPECT_EQ(back.eqStatus, 0);
    EXPECT_EQ(back.amplifyStatus, 0);
    EXPECT_EQ(back.amplifyRate, 4);
    EXPECT_EQ(back.bassBoostStatus, 1);
    EXPECT_EQ(back.bassBoostValue, 3);
    EXPECT_EQ(back.echoDelay, 300);
}

TEST_F(SettingsTest, FontsLanguageAndIndexedNames) {
    EXPECT_EQ(Settings::IndexedName(kFontNameFormat, 3), u"FontName03");
    EXPECT_EQ(Settings::IndexedName(kKeyCodeFormat, 12), u"KeyCode12");
    EXPECT_EQ(Settings::Font(profile, 0).color, 0xFFFFFFu);
    EXPECT_EQ(Settings::Font(profile, 4).color, 0x00FFFFu);
    EXPECT_EQ(Settings::Font(profile, 5).color, 0x00FF00u);
    EXPECT_EQ(Settings::Font(profile, 6).face, u"Tahoma");
    EXPECT_EQ(Settings::Font(profile, 6).height, -24);
    profile.WriteProfileInt(kSettings, u"FontStyle02", 1 | 4);
    const FontSetting font = Settings::Font(profile, 2);
    EXPECT_EQ(font.Weight(), 700);
    EXPECT_TRUE(font.Italic());
    EXPECT_FALSE(font.Underline());

    EXPECT_EQ(Settings::UiLanguage(profile, 1033), 1033);
    EXPECT_EQ(Settings::UiLanguage(profile, 1042), 1042);
    profile.WriteProfileInt(kSettings, kLangID, 1033);
    EXPECT_EQ(Settings::UiLanguage(profile, 1042), 1033);
    profile.WriteProfileInt(kSettings, kLangID, 1042);
    EXPECT_EQ(Settings::UiLanguage(profile, 1031), 1031); // read only on a Korean system
}

} // namespace
