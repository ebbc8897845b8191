#include "skin/ui/VisualizationPage.h"

#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace setting;

namespace {

class VisualizationPageTest : public ::testing::Test {
protected:
    ~VisualizationPageTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

// The slider and the number box move together, within 1 .. "SpectrumRange"; OK writes what the
// page shows, the page's defaults when nothing was stored.
TEST_F(VisualizationPageTest, RateControlsStayInStepAndApplyWritesThePage) {
    Settings::Set(profile, kSpectrumRange, 5);
    VisualizationPage page(profile, true);
    EXPECT_TRUE(page.UseBox()->isEnabled());
    EXPECT_TRUE(page.UseBox()->isChecked());
    EXPECT_TRUE(page.StopBox()->isChecked());
    EXPECT_EQ(page.RateSlider()->maximum(), 5);
    EXPECT_EQ(page.RateNumber()->maximum(), 5);
    EXPECT_EQ(page.RateNumber()->value(), 5); // the default 8, held to the range

    page.RateSlider()->setValue(2);
    EXPECT_EQ(page.RateNumber()->value(), 2);
    page.show();
    page.RateNumber()->setFocus();
    QTest::keyClick(page.RateNumber(), Qt::Key_Up);
    EXPECT_EQ(page.RateSlider()->value(), 3);
    page.StopBox()->click();

    page.Apply();
    EXPECT_EQ(Settings::Get(profile, kUpdateInterval), 3);
    EXPECT_EQ(profile.GetProfileInt(kSettings, kStopSpectrum.name, -1), 0);
    EXPECT_EQ(profile.GetProfileInt(kSettings, kUseSpectrum.name, -1), 1);
}

// Without the library back end the bars cannot be chosen, whatever was stored.
TEST_F(VisualizationPageTest, WithoutTheLibraryTheBarsAreOffAndDisabled) {
    Settings::Set(profile, kUseSpectrum, 1);
    Settings::Set(profile, kUpdateInterval, 4);
    VisualizationPage page(profile, false);
    EXPECT_FALSE(page.UseBox()->isEnabled());
    EXPECT_FALSE(page.UseBox()->isChecked());
    EXPECT_EQ(page.RateSlider()->value(), 4);
    page.Apply();
    EXPECT_EQ(Settings::Get(profile, kUseSpectrum), 0);
}

TEST_F(VisualizationPageTest, KoreanTexts) {
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    VisualizationPage page(profile, true);
    EXPECT_EQ(page.windowTitle(), QString::fromUtf8("시각 효과"));
    EXPECT_EQ(page.UseBox()->text(), QString::fromUtf8("이퀄라이저 스펙트럼 사용"));
    QStringList labels;
    for (QLabel* label : page.findChildren<QLabel*>())
        labels << label->text();
    EXPECT_TRUE(labels.contains(QString::fromUtf8("느리게")));
    EXPECT_TRUE(labels.contains(QString::fromUtf8("빠르게")));
}

} // namespace
