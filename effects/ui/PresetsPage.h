#pragma once

#include "effects/EffectPreset.h"
#include "effects/ui/EffectsPage.h"

#include <QString>

class EffectControls;
class EqualizerPage;
class Profile;
class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class ReverbPage;
class SurroundPage;

// "Presets": the ".gpe" files of a folder by name; a double tap or "Apply Preset" applies the
// chosen one to the other pages and the sound, the effects named by the apply flags
// ("Settings\Presets", the "Sound Effect" submenu) and the equalizer bands always.
class PresetsPage : public EffectsPage {
    Q_OBJECT
public:
    // `engine` sets the equalizer; the pages that are missing are left out.
    PresetsPage(Profile& profile, const QString& folder, EffectControls* engine,
                EqualizerPage* equalizer, SurroundPage* surround, ReverbPage* reverb,
                QWidget* parent = nullptr);

    // Nothing to put back: the other pages restore what a preset changed.
    void Restore() override {}
    // Applies the preset of a row; false when no row is chosen or its file does not load.
    bool ApplySelected();
    // Writes the pages' values as the preset `name` of the folder and lists it; false when the
    // name is empty or the file can't be written. "Save Preset..." asks for the name.
    bool SaveAs(const QString& name);

    QTreeWidget* List() const { return m_list; }
    // The context menu: "Apply Preset", then the "Sound Effect" flags.
    QMenu* Menu() const { return m_menu; }
    QAction* FlagAction(int index) const { return m_flagActions[index]; }

private:
    void Fill();
    void AskAndSave();
    void Apply(const EffectPreset& preset);
    void StoreFlags();

    Profile& m_profile;
    QString m_folder;
    EffectControls* m_engine;
    EqualizerPage* m_equalizer;
    SurroundPage* m_surround;
    ReverbPage* m_reverb;
    PresetFlags m_flags;
    QTreeWidget* m_list;
    QMenu* m_menu;
    QAction* m_flagActions[6] = {};
};
