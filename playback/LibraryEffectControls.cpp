#include "playback/LibraryEffectControls.h"

#include "playback/LibraryEffects.h"

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
