#include "effects/ui/EffectsPage.h"

#include "skin/SliderCtrlEx.h"

#include <QCheckBox>
#include <QSignalBlocker>

QSlider* EffectsPage::MakeSlider(int minimum, int maximum, int tick, QWidget* parent) {
    auto* slider = new SliderCtrlEx(Qt::Horizontal, parent);
    slider->setRange(minimum, maximum);
    slider->setPageStep(1);
    slider->setTickInterval(tick);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setMinimumWidth(160);
    return slider;
}

void EffectsPage::Show(QCheckBox* box, bool checked) {
    const QSignalBlocker block(box);
    box->setChecked(checked);
}

void EffectsPage::Show(QSlider* slider, int position) {
    const QSignalBlocker block(slider);
    slider->setValue(position);
}
