#pragma once

#include <QDialog>

class Profile;
class QRadioButton;

// The CPU profile: the frequency bars on, or off together with the title's scrolling to spare
// the processor. OK writes "UseSpectrum" 1, or "ScrollMsg" 0 and "UseSpectrum" 0; the view
// then applies both.
class CpuProfileDialog : public QDialog {
    Q_OBJECT

public:
    explicit CpuProfileDialog(Profile& profile, QWidget* parent = nullptr);

    QRadioButton* BarsOn() const { return m_on; }
    QRadioButton* BarsOff() const { return m_off; }

    void accept() override;

private:
    Profile& m_profile;
    QRadioButton* m_on;
    QRadioButton* m_off;
};
