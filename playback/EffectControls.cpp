#include "playback/EffectControls.h"

#include "engine/player/PlayerApi.h"
#include "playback/LibraryEffects.h"

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

EffectParams LibraryEffectControls::Effect(EffectKind kind) {
    switch (kind) {
    case EffectReverb:
        return {m_effects.reverb.GetStatus(), m_effects.reverb.GetDelay(),
                m_effects.reverb.GetRate()};
    case EffectEcho:
        return {m_effects.echo.GetStatus(), m_effects.echo.GetDelay(), m_effects.echo.GetRate()};
    case EffectSurround:
        return {m_effects.surround.GetStatus(), 0, m_effects.surround.GetValue()};
    case Effect3DChorus:
        return {m_effects.chorus.GetStatus(), 0, m_effects.chorus.GetValue()};
    }
    return {};
}

void LibraryEffectControls::SetEffect(EffectKind kind, const EffectParams& params) {
    switch (kind) {
    case EffectReverb:
    case EffectEcho: {
        AudioEchoEffect& effect = kind == EffectReverb ? m_effects.reverb : m_effects.echo;
        effect.SetDelay(params.delay);
        effect.SetRate(params.rate);
        effect.SetStatus(params.enabled);
        break;
    }
    case EffectSurround:
        m_effects.surround.SetValue(params.rate);
        m_effects.surround.SetStatus(params.enabled);
        break;
    case Effect3DChorus:
        m_effects.chorus.SetValue(params.rate);
        m_effects.chorus.SetStatus(params.enabled);
        break;
    }
}

int32_t LibraryEffectControls::BassBoost() {
    return m_effects.bassBoost.GetLevel();
}

void LibraryEffectControls::SetBassBoost(int32_t level) {
    m_effects.bassBoost.SetLevel(level);
    m_effects.bassBoost.SetStatus(1);
}

EffectControls::Preamp LibraryEffectControls::GetPreamp() {
    return {m_effects.amplifier.GetStatus(), m_effects.amplifier.GetRate()};
}

void LibraryEffectControls::SetPreamp(const Preamp& preamp) {
    m_effects.amplifier.SetRate(preamp.position);
    m_effects.amplifier.SetStatus(preamp.enabled);
}
