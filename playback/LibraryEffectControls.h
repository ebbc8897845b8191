#pragma once

#include "playback/EffectControls.h"

class LibraryEffects;

// The run-time library's effect objects on its mix.
class LibraryEffectControls : public EffectControls {
public:
    explicit LibraryEffectControls(LibraryEffects& effects) : m_effects(effects) {}

    EffectParams Effect(EffectKind kind) override;
    void SetEffect(EffectKind kind, const EffectParams& params) override;
    int32_t BassBoost() override;
    void SetBassBoost(int32_t level) override;
    Preamp GetPreamp() override;
    void SetPreamp(const Preamp& preamp) override;
    EqualizerParams Equalizer() override { return {}; }
    void SetEqualizer(const EqualizerParams&) override {}

private:
    LibraryEffects& m_effects;
};
