#include "playback/EngineEffectControls.h"

#include "engine/player/PlayerApi.h"

EffectParams EngineEffectControls::Effect(EffectKind kind) {
    EffectParams params;
    PlayerGetEffect(m_player, kind, &params);
    return params;
}

void EngineEffectControls::SetEffect(EffectKind kind, const EffectParams& params) {
    PlayerSetEffect(m_player, kind, &params);
}

int32_t EngineEffectControls::BassBoost() {
    return PlayerGetBassBoost(m_player);
}

void EngineEffectControls::SetBassBoost(int32_t level) {
    PlayerSetBassBoost(m_player, level);
}

EffectControls::Preamp EngineEffectControls::GetPreamp() {
    const EqualizerParams equalizer = Equalizer();
    return {equalizer.enabled, 64 - equalizer.preamp};
}

void EngineEffectControls::SetPreamp(const Preamp& preamp) {
    EqualizerParams equalizer = Equalizer();
    equalizer.enabled = preamp.enabled;
    equalizer.preamp = 64 - preamp.position;
    SetEqualizer(equalizer);
}

EqualizerParams EngineEffectControls::Equalizer() {
    EqualizerParams equalizer;
    PlayerGetEqualizer(m_player, &equalizer);
    return equalizer;
}

void EngineEffectControls::SetEqualizer(const EqualizerParams& equalizer) {
    PlayerSetEqualizer(m_player, &equalizer);
}
