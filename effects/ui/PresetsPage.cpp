#include "effects/ui/PresetsPage.h"

#include "effects/EffectTable.h"
#include "effects/ui/EqualizerPage.h"
#include "effects/ui/ReverbPage.h"
#include "effects/ui/SurroundPage.h"
#include "platform/Folders.h"
#include "platform/Profile.h"
#include "playback/EffectControls.h"
#include "settings/SettingNames.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSlider>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

struct Flag {
    const NumberSetting* setting;
    bool PresetFlags::*field;
};
const Flag kFlags[6] = {
    {&setting::kPresetSurround, &PresetFlags::surround},
    {&setting::kPreset3DChorus, &PresetFlags::chorus},
    {&setting::kPresetBassBoost, &PresetFlags::bassBoost},
    {&setting::kPresetReverb, &PresetFlags::reverb},
    {&setting::kPresetEcho, &PresetFlags::echo},
    {&setting::kPresetPreamp, &PresetFlags::preamp},
};

} // namespace

PresetsPage::PresetsPage(Profile& profile, const QString& folder, EffectControls* engine,
                         EqualizerPage* equalizer, SurroundPage* surround, ReverbPage* reverb,
                         QWidget* parent)
    : EffectsPage(parent), m_profile(profile), m_folder(folder), m_engine(engine),
      m_equalizer(equalizer), m_surround(surround), m_reverb(reverb) {
    setWindowTitle(tr("Presets"));
    for (const Flag& flag : kFlags)
        m_flags.*flag.field = m_profile.GetProfileInt(setting::kPresetSection, flag.setting->name,
                                                      flag.setting->defaultValue) != 0;

    auto* header = new QLabel(tr("Double tap a preset to apply it."), this);
    header->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName("presets");
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({tr("Name"), tr("Path")});
    m_list->setColumnHidden(1, true);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header);
    layout->addWidget(m_list, 1);
    Fill();

    m_menu = new QMenu(this);
    connect(m_menu->addAction(tr("Apply Preset")), &QAction::triggered, this,
            &PresetsPage::ApplySelected);
    connect(m_menu->addAction(tr("Save Preset...")), &QAction::triggered, this,
            &PresetsPage::AskAndSave);
    m_menu->addSeparator();
    QMenu* effects = m_menu->addMenu(tr("Sound Effect"));
    const QString names[6] = {tr("Surround"), tr("3D Chorus"), tr("BassBoost"),
                              tr("Reverb"),   tr("Echo"),      tr("Preamp")};
    for (int i = 0; i < 6; ++i) {
        QAction* action = effects->addAction(names[i]);
        action->setCheckable(true);
        action->setChecked(m_flags.*kFlags[i].field);
        connect(action, &QAction::toggled, this, [this, i](bool on) {
            m_flags.*kFlags[i].field = on;
            StoreFlags();
        });
        m_flagActions[i] = action;
    }
    connect(m_list, &QTreeWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_list->viewport()->mapToGlobal(at)); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this] { ApplySelected(); });
}

void PresetsPage::Fill() {
    m_list->clear();
    for (const EffectPreset::Entry& entry : EffectPreset::List(m_folder.toStdU16String())) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(0, QString::fromStdU16String(entry.name));
        item->setText(1, QString::fromStdU16String(entry.path));
    }
}

void PresetsPage::StoreFlags() {
    for (const Flag& flag : kFlags)
        m_profile.WriteProfileInt(setting::kPresetSection, flag.setting->name,
                                  m_flags.*flag.field ? 1 : 0);
}

bool PresetsPage::ApplySelected() {
    QTreeWidgetItem* item = m_list->currentItem();
    if (!item || !item->isSelected())
        return false;
    const auto preset = EffectPreset::Read(item->text(1).toStdU16String(), m_flags);
    if (!preset)
        return false;
    Apply(*preset);
    return true;
}

