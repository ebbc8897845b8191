#include "effects/ui/MixerPage.h"

#include "platform/ToneMixer.h"

#include <QGridLayout>
#include <QLabel>
#include <QSlider>

MixerPage::MixerPage(std::unique_ptr<ToneMixer> mixer, QWidget* parent)
    : EffectsPage(parent), m_mixer(std::move(mixer)) {
    setWindowTitle(tr("Mixer"));
    auto* grid = new QGridLayout(this);
    int row = 0;
    for (const ToneMixer::Control& control : m_mixer->Controls()) {
        const QString name = QString::fromStdString(control.name);
        const QString text = name == QLatin1String("3D")       ? tr("3D")
                             : name == QLatin1String("Treble") ? tr("Treble")
                                                               : tr("Bass");
        QSlider* slider = MakeSlider(static_cast<int>(control.minimum),
                                     static_cast<int>(control.maximum), 1, this);
        slider->setObjectName(name);
        Show(slider, static_cast<int>(control.value));
        connect(slider, &QSlider::valueChanged, this,
                [this, name = control.name](int value) { m_mixer->Set(name, value); });
        grid->addWidget(new QLabel(text, this), row++, 0);
        grid->addWidget(slider, row++, 0);
        m_sliders.push_back(slider);
    }
    grid->setRowStretch(row, 1);
}

MixerPage::~MixerPage() = default;

void MixerPage::Restore() {
    for (const ToneMixer::Control& control : m_mixer->Controls())
        m_mixer->Set(control.name, control.value);
}
