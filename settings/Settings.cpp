#include "settings/Settings.h"

#include "platform/Profile.h"
#include "platform/Registry.h"

#include <algorithm>
#include <cstdio>

using namespace setting;

int32_t Settings::Get(Profile& profile, const NumberSetting& value) {
    return profile.GetProfileInt(kSettings, value.name, value.defaultValue);
}

std::u16string Settings::Get(Profile& profile, const TextSetting& value) {
    return profile.GetProfileString(kSettings, value.name, value.defaultValue);
}

bool Settings::Set(Profile& profile, const NumberSetting& value, int32_t number) {
    return profile.WriteProfileInt(kSettings, value.name, number);
}

bool Settings::Set(Profile& profile, const TextSetting& value, std::u16string_view text) {
    return profile.WriteProfileString(kSettings, value.name, text);
}

int32_t Settings::VolumeRange(Profile& profile) {
    return std::clamp(Get(profile, kVolumeRange), kVolumeRangeMin, kVolumeRangeMax);
}

int32_t Settings::Volume(Profile& profile, int32_t volumeRange) {
    const int32_t volume = Get(profile, kVolume);
    if (volume > volumeRange)
        return volumeRange / 10;
    return std::max(volume, 0);
}

int32_t Settings::LyricsSync(Profile& profile) {
    return Get(profile, kKeepLyricsSync) == 1 ? Get(profile, kLyricsSync) : 0;
}

int32_t Settings::UiLanguage(Profile& profile, int32_t systemLanguage) {
    if (systemLanguage != kLangKorean)
        return systemLanguage;
    return profile.GetProfileInt(kSettings, kLangID, systemLanguage);
}

FontSetting Settings::Font(Profile& profile, int slot) {
    int32_t color = kFontColorDefault;
    if (slot == 4)
        color = kFontColorDefaultSlot4;
    else if (slot == 5)
        color = kFontColorDefaultSlot5;
    FontSetting font;
    font.face =
        profile.GetProfileString(kSettings, IndexedName(kFontNameFormat, slot), kFontNameDefault);
    font.style =
        profile.GetProfileInt(kSettings, IndexedName(kFontStyleFormat, slot), kFontStyleDefault);
    font.color = static_cast<uint32_t>(
        profile.GetProfileInt(kSettings, IndexedName(kFontColorFormat, slot), color));
    font.height =
        profile.GetProfileInt(kSettings, IndexedName(kFontHeightFormat, slot), kFontHeightDefault);
    return font;
}

bool Settings::WidcommStackMode(Registry& registry) {
    if (!registry.KeyExists(HKEY_LOCAL_MACHINE, kWidcommKey))
        return false;
    const auto value = registry.QueryValue(HKEY_LOCAL_MACHINE, kWidcommKey, kWidcommStackMode);
    return value && value->type == REG_DWORD && value->number != 0;
}

int32_t Settings::AudioStartupUseDefaultDecoder(Profile& profile, Registry& registry) {
    if (WidcommStackMode(registry)) {
        Set(profile, kUseDefaultDecoder, 0);
        return 0;
    }
    return Get(profile, kUseDefaultDecoder);
}

namespace {

// The effect values in the order they are written; the equalizer's rates follow "EqStatus".
struct EffectField {
    const NumberSetting& setting;
    int32_t EffectSettings::*member;
};
const EffectField kEffectFields[] = {
    {kBaseBoostStatus, &EffectSettings::bassBoostStatus},
    {kBaseBoostValue, &EffectSettings::bassBoostValue},
    {kSurroundStatus, &EffectSettings::surroundStatus},
    {kSurroundValue, &EffectSettings::surroundValue},
    {k3DChorusStatus, &EffectSettings::chorusStatus},
    {k3DChorusValue, &EffectSettings::chorusValue},
    {kAmplifyStatus, &EffectSettings::amplifyStatus},
    {kAmplifyRate, &EffectSettings::amplifyRate},
    {kEqStatus, &EffectSettings::eqStatus},
    {kReverbStatus, &EffectSettings::reverbStatus},
    {kReverbDelay, &EffectSettings::reverbDelay},
    {kReverbRate, &EffectSettings::reverbRate},
    {kEchoStatus, &EffectSettings::echoStatus},
    {kEchoDelay, &EffectSettings::echoDelay},
    {kEchoRate, &EffectSettings::echoRate},
};

} // namespace

