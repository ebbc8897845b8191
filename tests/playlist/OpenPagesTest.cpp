#include "playlist/ui/OpenFolderPage.h"
#include "playlist/ui/OpenUrlPage.h"

#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/Settings.h"
#include "tests/DialogAnswerer.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <filesystem>

using namespace setting;

namespace {

class OpenPagesTest : public ::testing::Test {
protected:
    ~OpenPagesTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    std::u16string Station(const char* format, int index) {
        return profile.GetProfileString(kShoutCastSection, Settings::IndexedName(format, index));
    }
    static QStringList MenuTexts(OpenUrlPage& page) {
        QMenu menu;
        page.FillMenu(menu);
        QStringList texts;
        for (QAction* action : menu.actions())
            texts << (action->isSeparator() ? "-" : action->text());
        return texts;
    }
    static QStringList Titles(const OpenUrlPage& page) {
        QStringList titles;
        for (int i = 0; i < page.List()->topLevelItemCount(); ++i)
            titles << page.List()->topLevelItem(i)->text(0);
        return titles;
    }
    // The page in its own window, kept as a picture for people to look at.
    static void Picture(QWidget& page, const char* name) {
        page.resize(page.sizeHint().expandedTo(QSize(420, 320)));
        page.show();
        QTest::qWait(20);
        page.grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/") + name);
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

// A first use shows the three stations it writes; a selected row fills the boxes and gets the
// full menu; moving and deleting rows is what OK writes, with the typed address as a new one.
TEST_F(OpenPagesTest, UrlPageEditsTheStationListAndOkWritesIt) {
    std::u16string opened;
    OpenUrlPage page(profile, [&opened](const std::u16string& address) { opened = address; });
    ASSERT_EQ(page.List()->topLevelItemCount(), 3);
    EXPECT_EQ(profile.GetProfileInt(kShoutCastSection, u"NumberOfEntries", -1), 3);
    EXPECT_EQ(page.AddressBox()->text(), "http://");
    EXPECT_EQ(page.TitleBox()->text(), "NoTitle");
    EXPECT_EQ(MenuTexts(page), QStringList({"Open..."}));
    Picture(page, "open-url.png");

    const QStringList before = Titles(page);
    page.List()->setCurrentItem(page.List()->topLevelItem(0));
    EXPECT_EQ(page.TitleBox()->text(), before[0]);
    EXPECT_EQ(page.AddressBox()->text(), page.List()->topLevelItem(0)->text(1));
    EXPECT_EQ(MenuTexts(page),
              QStringList({"Open...", "-", "Up", "Down", "-", "Delese", "Delete All"}));

    EXPECT_EQ(page.MoveRow(0, +1), 1);
    EXPECT_EQ(page.List()->currentItem()->text(0), before[0]);
    EXPECT_EQ(page.MoveRow(1, +1), 2);
    EXPECT_EQ(page.MoveRow(2, +1), 2); // the last row stays
    page.DeleteRow(0);
    EXPECT_EQ(Titles(page), QStringList({before[2], before[0]}));

    page.AddressBox()->setText("HTTP://Radio.Example:8000/Live");
    page.TitleBox()->setText("Mine");
    ASSERT_TRUE(page.Validate());
    page.Apply();
    EXPECT_EQ(opened, u"http://radio.example:8000/Live");
    EXPECT_EQ(profile.GetProfileInt(kShoutCastSection, u"NumberOfEntries", -1), 3);
    EXPECT_EQ(QString::fromStdU16String(Station("Title%d", 0)), before[2]);
    EXPECT_EQ(QString::fromStdU16String(Station("Title%d", 1)), before[0]);
    EXPECT_EQ(Station("Title%d", 2), u"Mine");
    EXPECT_EQ(Station("File%d", 2), u"http://radio.example:8000/Live");
}

// "Open..." asks for a ".pls" list and adds its new stations below the others.
TEST_F(OpenPagesTest, UrlPageImportsAPlsList) {
    const std::string pls =
        folder.Write("lists/stations.pls", "[playlist]\nnumberofentries=3\n"
                                           "File1=http://one.example:8000/\nTitle1=One\n"
                                           "File2=ftp://two.example/\nTitle2=Two\n"
                                           "File3=http://three.example:8010/\n");
    OpenUrlPage page(profile);
    page.DeleteAll();
    EXPECT_EQ(page.List()->topLevelItemCount(), 0);
    DialogAnswerer answers;
    answers.Then(DialogAnswerer::ChooseFile(QString::fromStdString(pls)));
    QMenu menu;
    page.FillMenu(menu);
    menu.actions().front()->trigger();
    ASSERT_EQ(answers.Dialogs().size(), 1u);
    EXPECT_EQ(answers.Dialogs()[0].title, "Open SHOUTCast Playlist");
    EXPECT_EQ(Titles(page), QStringList({"One", "http://three.example:8010/"}));
    EXPECT_EQ(page.ImportFile(QString::fromStdString(pls)), 0); // nothing new the second time
}

// The folder page shows the stored choices, refuses a folder that is not there, takes the
// chooser's folder with a closing "/" and writes all three on OK.
TEST_F(OpenPagesTest, FolderPageReadsValidatesAndWrites) {
    std::filesystem::create_directories(folder / "music/more");
    Settings::Set(profile, kOpenFolderName, std::u16string(u"/gone/"));
    Settings::Set(profile, kOpenSubFolder, 1);
    OpenFolderPage page(profile);
    EXPECT_EQ(page.FolderBox()->text(), "/gone/");
    EXPECT_FALSE(page.StartupBox()->isChecked());
    EXPECT_TRUE(page.SubFolderBox()->isChecked());
    Picture(page, "open-folder.png");

    DialogAnswerer answers;
    answers.Then(DialogAnswerer::Click(QMessageBox::Ok));
    EXPECT_FALSE(page.Validate());
    EXPECT_EQ(answers.Dialogs().size(), 1u);
    EXPECT_EQ(Settings::Get(profile, kOpenFolderName), u"/gone/");

    answers.Then([this](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(QString::fromStdString(folder / "music"));
        static_cast<QDialog*>(dialog)->accept();
    });
    page.ChooseButton()->click();
    EXPECT_EQ(answers.Dialogs()[1].title, "Select folder with audio files");
    EXPECT_EQ(page.FolderBox()->text().toStdString(), folder / "music/");
    page.StartupBox()->click();
    page.SubFolderBox()->click();
    ASSERT_TRUE(page.Validate());
    page.Apply();
    EXPECT_EQ(Settings::Get(profile, kOpenFolderName), folder.File16("music/"));
    EXPECT_EQ(Settings::Get(profile, kOpenFolderAtStartup), 1);
    EXPECT_EQ(Settings::Get(profile, kOpenSubFolder), 0);
}

TEST_F(OpenPagesTest, KoreanTexts) {
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    OpenUrlPage url(profile);
    EXPECT_EQ(url.windowTitle(), QString::fromUtf8("URL 열기"));
    EXPECT_EQ(url.List()->headerItem()->text(0), QString::fromUtf8("제목"));
    EXPECT_EQ(url.List()->headerItem()->text(1), QString::fromUtf8("주소"));
    url.List()->setCurrentItem(url.List()->topLevelItem(0));
    EXPECT_EQ(MenuTexts(url),
              QString::fromUtf8("열기...|-|위로|아래로|-|삭제|전체 삭제").split('|'));
    Picture(url, "open-url-ko.png");

    OpenFolderPage folderPage(profile);
    EXPECT_EQ(folderPage.windowTitle(), QString::fromUtf8("폴더 열기"));
    Picture(folderPage, "open-folder-ko.png");
    DialogAnswerer answers;
    answers.Then(DialogAnswerer::Reject());
    folderPage.ChooseButton()->click();
    ASSERT_EQ(answers.Dialogs().size(), 1u);
    EXPECT_EQ(answers.Dialogs()[0].title, QString::fromUtf8("오디오 파일이 있는 폴더 선택"));
}

} // namespace
