#include "effects/ui/SurroundPage.h"

#include "effects/EffectTable.h"
#include "playback/EffectControls.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QSlider>

SurroundPage::SurroundPage(EffectControls* effects, QWidget* parent)
    : EffectsPage(parent), m_effects(effects) {
    setWindowTitle(tr("Surround / BassBoost"));
    if (m_effects) {
        m_keptSurround = m_effects->Effect(EffectSurround);
        m_keptChorus = m_effects->Effect(Effect3DChorus);
        m_keptBass = m_effects->BassBoost();
    }
    m_surroundBox = new QCheckBox(tr("Surround"), this);
    m_surround = MakeSlider(EffectTable::kRateMin, EffectTable::kRateMax, 1, this);
    m_chorusBox = new QCheckBox(tr("3D Chorus"), this);
    m_chorus = MakeSlider(EffectTable::kRateMin, EffectTable::kRateMax, 1, this);
    m_bassBox = new QCheckBox(tr("BassBoost"), this);
    m_bassBox->setChecked(true);
    m_bassBox->setEnabled(false);
    m_bass = MakeSlider(EffectTable::kBassMin, EffectTable::kBassMax, 1, this);
    m_surroundBox->setObjectName("surround");
    m_surround->setObjectName("surround-rate");
    m_chorusBox->setObjectName("chorus");
    m_chorus->setObjectName("chorus-rate");
    m_bass->setObjectName("bass-boost");

    Show(m_surroundBox, m_keptSurround.enabled == 1);
    Show(m_surround, EffectTable::RatePosition(m_keptSurround.rate));
    Show(m_chorusBox, m_keptChorus.enabled == 1);
    Show(m_chorus, EffectTable::RatePosition(m_keptChorus.rate));
    Show(m_bass, EffectTable::BassPosition(m_keptBass));

    auto* grid = new QGridLayout(this);
    int row = 0;
    for (auto [box, slider] : {std::pair{m_surroundBox, m_surround},
                               std::pair{m_chorusBox, m_chorus}, std::pair{m_bassBox, m_bass}}) {
        grid->addWidget(box, row++, 0);
        grid->addWidget(slider, row++, 0);
    }
    grid->setRowStretch(row, 1);

    connect(m_surroundBox, &QCheckBox::toggled, this, &SurroundPage::ApplySurround);
    connect(m_surround, &QSlider::valueChanged, this, &SurroundPage::ApplySurround);
    connect(m_chorusBox, &QCheckBox::toggled, this, &SurroundPage::ApplyChorus);
    connect(m_chorus, &QSlider::valueChanged, this, &SurroundPage::ApplyChorus);
    connect(m_bass, &QSlider::valueChanged, this, &SurroundPage::ApplyBassBoost);
}

void SurroundPage::ApplySurround() {
    if (m_effects)
        m_effects->SetEffect(EffectSurround, {m_surroundBox->isChecked() ? 1 : 0, 0,
                                              EffectTable::RateOf(m_surround->value())});
}

void SurroundPage::ApplyChorus() {
    if (m_effects)
        m_effects->SetEffect(Effect3DChorus, {m_chorusBox->isChecked() ? 1 : 0, 0,
                                              EffectTable::RateOf(m_chorus->value())});
}

void SurroundPage::ApplyBassBoost() {
    if (m_effects)
        m_effects->SetBassBoost(m_bass->value());
}

void SurroundPage::SetSurround(int32_t enabled, int position) {
    Show(m_surroundBox, enabled == 1);
    Show(m_surround, position);
    ApplySurround();
}

void SurroundPage::SetChorus(int32_t enabled, int position) {
    Show(m_chorusBox, enabled == 1);
    Show(m_chorus, position);
    ApplyChorus();
}

void SurroundPage::SetBassBoost(int level) {
    Show(m_bass, level);
    ApplyBassBoost();
}

void SurroundPage::Restore() {
    if (!m_effects)
        return;
    m_effects->SetEffect(EffectSurround, m_keptSurround);
    m_effects->SetEffect(Effect3DChorus, m_keptChorus);
    m_effects->SetBassBoost(m_keptBass);
}