EffectSettings Settings::ReadEffects(Profile& profile) {
    EffectSettings e;
    for (const EffectField& field : kEffectFields)
        e.*field.member = Get(profile, field.setting);
    for (int i = 0; i < 10; ++i)
        e.eqRate[i] = profile.GetProfileInt(kSettings, kEqRate[i], kEqRateDefault);
    return e;
}

void Settings::WriteEffects(Profile& profile, const EffectSettings& e, int32_t useDefaultDecoder) {
    const bool writeEqualizer = useDefaultDecoder != 1;
    for (const EffectField& field : kEffectFields) {
        const bool equalizer = &field.setting == &kEqStatus;
        if (equalizer && !writeEqualizer)
            continue;
        Set(profile, field.setting, e.*field.member);
        if (equalizer)
            for (int i = 0; i < 10; ++i)
                profile.WriteProfileInt(kSettings, kEqRate[i], e.eqRate[i]);
    }
}

EngineEffects Settings::ToEngine(const EffectSettings& e) {
    EngineEffects engine;
    engine.eqEnabled = e.amplifyStatus; // "EqStatus" is read but takes no part
    engine.eqPreamp = 64 - e.amplifyRate;
    engine.eqBands = e.eqRate;
    engine.bassBoost = e.bassBoostStatus == 1 ? e.bassBoostValue : 0;
    engine.surround = {e.surroundStatus, 0, e.surroundValue};
    engine.chorus = {e.chorusStatus, 0, e.chorusValue};
    engine.reverb = {e.reverbStatus, e.reverbDelay, e.reverbRate};
    engine.echo = {e.echoStatus, e.echoDelay, e.echoRate};
    return engine;
}

EffectSettings Settings::FromEngine(const EngineEffects& engine, const EffectSettings& stored) {
    EffectSettings e = stored;
    e.eqStatus = engine.eqEnabled;
    e.amplifyStatus = engine.eqEnabled;
    e.amplifyRate = 64 - engine.eqPreamp;
    e.eqRate = engine.eqBands;
    e.bassBoostStatus = 1;
    e.bassBoostValue = engine.bassBoost;
    e.surroundStatus = engine.surround.enabled;
    e.surroundValue = engine.surround.rate;
    e.chorusStatus = engine.chorus.enabled;
    e.chorusValue = engine.chorus.rate;
    e.reverbStatus = engine.reverb.enabled;
    e.reverbDelay = engine.reverb.delay;
    e.reverbRate = engine.reverb.rate;
    e.echoStatus = engine.echo.enabled;
    e.echoDelay = engine.echo.delay;
    e.echoRate = engine.echo.rate;
    return e;
}

void Settings::WriteAtExit(Profile& profile, const ExitSettings& exit) {
    profile.WriteProfileInt(kSettings, kSystemVolume, static_cast<int32_t>(exit.systemVolume));
    Set(profile, kVolume, exit.volume);
    Set(profile, kLastPath, exit.lastPath);
    Set(profile, kShuffle, exit.shuffle);
    Set(profile, kRepeat, exit.repeat);
    Set(profile, kRepeatType, exit.repeatType);
    Set(profile, kAlwaysOnTop, exit.alwaysOnTop);
    Set(profile, kButtonMode, exit.buttonMode);
    Set(profile, kEnableFavorites, exit.enableFavorites);
    Set(profile, kKeepLyricsSync, exit.keepLyricsSync);
    if (exit.keepLyricsSync == 1)
        Set(profile, kLyricsSync, exit.lyricsSync);
    if (exit.resume == 1) {
        Set(profile, kCurPlayFilePath, exit.curPlayFilePath);
        Set(profile, kCurPlayPos, exit.curPlayPos);
        Set(profile, kCurIndex, exit.curIndex);
    } else {
        Set(profile, kCurPlayPos, 0);
        Set(profile, kCurIndex, 0);
    }
    WriteEffects(profile, exit.effects, exit.useDefaultDecoder);
}

std::u16string Settings::IndexedName(const char* format, int index) {
    char name[64];
    std::snprintf(name, sizeof name, format, index);
    return std::u16string(name, name + std::char_traits<char>::length(name));
}
