#include "options/FontPage.h"

#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace setting;

namespace {

class FontPageTest : public ::testing::Test {
protected:
    ~FontPageTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
    int Stored(const char* format, int slot) {
        return profile.GetProfileInt(kSettings, Settings::IndexedName(format, slot), 12345);
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

// The page opens on "FontKind" with that slot's record; a size the list lacks is added to it.
TEST_F(FontPageTest, ShowsTheStoredSlot) {
    profile.WriteProfileString(kSettings, Settings::IndexedName(kFontNameFormat, 3), u"NoSuchFace");
    profile.WriteProfileInt(kSettings, Settings::IndexedName(kFontHeightFormat, 3), -17);
    profile.WriteProfileInt(kSettings, Settings::IndexedName(kFontStyleFormat, 3), 1 | 4);
    Settings::Set(profile, kFontKind, 3);
    FontPage page(profile);
    EXPECT_EQ(page.TypeBox()->count(), 7);
    EXPECT_EQ(page.TypeBox()->currentIndex(), 3);
    EXPECT_EQ(page.FaceBox()->currentText(), QStringLiteral("NoSuchFace"));
    EXPECT_EQ(page.SizeBox()->currentText(), QStringLiteral("17"));
    EXPECT_EQ(page.SizeBox()->itemText(page.SizeBox()->count() - 1), QStringLiteral("20"));
    EXPECT_TRUE(page.BoldBox()->isChecked());
    EXPECT_TRUE(page.ItalicBox()->isChecked());
    EXPECT_FALSE(page.UnderlineBox()->isChecked());
    EXPECT_TRUE(page.Preview()->font().bold());
}

// Edits of two slots stay in the page until OK, which writes all seven slots and the slot
// last chosen.
TEST_F(FontPageTest, WritesEverySlotOnlyOnApply) {
    FontPage page(profile);
    page.SizeBox()->setCurrentText(QStringLiteral("14"));
    page.TypeBox()->setCurrentIndex(4);
    EXPECT_EQ(page.SizeBox()->currentText(), QStringLiteral("24"));
    page.UnderlineBox()->setChecked(true);
    page.SetColor(QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(Stored(kFontHeightFormat, 0), 12345); // nothing written yet (Cancel writes nothing)

    ASSERT_TRUE(page.Validate());
    page.Apply();
    EXPECT_EQ(Stored(kFontHeightFormat, 0), -14);
    EXPECT_EQ(Stored(kFontStyleFormat, 4), 2);
    EXPECT_EQ(Stored(kFontColorFormat, 4), 0x302010);
    EXPECT_EQ(Stored(kFontColorFormat, 5), kFontColorDefaultSlot5);
    EXPECT_EQ(Stored(kFontHeightFormat, 6), kFontHeightDefault);
    EXPECT_EQ(Settings::Get(profile, kFontKind), 4);
}

TEST_F(FontPageTest, RefusesASizeOutOfRange) {
    FontPage page(profile);
    page.SizeBox()->setCurrentText(QStringLiteral("200"));
    EXPECT_FALSE(page.Validate());
    EXPECT_FALSE(page.ErrorLabel()->isHidden());
    EXPECT_EQ(page.Edited(0).height, kFontHeightDefault);
    page.SizeBox()->setCurrentText(QStringLiteral("12"));
    EXPECT_TRUE(page.Validate());
}

TEST_F(FontPageTest, PicturesInEnglishAndKorean) {
    for (int language : {1033, 1042}) {
        SonvaleApp::InstallLanguage(*qApp, language);
        FontPage page(profile);
        page.resize(page.sizeHint());
        page.show();
        page.grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/font-page%1.png")
                             .arg(language == 1042 ? "-ko" : ""));
        if (language == 1042) {
            EXPECT_EQ(page.windowTitle(), QString::fromUtf8("글꼴"));
        }
    }
}

} // namespace
