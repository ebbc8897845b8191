#include "effects/ui/EqualizerPage.h"

#include "effects/EffectTable.h"
#include "effects/ui/ReverbPage.h"
#include "playback/EffectControls.h"
#include "skin/SliderCtrlEx.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

EqualizerPage::EqualizerPage(EffectControls* engine, ReverbPage* reverb, QWidget* parent)
    : EffectsPage(parent), m_engine(engine), m_reverb(reverb) {
    setWindowTitle(tr("Equalizer"));
    if (m_engine)
        m_kept = m_engine->Equalizer();

    auto* grid = new QGridLayout(this);
    for (int band = 0; band < 10; ++band) {
        auto* slider = new SliderCtrlEx(Qt::Vertical, this);
        slider->setObjectName(QStringLiteral("band-%1").arg(band));
        slider->setRange(EffectTable::kBandMin, EffectTable::kBandMax);
        slider->setInvertedAppearance(true); // level 0, the strongest boost, at the top
        slider->setInvertedControls(true);
        slider->setPageStep(1);
        slider->setTickInterval(EffectTable::kBandFlat);
        slider->setTickPosition(QSlider::TicksRight);
        slider->setMinimumHeight(120);
        Show(slider, EffectTable::BandPosition(m_kept.bands[band]));
        connect(slider, &QSlider::valueChanged, this, &EqualizerPage::ApplyBands);
        m_bands[band] = slider;
        grid->addWidget(slider, 0, band, Qt::AlignHCenter);
    }
    grid->addWidget(new QLabel(tr("Low"), this), 1, 0, 1, 3, Qt::AlignLeft);
    grid->addWidget(new QLabel(tr("High"), this), 1, 7, 1, 3, Qt::AlignRight);
    grid->setRowStretch(0, 1);

    m_enable = new QCheckBox(tr("Enable"), this);
    m_enable->setObjectName("enable");
    Show(m_enable, m_kept.enabled == 1);
    m_flat = new QPushButton(tr("Flat"), this);
    m_flat->setObjectName("flat");
    auto* row = new QHBoxLayout;
    row->addWidget(m_enable);
    row->addStretch(1);
    row->addWidget(m_flat);
    grid->addLayout(row, 2, 0, 1, 10);

    connect(m_enable, &QCheckBox::toggled, this, &EqualizerPage::ApplyEnable);
    connect(m_flat, &QPushButton::clicked, this, &EqualizerPage::MakeFlat);
}

void EqualizerPage::ApplyBands() {
    if (!m_engine)
        return;
    EqualizerParams equalizer = m_engine->Equalizer();
    equalizer.enabled = m_enable->isChecked() ? 1 : 0;
    equalizer.preamp = EffectTable::kBandFlat;
    for (int band = 0; band < 10; ++band)
        equalizer.bands[band] = m_bands[band]->value();
    m_engine->SetEqualizer(equalizer);
    if (m_reverb)
        m_reverb->ShowPreamp(m_enable->isChecked(),
                             EffectTable::PreampPosition(EffectTable::kBandFlat));
}

void EqualizerPage::ApplyEnable() {
    const bool enabled = m_enable->isChecked();
    int position = EffectTable::PreampPosition(EffectTable::kBandFlat);
    if (m_engine) {
        EqualizerParams equalizer = m_engine->Equalizer();
        equalizer.enabled = enabled ? 1 : 0;
        m_engine->SetEqualizer(equalizer);
        position = EffectTable::PreampPosition(equalizer.preamp);
    }
    if (m_reverb)
        m_reverb->ShowPreamp(enabled, position);
}

void EqualizerPage::MakeFlat() {
    for (QSlider* slider : m_bands)
        Show(slider, EffectTable::kBandFlat);
    ApplyBands();
}

void EqualizerPage::ShowValues(bool enabled, const std::array<int32_t, 10>& bands) {
    Show(m_enable, enabled);
    for (int band = 0; band < 10; ++band)
        Show(m_bands[band], EffectTable::BandPosition(bands[band]));
}

void EqualizerPage::Restore() {
    if (m_engine)
        m_engine->SetEqualizer(m_kept);
}
