#include "skin/ui/SkinPage.h"

#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/SkinManager.h"
#include "skin/ThumbnailStatic.h"
#include "tests/DialogAnswerer.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTranslator>
#include <gtest/gtest.h>

#include <filesystem>

using namespace setting;

namespace {

class SkinPageTest : public ::testing::Test {
protected:
    SkinPageTest() {
        ::setenv("SONVALE_HOME", folder.Path().c_str(), 1);
        std::filesystem::create_directories(folder / "skins");
    }
    ~SkinPageTest() override {
        ::unsetenv("SONVALE_HOME");
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    // A skin of one background in one colour; returns the path of its .wps file.
    QString WriteSkin(const std::string& folderName, const std::string& name, QColor color) {
        const std::string dir = folder / folderName;
        std::filesystem::create_directories(dir);
        QImage background(480, 536, QImage::Format_RGB32);
        background.fill(color);
        background.save(QString::fromStdString(dir + "/" + name + ".png"));
        const std::string wps = "[Main]\r\nMain=" + name + ".png\r\n";
        folder.Write(folderName + "/" + name + ".wps", wps);
        return QString::fromStdString(dir + "/" + name + ".wps");
    }

    static QRgb PreviewPixel(const SkinPage& page) {
        return page.Preview()->Bitmap().pixel(10, 10);
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

// The built-in skin and the skins folder's are listed; a choice shows its background; OK writes
// the path, the built-in skin as an empty one.
TEST_F(SkinPageTest, ListsTheSkinsAndWritesTheChosenOne) {
    const QString green = WriteSkin("skins", "green", Qt::green);
    const QString elsewhere = WriteSkin("other", "blue", Qt::blue);
    WriteSkin("other", "red", Qt::red);

    SkinPage built(profile);
    EXPECT_EQ(built.windowTitle(), QStringLiteral("Skin"));
    ASSERT_EQ(built.List()->count(), 2);
    EXPECT_EQ(built.List()->currentRow(), 0);
    EXPECT_TRUE(built.Path().isEmpty());
    EXPECT_EQ(built.Preview()->size(), QSize(240, 268));
    EXPECT_EQ(built.Preview()->Bitmap(), SkinManager::Background(u""));

    built.List()->setCurrentRow(1);
    EXPECT_EQ(built.Path(), green);
    EXPECT_EQ(PreviewPixel(built), QColor(Qt::green).rgb());
    built.Apply();
    EXPECT_EQ(Settings::Get(profile, kSkinFile), green.toStdU16String());

    // The skins beside the current one are offered too; Cancel (no Apply) writes nothing.
    Settings::Set(profile, kSkinFile, elsewhere.toStdU16String());
    SkinPage beside(profile);
    EXPECT_EQ(beside.List()->count(), 4);
    EXPECT_EQ(beside.List()->currentItem()->text(), QStringLiteral("blue"));
    EXPECT_EQ(PreviewPixel(beside), QColor(Qt::blue).rgb());
    beside.List()->setCurrentRow(0);
    EXPECT_TRUE(beside.Path().isEmpty());
    EXPECT_EQ(beside.Preview()->Bitmap(), SkinManager::Background(u""));
    EXPECT_EQ(Settings::Get(profile, kSkinFile), elsewhere.toStdU16String());
    beside.Apply();
    EXPECT_TRUE(Settings::Get(profile, kSkinFile).empty());
}

// "Browse..." takes a skin from anywhere; a skin without a background shows the built-in one.
TEST_F(SkinPageTest, BrowseTakesTheChosenFile) {
    const QString red = WriteSkin("other", "red", Qt::red);
    const QString bare = QString::fromStdString(folder.Write("bare/bare.wps", "[Title]\r\n"));
    SkinPage page(profile);
    DialogAnswerer answers;
    answers.Then(DialogAnswerer::ChooseFile(red)).Then(DialogAnswerer::ChooseFile(bare));
    page.BrowseButton()->click();
    EXPECT_EQ(page.Path(), red);
    EXPECT_EQ(PreviewPixel(page), QColor(Qt::red).rgb());
    page.BrowseButton()->click();
    EXPECT_EQ(page.Path(), bare);
    EXPECT_EQ(page.Preview()->Bitmap(), SkinManager::Background(u""));
    ASSERT_EQ(answers.Dialogs().size(), 2u);
    EXPECT_EQ(answers.Dialogs().front().title, QStringLiteral("Select Skin File"));
}

TEST_F(SkinPageTest, KoreanTexts) {
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    SkinPage page(profile);
    EXPECT_EQ(page.windowTitle(), QString::fromUtf8("스킨"));
    EXPECT_EQ(page.BrowseButton()->text(), QString::fromUtf8("찾아보기..."));
    DialogAnswerer answers;
    answers.Then(DialogAnswerer::Reject());
    page.BrowseButton()->click();
    ASSERT_EQ(answers.Dialogs().size(), 1u);
    EXPECT_EQ(answers.Dialogs().front().title, QString::fromUtf8("스킨 파일 선택"));
}

} // namespace
