#include "effects/ui/SoundEffectsSheet.h"

#include "effects/ui/EqualizerPage.h"
#include "effects/ui/MixerPage.h"
#include "effects/ui/PresetsPage.h"
#include "effects/ui/ReverbPage.h"
#include "effects/ui/SurroundPage.h"
#include "platform/Folders.h"
#include "platform/ToneMixer.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QVBoxLayout>

SoundEffectsSheet::SoundEffectsSheet(Profile& profile, EffectControls* effects,
                                     EffectControls* engine, bool engineDecodes,
                                     const QString& presetFolder, QWidget* parent)
    : QDialog(parent) {
    setObjectName("sound-effects");
    setWindowTitle(tr("Sound Effects"));
    m_tabs = new QTabWidget(this);
    m_tabs->setUsesScrollButtons(false); // every tab in sight
    m_surround = new SurroundPage(effects, m_tabs);
    m_reverb = new ReverbPage(effects, m_tabs);
    m_surround->setObjectName("surround-bassboost");
    m_reverb->setObjectName("reverb-echo");
    m_pages = {m_surround, m_reverb};
    if (engineDecodes) {
        // The reverb page's preamp is the engine's equalizer preamp only when it sets the engine.
        ReverbPage* preamp = effects == engine ? m_reverb : nullptr;
        m_equalizer = new EqualizerPage(engine, preamp, m_tabs);
        m_presets =
            new PresetsPage(profile, presetFolder, engine, m_equalizer, m_surround, preamp, m_tabs);
        m_equalizer->setObjectName("equalizer");
        m_presets->setObjectName("presets");
        m_pages.push_back(m_equalizer);
        m_pages.push_back(m_presets);
    }
    // The sound card's own tone controls, when it has any.
    auto mixer = std::make_unique<ToneMixer>();
    if (!mixer->Controls().empty()) {
        m_mixer = new MixerPage(std::move(mixer), m_tabs);
        m_mixer->setObjectName("mixer");
        m_pages.push_back(m_mixer);
    }
    for (EffectsPage* page : m_pages)
        m_tabs->addTab(page, page->windowTitle());

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

QString SoundEffectsSheet::PresetFolder() {
    return QString::fromStdString(Folders::DocumentsFolder() + "/Preset");
}

void SoundEffectsSheet::reject() {
    for (EffectsPage* page : m_pages)
        page->Restore();
    QDialog::reject();
}
