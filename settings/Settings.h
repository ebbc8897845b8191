#pragma once

#include "settings/SettingNames.h"

#include <array>
#include <cstdint>
#include <string>

class Profile;
class Registry;

// The sound-effect values as stored.
struct EffectSettings {
    int32_t bassBoostStatus = setting::kBaseBoostStatus.defaultValue;
    int32_t bassBoostValue = setting::kBaseBoostValue.defaultValue;
    int32_t surroundStatus = setting::kSurroundStatus.defaultValue;
    int32_t surroundValue = setting::kSurroundValue.defaultValue;
    int32_t chorusStatus = setting::k3DChorusStatus.defaultValue;
    int32_t chorusValue = setting::k3DChorusValue.defaultValue;
    int32_t amplifyStatus = setting::kAmplifyStatus.defaultValue;
    int32_t amplifyRate = setting::kAmplifyRate.defaultValue;
    int32_t eqStatus = setting::kEqStatus.defaultValue;
    std::array<int32_t, 10> eqRate{31, 31, 31, 31, 31, 31, 31, 31, 31, 31};
    int32_t reverbStatus = setting::kReverbStatus.defaultValue;
    int32_t reverbDelay = setting::kReverbDelay.defaultValue;
    int32_t reverbRate = setting::kReverbRate.defaultValue;
    int32_t echoStatus = setting::kEchoStatus.defaultValue;
    int32_t echoDelay = setting::kEchoDelay.defaultValue;
    int32_t echoRate = setting::kEchoRate.defaultValue;
};

// What the built-in engine is given at audio start-up and hands back at shut-down.
struct EngineEffects {
    struct Effect {
        int32_t enabled = 0;
        int32_t delay = 0;
        int32_t rate = 0;
    };
    int32_t eqEnabled = 0;
    int32_t eqPreamp = 0;              // 0 .. 63; 64 - "AmplifyRate"
    std::array<int32_t, 10> eqBands{}; // 0 .. 63, 31 = 0 dB
    int32_t bassBoost = 0;             // 0 when bass boost is off
    Effect surround, chorus, reverb, echo;
};

// One display font slot.
struct FontSetting {
    std::u16string face;
    int32_t style = 0; // bit 1 bold, bit 2 underline, bit 4 italic, bit 8 ClearType
    uint32_t color = 0;
    int32_t height = 0;
    int Weight() const { return (style & 1) ? 700 : 400; }
    bool Underline() const { return (style & 2) != 0; }
    bool Italic() const { return (style & 4) != 0; }
    bool ClearType() const { return (style & 8) != 0; }
};

// What the view writes when the program exits.
struct ExitSettings {
    uint32_t systemVolume = 0;
    int32_t volume = 0;
    std::u16string lastPath;
    int32_t shuffle = 0;
    int32_t repeat = 0;
    int32_t repeatType = 0;
    int32_t alwaysOnTop = 0;
    int32_t buttonMode = 0;
    int32_t enableFavorites = 0;
    int32_t keepLyricsSync = 0;
    int32_t lyricsSync = 0;
    int32_t resume = 0; // "Resume" as read at view creation
    std::u16string curPlayFilePath;
    int32_t curPlayPos = 0;
    int32_t curIndex = 0;
    int32_t useDefaultDecoder = 1; // which back end the effect values come from
    EffectSettings effects;
};

// Typed access to the settings store, with the rules that apply when values are read.
class Settings {
public:
    static int32_t Get(Profile& profile, const NumberSetting& value);
    static std::u16string Get(Profile& profile, const TextSetting& value);
    static bool Set(Profile& profile, const NumberSetting& value, int32_t number);
    static bool Set(Profile& profile, const TextSetting& value, std::u16string_view text);

    // "VolumeRange", clamped to 10 .. 100.
    static int32_t VolumeRange(Profile& profile);
    // "Volume"; above the range it becomes range / 10, below 0 it becomes 0.
    static int32_t Volume(Profile& profile, int32_t volumeRange);
    // "LyricsSync", read only while "KeepLyricsSync" is 1; 0 otherwise.
    static int32_t LyricsSync(Profile& profile);
    // The UI language: "LangID" when the system language is Korean (1042), else the system's.
    static int32_t UiLanguage(Profile& profile, int32_t systemLanguage);
    // Font slot 0 .. 6.
    static FontSetting Font(Profile& profile, int slot);

    // The Widcomm Bluetooth stack mode: the key opens, "StackMode" is a non-zero number.
    static bool WidcommStackMode(Registry& registry);
    // "UseDefaultDecoder" at audio start-up: forced to 0, and written back, in stack mode.
    static int32_t AudioStartupUseDefaultDecoder(Profile& profile, Registry& registry);

    static EffectSettings ReadEffects(Profile& profile);
    // Writes the effect values; the equalizer's ("EqStatus", "EqRate0".."EqRate9") only when
    // they come from the built-in engine (useDefaultDecoder is not 1).
    static void WriteEffects(Profile& profile, const EffectSettings& effects,
                             int32_t useDefaultDecoder);
    // The engine's start-up record from stored values, and stored values from the engine's.
    static EngineEffects ToEngine(const EffectSettings& effects);
    static EffectSettings FromEngine(const EngineEffects& engine, const EffectSettings& stored);

    // The exit write sequence, in its order, ending with the effect values.
    static void WriteAtExit(Profile& profile, const ExitSettings& exit);

    // "FontName%02d" and the like: a format with one index, as a value name.
    static std::u16string IndexedName(const char* format, int index);
};
