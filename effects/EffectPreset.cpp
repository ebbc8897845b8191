#include "effects/EffectPreset.h"

#include "effects/EffectTable.h"
#include "platform/TextCodec.h"
#include "support/IniFile.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

constexpr char16_t kEqualizer[] = u"Sonvale Equalizer";
constexpr char16_t kBassBoost[] = u"Sonvale BassBoost";
constexpr char16_t kSurround[] = u"Sonvale Surround";
constexpr char16_t kChorus[] = u"Sonvale 3D Chorus";
constexpr char16_t kReverb[] = u"Sonvale Reverb";
constexpr char16_t kEcho[] = u"Sonvale Echo";

// Surround or 3D chorus: both "Enable" and "Rate".
std::optional<EffectPreset::Effect> ReadRate(const IniFile& ini, std::u16string_view section) {
    int enabled = 0, rate = 0;
    if (!ini.GetInt(section, u"Enable", enabled) || !ini.GetInt(section, u"Rate", rate))
        return std::nullopt;
    EffectPreset::Effect effect;
    effect.enabled = enabled;
    effect.position = EffectTable::RatePosition(rate);
    effect.rate = EffectTable::RateOf(effect.position);
    return effect;
}

// Reverb or echo: "Enable", "Delay" and "Rate"; the rate that counts is the table's.
std::optional<EffectPreset::Effect> ReadDelay(const IniFile& ini, std::u16string_view section) {
    int enabled = 0, delay = 0, rate = 0;
    if (!ini.GetInt(section, u"Enable", enabled) || !ini.GetInt(section, u"Delay", delay) ||
        !ini.GetInt(section, u"Rate", rate))
        return std::nullopt;
    EffectPreset::Effect effect;
    effect.enabled = enabled;
    effect.position = EffectTable::DelayPosition(delay);
    effect.delay = EffectTable::DelayOf(effect.position);
    effect.rate = EffectTable::DelayRateOf(effect.position);
    return effect;
}

std::u16string Number(int value) {
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

} // namespace

std::optional<EffectPreset> EffectPreset::Read(const std::u16string& path,
                                               const PresetFlags& flags) {
    IniFile ini;
    if (!ini.Load(path))
        return std::nullopt;
    EffectPreset preset;

    Equalizer equalizer;
    int value = 0;
    bool complete = ini.GetInt(kEqualizer, u"Enable", value);
    equalizer.enabled = value;
    for (int band = 0; complete && band < 10; ++band) {
        complete = ini.GetInt(kEqualizer, Number(band), value);
        equalizer.bands[band] = EffectTable::BandPosition(value);
    }
    if (complete) {
        if (flags.preamp && ini.GetInt(kEqualizer, u"Preamp", value))
            equalizer.preamp = value;
        preset.equalizer = equalizer;
    }

    if (flags.bassBoost && ini.GetInt(kBassBoost, u"Rate", value))
        preset.bassBoost = EffectTable::BassPosition(value);
    if (flags.surround)
        preset.surround = ReadRate(ini, kSurround);
    if (flags.chorus)
        preset.chorus = ReadRate(ini, kChorus);
    if (flags.reverb)
        preset.reverb = ReadDelay(ini, kReverb);
    if (flags.echo)
        preset.echo = ReadDelay(ini, kEcho);
    return preset;
}

std::vector<EffectPreset::Entry> EffectPreset::List(const std::u16string& folder) {
    std::vector<Entry> entries;
    std::error_code error;
    const std::filesystem::path root(TextCodec::Utf16ToUtf8(folder));
    for (std::filesystem::directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        if (!it->is_regular_file(error))
            continue;
        const std::u16string name =
            TextCodec::FoldCase(TextCodec::Utf8ToUtf16(it->path().filename().string()));
        if (name.size() <= 4 || name.compare(name.size() - 4, 4, u".gpe") != 0)
            continue;
        // The name is shown in lower case; the file is opened by its own name.
        entries.push_back(
            {name.substr(0, name.size() - 4), TextCodec::Utf8ToUtf16(it->path().string())});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.name < b.name || (a.name == b.name && a.path < b.path);
    });
    return entries;
}

bool EffectPreset::Write(const std::u16string& path, const Equalizer& equalizer, int32_t bassBoost,
                         const Effect& surround, const Effect& chorus, const Effect& reverb,
                         const Effect& echo) {
    IniFile ini;
    ini.SetInt(kEqualizer, u"Enable", equalizer.enabled);
    for (int band = 0; band < 10; ++band)
        ini.SetInt(kEqualizer, Number(band), equalizer.bands[band]);
    ini.SetInt(kEqualizer, u"Preamp", equalizer.preamp);
    ini.SetInt(kBassBoost, u"Rate", bassBoost);
    const auto rate = [&ini](std::u16string_view section, const Effect& effect) {
        ini.SetInt(section, u"Enable", effect.enabled);
        ini.SetInt(section, u"Rate", effect.rate);
    };
    const auto delay = [&ini](std::u16string_view section, const Effect& effect) {
        ini.SetInt(section, u"Enable", effect.enabled);
        ini.SetInt(section, u"Delay", effect.delay);
        ini.SetInt(section, u"Rate", effect.rate);
    };
    rate(kSurround, surround);
    rate(kChorus, chorus);
    delay(kReverb, reverb);
    delay(kEcho, echo);
    return ini.Save(path);
}
