#pragma once

#include "effects/ui/EffectsPage.h"

#include <memory>
#include <vector>

class QSlider;
class ToneMixer;

// "Mixer": the sound card's own tone controls ("3D", "Treble", "Bass"), each moved at once;
// Restore puts back what the page found. The sheet shows it only when the card has any.
class MixerPage : public EffectsPage {
    Q_OBJECT
public:
    MixerPage(std::unique_ptr<ToneMixer> mixer, QWidget* parent = nullptr);
    ~MixerPage() override;

    void Restore() override;
    QSlider* Slider(int index) const { return m_sliders[index]; }

private:
    std::unique_ptr<ToneMixer> m_mixer;
    std::vector<QSlider*> m_sliders;
};
