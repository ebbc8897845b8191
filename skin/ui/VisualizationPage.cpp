#include "skin/ui/VisualizationPage.h"

#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

using namespace setting;

VisualizationPage::VisualizationPage(Profile& profile, bool libraryInUse, QWidget* parent)
    : OptionsPage(parent), m_profile(profile) {
    setWindowTitle(tr("Visualization"));
    // Nothing stored reads as the page's defaults (the meter window reads other ones), which
    // OK then writes.

    m_use = new QCheckBox(tr("Enable equalizer spectrum"), this);
    m_use->setEnabled(libraryInUse);
    m_use->setChecked(libraryInUse && Settings::Get(profile, kUseSpectrum) != 0);

    m_stop = new QCheckBox(tr("Turn off specturm and VU-Meter when in background or display "
                              "off\n(To minimize the CPU usage rate)"),
                           this);
    m_stop->setChecked(Settings::Get(profile, kStopSpectrum) != 0);

    const int range = std::max(1, Settings::Get(profile, kSpectrumRange));
    m_rate = new QSlider(Qt::Horizontal, this);
    m_rate->setRange(1, range);
    m_rate->setSingleStep(1);
    m_rate->setPageStep(1);
    m_rate->setTickInterval(1);
    m_rate->setTickPosition(QSlider::TicksBelow);
    m_rateNumber = new QSpinBox(this);
    m_rateNumber->setRange(1, range);
    const int rate = Settings::Get(profile, kUpdateInterval);
    m_rate->setValue(rate);
    m_rateNumber->setValue(m_rate->value());
    connect(m_rate, &QSlider::valueChanged, m_rateNumber, &QSpinBox::setValue);
    connect(m_rateNumber, &QSpinBox::valueChanged, m_rate, &QSlider::setValue);

    auto* rateRow = new QHBoxLayout;
    rateRow->addWidget(new QLabel(tr("Slow"), this));
    rateRow->addWidget(m_rate, 1);
    rateRow->addWidget(new QLabel(tr("Fast"), this));
    rateRow->addWidget(m_rateNumber);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_use);
    layout->addWidget(m_stop);
    layout->addSpacing(fontMetrics().height() / 2);
    layout->addWidget(new QLabel(tr("Equalizer spectrum update rate"), this));
    layout->addLayout(rateRow);
    layout->addWidget(new QLabel(
        tr("※ If you setup update rate fast,\n    the CPU usage rate becomes high"), this));
    layout->addStretch(1);
}

void VisualizationPage::Apply() {
    Settings::Set(m_profile, kUpdateInterval, m_rate->value());
    Settings::Set(m_profile, kStopSpectrum, m_stop->isChecked() ? 1 : 0);
    Settings::Set(m_profile, kUseSpectrum, m_use->isChecked() ? 1 : 0);
}
