#pragma once

#include "effects/ui/EffectsPage.h"
#include "engine/core/PlayerTypes.h"

#include <array>
#include <cstdint>

class EffectControls;
class QCheckBox;
class QPushButton;
class QSlider;
class ReverbPage;

// "Equalizer": the built-in engine's ten bands, "Low" on the left to "High" on the right, each
// 0..64 with the mark at 31 (flat) and the strongest boost at the top; "Enable" and "Flat".
// Moving a band sets the preamp back to flat.
class EqualizerPage : public EffectsPage {
    Q_OBJECT
public:
    // `engine` may be null; `reverb` (which shows the preamp) too.
    EqualizerPage(EffectControls* engine, ReverbPage* reverb, QWidget* parent = nullptr);

    void Restore() override;
    // A preset's values: shown only (the preset sets the engine's record itself).
    void ShowValues(bool enabled, const std::array<int32_t, 10>& bands);

    QCheckBox* EnableBox() const { return m_enable; }
    QSlider* Band(int band) const { return m_bands[band]; }
    QPushButton* FlatButton() const { return m_flat; }

private:
    void ApplyBands();
    void ApplyEnable();
    void MakeFlat();

    EffectControls* m_engine;
    ReverbPage* m_reverb;
    EqualizerParams m_kept;
    QCheckBox* m_enable;
    QPushButton* m_flat;
    std::array<QSlider*, 10> m_bands{};
};
