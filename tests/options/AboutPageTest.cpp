#include "options/AboutPage.h"

#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/SystemLocale.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace setting;

namespace {

class AboutPageTest : public ::testing::Test {
protected:
    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

TEST_F(AboutPageTest, OffersTheLanguageOnAKoreanSystemAndWritesIt) {
    profile.WriteProfileInt(kSettings, kLangID, SystemLocale::kEnglish);
    AboutPage page(profile, SystemLocale::kKorean);
    ASSERT_TRUE(page.LanguageBox());
    EXPECT_EQ(page.LanguageBox()->currentData().toInt(), SystemLocale::kEnglish);
    EXPECT_TRUE(page.findChild<QLabel*>("ProgramVersion")->text().contains(SONVALE_VERSION));
    page.LanguageBox()->setCurrentIndex(0);
    page.Apply();
    EXPECT_EQ(profile.GetProfileInt(kSettings, kLangID, 0), SystemLocale::kKorean);
}

TEST_F(AboutPageTest, NoLanguageChoiceElsewhere) {
    AboutPage page(profile, SystemLocale::kEnglish);
    EXPECT_FALSE(page.LanguageBox());
    page.Apply();
    EXPECT_EQ(profile.GetProfileInt(kSettings, kLangID, 0), 0);
}

TEST_F(AboutPageTest, PicturesInEnglishAndKorean) {
    for (int language : {1033, 1042}) {
        SonvaleApp::InstallLanguage(*qApp, language);
        AboutPage page(profile, SystemLocale::kKorean);
        page.resize(page.sizeHint().expandedTo(QSize(300, 160)));
        page.grab().save(
            QStringLiteral(SONVALE_SCREENSHOTS "/about%1.png").arg(language == 1042 ? "-ko" : ""));
        if (language == 1042) {
            EXPECT_EQ(page.windowTitle(), QString::fromUtf8("정보"));
        }
    }
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

} // namespace
