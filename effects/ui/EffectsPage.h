#pragma once

#include <QWidget>

class QCheckBox;
class QSlider;

// A page of the sound effects sheet. It reads the effects when it is built and applies every
// change of its controls to the playing sound at once; Restore (Cancel) puts back what it found.
class EffectsPage : public QWidget {
public:
    using QWidget::QWidget;

    virtual void Restore() = 0;

protected:
    // A horizontal slider that jumps to the tapped place.
    static QSlider* MakeSlider(int minimum, int maximum, int tick, QWidget* parent);
    // Shows a value without telling the page.
    static void Show(QCheckBox* box, bool checked);
    static void Show(QSlider* slider, int position);
};
