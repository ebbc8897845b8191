#pragma once

#include <QDialog>

#include <array>

class PlayerSession;
class Profile;
class QCheckBox;
class QLabel;
class QSpinBox;

// "Sleep Timer...": the stop-playing, power-off and display-off timers, each a check box and
// its minutes (1 to 1440), filled from the session's timers. OK refuses minutes out of range
// (the dialog stays open) and writes the six settings; the session then arms the timers.
class SleepTimerDialog : public QDialog {
    Q_OBJECT

public:
    SleepTimerDialog(Profile& profile, const PlayerSession& session, QWidget* parent = nullptr);

    QCheckBox* Enabled(int timer) const { return m_enabled[timer]; }
    QSpinBox* Minutes(int timer) const { return m_minutes[timer]; }

    void accept() override;

private:
    Profile& m_profile;
    std::array<QCheckBox*, 3> m_enabled{};
    std::array<QSpinBox*, 3> m_minutes{};
    QLabel* m_error;
};
