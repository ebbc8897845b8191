#include "effects/ui/ReverbPage.h"

#include "effects/EffectTable.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSlider>

ReverbPage::ReverbPage(EffectControls* effects, QWidget* parent)
    : EffectsPage(parent), m_effects(effects) {
    setWindowTitle(tr("Reverb / Echo"));
    m_keptReverb = {0, EffectTable::DelayOf(0), EffectTable::DelayRateOf(0)};
    m_keptEcho = m_keptReverb;
    m_keptPreamp = {0, EffectTable::kPreampTick};
    if (m_effects) {
        m_keptReverb = m_effects->Effect(EffectReverb);
        m_keptEcho = m_effects->Effect(EffectEcho);
        m_keptPreamp = m_effects->GetPreamp();
    }
    m_reverbBox = new QCheckBox(tr("Reverb"), this);
    m_reverb = MakeSlider(EffectTable::kDelayMin, EffectTable::kDelayMax, 1, this);
    m_echoBox = new QCheckBox(tr("Echo"), this);
    m_echo = MakeSlider(EffectTable::kDelayMin, EffectTable::kDelayMax, 1, this);
    m_preampBox = new QCheckBox(tr("Preamp"), this);
    m_preamp = MakeSlider(EffectTable::kPreampMin, EffectTable::kPreampMax,
                          EffectTable::kPreampTick, this);
    m_reverbBox->setObjectName("reverb");
    m_reverb->setObjectName("reverb-delay");
    m_echoBox->setObjectName("echo");
    m_echo->setObjectName("echo-delay");
    m_preampBox->setObjectName("preamp");
    m_preamp->setObjectName("preamp-level");

    Show(m_reverbBox, m_keptReverb.enabled == 1);
    Show(m_reverb, EffectTable::DelayPosition(m_keptReverb.delay));
    Show(m_echoBox, m_keptEcho.enabled == 1);
    Show(m_echo, EffectTable::DelayPosition(m_keptEcho.delay));
    ShowPreamp(m_keptPreamp.enabled == 1, m_keptPreamp.position);

    auto* grid = new QGridLayout(this);
    int row = 0;
    for (auto [box, slider] : {std::pair{m_reverbBox, m_reverb}, std::pair{m_echoBox, m_echo},
                               std::pair{m_preampBox, m_preamp}}) {
        grid->addWidget(box, row++, 0);
        grid->addWidget(slider, row++, 0);
    }
    grid->setRowStretch(row, 1);

    connect(m_reverbBox, &QCheckBox::toggled, this, [this] { ApplyDelay(EffectReverb); });
    connect(m_reverb, &QSlider::valueChanged, this, [this] { ApplyDelay(EffectReverb); });
    connect(m_echoBox, &QCheckBox::toggled, this, [this] { ApplyDelay(EffectEcho); });
    connect(m_echo, &QSlider::valueChanged, this, [this] { ApplyDelay(EffectEcho); });
    connect(m_preampBox, &QCheckBox::toggled, this, &ReverbPage::ApplyPreamp);
    connect(m_preamp, &QSlider::valueChanged, this, &ReverbPage::ApplyPreamp);
}

// Enabled, delay and rate go together.
void ReverbPage::ApplyDelay(EffectKind kind) {
    if (!m_effects)
        return;
    const bool reverb = kind == EffectReverb;
    const int position = (reverb ? m_reverb : m_echo)->value();
    const bool enabled = (reverb ? m_reverbBox : m_echoBox)->isChecked();
    m_effects->SetEffect(kind, {enabled ? 1 : 0, EffectTable::DelayOf(position),
                                EffectTable::DelayRateOf(position)});
}

void ReverbPage::ApplyPreamp() {
    if (m_effects)
        m_effects->SetPreamp({m_preampBox->isChecked() ? 1 : 0, m_preamp->value()});
}

void ReverbPage::SetReverb(int32_t enabled, int position) {
    Show(m_reverbBox, enabled == 1);
    Show(m_reverb, position);
    ApplyDelay(EffectReverb);
}

void ReverbPage::SetEcho(int32_t enabled, int position) {
    Show(m_echoBox, enabled == 1);
    Show(m_echo, position);
    ApplyDelay(EffectEcho);
}

void ReverbPage::ShowPreamp(bool enabled, int position) {
    Show(m_preampBox, enabled);
    Show(m_preamp, position);
}

void ReverbPage::Restore() {
    if (!m_effects)
        return;
    m_effects->SetEffect(EffectReverb, m_keptReverb);
    m_effects->SetEffect(EffectEcho, m_keptEcho);
    m_effects->SetPreamp(m_keptPreamp);
}
