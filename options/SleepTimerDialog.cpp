#include "options/SleepTimerDialog.h"

#include "platform/Profile.h"
#include "playback/SleepTimers.h"
#include "session/PlayerSession.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

using namespace setting;

namespace {

// A minute field: any number may be typed (OK refuses those out of range), the arrows stay
// within 1 to 1440.
class MinuteBox : public QSpinBox {
public:
    explicit MinuteBox(QWidget* parent) : QSpinBox(parent) { setRange(0, 99999); }
    void stepBy(int steps) override {
        setValue(std::clamp(value() + steps, SleepTimers::kMinMinutes, SleepTimers::kMaxMinutes));
    }

protected:
    StepEnabled stepEnabled() const override {
        StepEnabled enabled = StepNone;
        if (value() < SleepTimers::kMaxMinutes)
            enabled |= StepUpEnabled;
        if (value() > SleepTimers::kMinMinutes)
            enabled |= StepDownEnabled;
        return enabled;
    }
};

struct TimerSettings {
    SleepTimers::Kind kind;
    const char* text;
    NumberSetting enabled;
    NumberSetting minutes;
};
const TimerSettings kTimers[] = {
    {SleepTimers::StopPlaying, QT_TRANSLATE_NOOP("SleepTimerDialog", "Stop playing"),
     kSleepPlayStop, kSleepPlayStopTimer},
    {SleepTimers::PowerOff, QT_TRANSLATE_NOOP("SleepTimerDialog", "Power off"), kSleepPowerOff,
     kSleepPowerOffTimer},
    {SleepTimers::DisplayOff, QT_TRANSLATE_NOOP("SleepTimerDialog", "Turn the display off"),
     kSleepDisplayOff, kSleepDisplayOffTimer},
};

} // namespace

SleepTimerDialog::SleepTimerDialog(Profile& profile, const PlayerSession& session, QWidget* parent)
    : QDialog(parent), m_profile(profile) {
    setObjectName(QStringLiteral("sleep-timer"));
    setWindowTitle(tr("Sleep Timer"));
    auto* layout = new QVBoxLayout(this);
    auto* note = new QLabel(tr("After this long without a key press:"), this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* grid = new QGridLayout;
    for (int i = 0; i < SleepTimers::kCount; ++i) {
        const SleepTimers::Record record = session.SleepTimer(kTimers[i].kind);
        m_enabled[i] = new QCheckBox(tr(kTimers[i].text), this);
        m_enabled[i]->setChecked(record.enabled);
        m_minutes[i] = new MinuteBox(this);
        m_minutes[i]->setValue(record.minutes);
        m_minutes[i]->setAlignment(Qt::AlignRight);
        grid->addWidget(m_enabled[i], i, 0);
        grid->addWidget(m_minutes[i], i, 1);
        grid->addWidget(new QLabel(tr("minutes"), this), i, 2);
    }
    grid->setColumnStretch(0, 1);
    layout->addLayout(grid);

    m_error = new QLabel(this);
    m_error->setStyleSheet(QStringLiteral("color: red"));
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void SleepTimerDialog::accept() {
    for (QSpinBox* minutes : m_minutes) {
        if (minutes->value() >= SleepTimers::kMinMinutes &&
            minutes->value() <= SleepTimers::kMaxMinutes)
            continue;
        m_error->setText(tr("Enter a number from %1 to %2.")
                             .arg(SleepTimers::kMinMinutes)
                             .arg(SleepTimers::kMaxMinutes));
        m_error->show();
        minutes->setFocus();
        minutes->selectAll();
        return;
    }
    for (int i = 0; i < SleepTimers::kCount; ++i) {
        Settings::Set(m_profile, kTimers[i].enabled, m_enabled[i]->isChecked() ? 1 : 0);
        Settings::Set(m_profile, kTimers[i].minutes, m_minutes[i]->value());
    }
    QDialog::accept();
}
