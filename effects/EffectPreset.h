#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Which effects a preset applies ("Settings\Presets"); the equalizer bands always.
struct PresetFlags {
    bool surround = true;
    bool chorus = true;
    bool bassBoost = true;
    bool reverb = true;
    bool echo = true;
    bool preamp = true;
};

// A ".gpe" effect preset: an INI document of decimal values in the sections "Sonvale Equalizer"
// ("Enable", "0".."9", "Preamp"), "Sonvale BassBoost" ("Rate"), "Sonvale Surround" and
// "Sonvale 3D Chorus" ("Enable", "Rate"), "Sonvale Reverb" and "Sonvale Echo" ("Enable",
// "Delay", "Rate"). Read returns what to apply under the flags, as slider positions and effect
// values; an effect whose section is missing or incomplete (or whose flag is off) is left out.
class EffectPreset {
public:
    struct Equalizer {
        int32_t enabled = 0;
        int32_t preamp = 31; // the engine's level: 31 unless the flag is on and the file has one
        std::array<int32_t, 10> bands{};
    };
    // Surround and 3D chorus: position 1..10, rate 10 × position. Reverb and echo: position
    // 0..6, delay and rate from the table (the file's "Rate" must be there but is not used).
    struct Effect {
        int32_t enabled = 0;
        int position = 0;
        int32_t delay = 0;
        int32_t rate = 0;
    };

    std::optional<Equalizer> equalizer;
    std::optional<int32_t> bassBoost;
    std::optional<Effect> surround, chorus, reverb, echo;

    // Nothing when the file does not load.
    static std::optional<EffectPreset> Read(const std::u16string& path, const PresetFlags& flags);

    // A preset file of the folder: its name as listed (lower case, without ".gpe") and its path
    // as it is on disk.
    struct Entry {
        std::u16string name;
        std::u16string path;
    };
    // The ".gpe" files (any case) directly in `folder`, by name.
    static std::vector<Entry> List(const std::u16string& folder);
    // Writes the values as a preset file (UTF-16 with a byte-order mark); false when it fails.
    static bool Write(const std::u16string& path, const Equalizer& equalizer, int32_t bassBoost,
                      const Effect& surround, const Effect& chorus, const Effect& reverb,
                      const Effect& echo);
};
