#pragma once

#include "engine/core/PlayerTypes.h"

#include <cstdint>

// The sound effects of one back end while music plays, as the effects sheet reads and sets them.
// Kinds are the engine's (reverb, echo, surround, 3D chorus).
class EffectControls {
public:
    // The preamp: on the built-in engine the equalizer's enabled word and 64 − its preamp level,
    // on the run-time library the amplifier's status and rate.
    struct Preamp {
        int32_t enabled = 0;
        int position = 0;
    };

    virtual ~EffectControls() = default;

    virtual EffectParams Effect(EffectKind kind) = 0;
    virtual void SetEffect(EffectKind kind, const EffectParams& params) = 0;
    virtual int32_t BassBoost() = 0;
    // On the run-time library the bass boost is switched on with it.
    virtual void SetBassBoost(int32_t level) = 0;
    virtual Preamp GetPreamp() = 0;
    virtual void SetPreamp(const Preamp& preamp) = 0;
    // The equalizer, which only the built-in engine has (the library answers a flat one).
    virtual EqualizerParams Equalizer() = 0;
    virtual void SetEqualizer(const EqualizerParams& equalizer) = 0;
};