void PresetsPage::Apply(const EffectPreset& preset) {
    if (preset.equalizer && m_equalizer && m_reverb) {
        const EffectPreset::Equalizer& e = *preset.equalizer;
        m_equalizer->ShowValues(e.enabled == 1, e.bands);
        m_reverb->ShowPreamp(e.enabled == 1, EffectTable::PreampPosition(e.preamp));
        if (m_engine) {
            EqualizerParams params;
            params.enabled = e.enabled;
            params.preamp = e.preamp;
            std::copy(e.bands.begin(), e.bands.end(), params.bands);
            m_engine->SetEqualizer(params);
        }
    }
    if (m_surround) {
        if (preset.bassBoost)
            m_surround->SetBassBoost(*preset.bassBoost);
        if (preset.surround)
            m_surround->SetSurround(preset.surround->enabled, preset.surround->position);
        if (preset.chorus)
            m_surround->SetChorus(preset.chorus->enabled, preset.chorus->position);
    }
    if (m_reverb) {
        if (preset.reverb)
            m_reverb->SetReverb(preset.reverb->enabled, preset.reverb->position);
        if (preset.echo)
            m_reverb->SetEcho(preset.echo->enabled, preset.echo->position);
    }
}

void PresetsPage::AskAndSave() {
    const QString name = QInputDialog::getText(this, tr("Save Preset"), tr("Preset name:"));
    if (!name.trimmed().isEmpty() && !SaveAs(name.trimmed()))
        QMessageBox::warning(this, tr("Save Preset"), tr("The preset could not be saved."));
}

bool PresetsPage::SaveAs(const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || !m_equalizer || !m_surround ||
        !Folders::Ensure(m_folder.toStdString()))
        return false;
    EffectPreset::Equalizer equalizer;
    equalizer.enabled = m_equalizer->EnableBox()->isChecked() ? 1 : 0;
    for (int band = 0; band < 10; ++band)
        equalizer.bands[band] = m_equalizer->Band(band)->value();
    equalizer.preamp = m_reverb   ? EffectTable::PreampLevelOf(m_reverb->PreampSlider()->value())
                       : m_engine ? m_engine->Equalizer().preamp
                                  : EffectTable::kBandFlat;
    const auto rate = [](QCheckBox* box, QSlider* slider) {
        return EffectPreset::Effect{box->isChecked() ? 1 : 0, slider->value(), 0,
                                    EffectTable::RateOf(slider->value())};
    };
    const auto delay = [](QCheckBox* box, QSlider* slider) {
        return EffectPreset::Effect{box->isChecked() ? 1 : 0, slider->value(),
                                    EffectTable::DelayOf(slider->value()),
                                    EffectTable::DelayRateOf(slider->value())};
    };
    // Without the reverb page (the library sets it) the engine's reverb and echo are saved.
    const auto engineDelay = [this](EffectKind kind) {
        const EffectParams params = m_engine ? m_engine->Effect(kind) : EffectParams{};
        const int position = EffectTable::DelayPosition(params.delay);
        return EffectPreset::Effect{params.enabled, position, EffectTable::DelayOf(position),
                                    EffectTable::DelayRateOf(position)};
    };
    const EffectPreset::Effect reverb = m_reverb
                                            ? delay(m_reverb->ReverbBox(), m_reverb->ReverbSlider())
                                            : engineDelay(EffectReverb);
    const EffectPreset::Effect echo =
        m_reverb ? delay(m_reverb->EchoBox(), m_reverb->EchoSlider()) : engineDelay(EffectEcho);
    const QString path = m_folder + QLatin1Char('/') + name + QStringLiteral(".gpe");
    if (!EffectPreset::Write(path.toStdU16String(), equalizer, m_surround->BassSlider()->value(),
                             rate(m_surround->SurroundBox(), m_surround->SurroundSlider()),
                             rate(m_surround->ChorusBox(), m_surround->ChorusSlider()), reverb,
                             echo))
        return false;
    Fill();
    return true;
}
