#include "options/AboutPage.h"

#include "platform/SystemLocale.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

AboutPage::AboutPage(Profile& profile, QWidget* parent)
    : AboutPage(profile, SystemLocale::LanguageId(), parent) {}

AboutPage::AboutPage(Profile& profile, int systemLanguage, QWidget* parent)
    : OptionsPage(parent), m_profile(profile) {
    setWindowTitle(tr("About"));
    auto* name = new QLabel(QStringLiteral("Sonvale"), this);
    name->setObjectName("ProgramName");
    QFont large = name->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    name->setFont(large);
    auto* version = new QLabel(tr("Version %1").arg(QStringLiteral(SONVALE_VERSION)), this);
    version->setObjectName("ProgramVersion");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addSpacing(fontMetrics().height());
    if (systemLanguage == SystemLocale::kKorean) {
        m_language = new QComboBox(this);
        m_language->setObjectName("Language");
        m_language->addItem(tr("Korean"), SystemLocale::kKorean);
        m_language->addItem(tr("English"), SystemLocale::kEnglish);
        const int language = Settings::UiLanguage(profile, systemLanguage);
        m_language->setCurrentIndex(language == SystemLocale::kKorean ? 0 : 1);
        auto* form = new QFormLayout;
        form->addRow(tr("Language:"), m_language);
        layout->addLayout(form);
    }
    layout->addStretch(1);
}

void AboutPage::Apply() {
    if (m_language)
        Settings::Set(m_profile, NumberSetting{setting::kLangID, SystemLocale::kKorean},
                      m_language->currentData().toInt());
}
