#include "options/CpuProfileDialog.h"

#include "platform/Profile.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QDialogButtonBox>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace setting;

CpuProfileDialog::CpuProfileDialog(Profile& profile, QWidget* parent)
    : QDialog(parent), m_profile(profile) {
    setObjectName(QStringLiteral("cpu-profile"));
    setWindowTitle(tr("CPU Profile"));
    auto* layout = new QVBoxLayout(this);
    m_on = new QRadioButton(tr("Equalizer spectrum on"), this);
    m_off = new QRadioButton(
        tr("Equalizer spectrum and title scrolling off\n(To minimize the CPU usage rate)"), this);
    (Settings::Get(profile, kUseSpectrum) == 1 ? m_on : m_off)->setChecked(true);
    layout->addWidget(m_on);
    layout->addWidget(m_off);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CpuProfileDialog::accept() {
    if (m_on->isChecked()) {
        Settings::Set(m_profile, kUseSpectrum, 1);
    } else {
        Settings::Set(m_profile, kScrollMsg, 0);
        Settings::Set(m_profile, kUseSpectrum, 0);
    }
    QDialog::accept();
}
