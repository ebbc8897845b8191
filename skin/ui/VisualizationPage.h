#pragma once

#include "ui/OptionsPage.h"

class Profile;
class QCheckBox;
class QSlider;
class QSpinBox;

// The "Visualization" options page: whether the frequency bars are used, whether they and the
// VU meter stop while the player is in the background, and how often the bars are redrawn. It
// reads the settings when built and writes them on Apply(); its window title is the page's
// title, for the dialog or sheet that hosts it.
class VisualizationPage : public OptionsPage {
    Q_OBJECT

public:
    // Without the run-time library back end the bars cannot be used: their box is off and
    // disabled.
    VisualizationPage(Profile& profile, bool libraryInUse, QWidget* parent = nullptr);

    // Writes "UpdateInterval", "StopSpectrum" and "UseSpectrum".
    void Apply() override;

    QCheckBox* UseBox() const { return m_use; }
    QCheckBox* StopBox() const { return m_stop; }
    QSlider* RateSlider() const { return m_rate; }
    QSpinBox* RateNumber() const { return m_rateNumber; }

private:
    Profile& m_profile;
    QCheckBox* m_use;
    QCheckBox* m_stop;
    QSlider* m_rate;
    QSpinBox* m_rateNumber;
};
