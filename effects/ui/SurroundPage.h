#pragma once

#include "effects/ui/EffectsPage.h"
#include "engine/core/PlayerTypes.h"

#include <cstdint>

class EffectControls;
class QCheckBox;
class QSlider;

// "Surround / BassBoost": surround and 3D chorus (on, 1..10 for a rate of 10 × position) and the
// bass boost level (0..20; always on, its box can't be changed).
class SurroundPage : public EffectsPage {
    Q_OBJECT
public:
    // `effects` may be null (the page then shows the defaults and sets nothing).
    SurroundPage(EffectControls* effects, QWidget* parent = nullptr);

    void Restore() override;
    // A preset's values: shown and applied.
    void SetSurround(int32_t enabled, int position);
    void SetChorus(int32_t enabled, int position);
    void SetBassBoost(int level);

    QCheckBox* SurroundBox() const { return m_surroundBox; }
    QSlider* SurroundSlider() const { return m_surround; }
    QCheckBox* ChorusBox() const { return m_chorusBox; }
    QSlider* ChorusSlider() const { return m_chorus; }
    QSlider* BassSlider() const { return m_bass; }

private:
    void ApplySurround();
    void ApplyChorus();
    void ApplyBassBoost();

    EffectControls* m_effects;
    EffectParams m_keptSurround, m_keptChorus;
    int32_t m_keptBass = 0;
    QCheckBox* m_surroundBox;
    QSlider* m_surround;
    QCheckBox* m_chorusBox;
    QSlider* m_chorus;
    QCheckBox* m_bassBox;
    QSlider* m_bass;
};
