#pragma once

#include "effects/ui/EffectsPage.h"
#include "engine/core/PlayerTypes.h"
#include "playback/EffectControls.h"

#include <cstdint>

class QCheckBox;
class QSlider;

// "Reverb / Echo": reverb and echo (on, 0..6 for a delay of 50 + 25 × position ms) and the
// preamp (on, 0..61): the engine's equalizer preamp or the run-time library's amplifier.
class ReverbPage : public EffectsPage {
    Q_OBJECT
public:
    // `effects` may be null (the page then shows the defaults and sets nothing).
    ReverbPage(EffectControls* effects, QWidget* parent = nullptr);

    void Restore() override;
    // A preset's values: shown and applied.
    void SetReverb(int32_t enabled, int position);
    void SetEcho(int32_t enabled, int position);
    // The equalizer's on and preamp as the equalizer page or a preset set them: shown only.
    void ShowPreamp(bool enabled, int position);

    QCheckBox* ReverbBox() const { return m_reverbBox; }
    QSlider* ReverbSlider() const { return m_reverb; }
    QCheckBox* EchoBox() const { return m_echoBox; }
    QSlider* EchoSlider() const { return m_echo; }
    QCheckBox* PreampBox() const { return m_preampBox; }
    QSlider* PreampSlider() const { return m_preamp; }

private:
    void ApplyDelay(EffectKind kind);
    void ApplyPreamp();

    EffectControls* m_effects;
    EffectParams m_keptReverb, m_keptEcho;
    EffectControls::Preamp m_keptPreamp;
    QCheckBox* m_reverbBox;
    QSlider* m_reverb;
    QCheckBox* m_echoBox;
    QSlider* m_echo;
    QCheckBox* m_preampBox;
    QSlider* m_preamp;
};
