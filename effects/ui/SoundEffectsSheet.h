#pragma once

#include <QDialog>

#include <vector>

class EffectControls;
class EffectsPage;
class EqualizerPage;
class MixerPage;
class PresetsPage;
class Profile;
class QTabWidget;
class ReverbPage;
class SurroundPage;

// "Sound Effects": the pages that set the effects while music plays. "Surround / BassBoost" and
// "Reverb / Echo" set the effects of the back end in use; "Equalizer" and "Presets" are there
// only while the built-in engine decodes, "Mixer" only when the sound card has tone controls. OK
// keeps the changes, Cancel puts back what every page found.
class SoundEffectsSheet : public QDialog {
    Q_OBJECT
public:
    // `effects` are the back end's in use, `engine` the built-in engine's (both may be null, the
    // pages then set nothing); the presets come from `presetFolder`.
    SoundEffectsSheet(Profile& profile, EffectControls* effects, EffectControls* engine,
                      bool engineDecodes, const QString& presetFolder, QWidget* parent = nullptr);

    // The folder of the preset files: the documents folder's "Preset".
    static QString PresetFolder();

    QTabWidget* Tabs() const { return m_tabs; }
    SurroundPage* Surround() const { return m_surround; }
    ReverbPage* Reverb() const { return m_reverb; }
    EqualizerPage* Equalizer() const { return m_equalizer; }
    PresetsPage* Presets() const { return m_presets; }
    // Null when the sound card has no tone controls.
    MixerPage* Mixer() const { return m_mixer; }

    void reject() override;

private:
    QTabWidget* m_tabs;
    SurroundPage* m_surround = nullptr;
    ReverbPage* m_reverb = nullptr;
    EqualizerPage* m_equalizer = nullptr;
    PresetsPage* m_presets = nullptr;
    MixerPage* m_mixer = nullptr;
    std::vector<EffectsPage*> m_pages;
};
