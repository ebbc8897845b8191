#include "options/FileAssocPage.h"
#include "options/DesktopAssociations.h"
#include "options/ShellAssociations.h"

#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "settings/SettingNames.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QProcess>
#include <QTranslator>
#include <gtest/gtest.h>

#include <fstream>

using namespace setting;

namespace {

std::u16string Wide(const std::string& text) {
    return TextCodec::Utf8ToUtf16(text);
}

const DesktopAssociations::FileType& Mp3() {
    return DesktopAssociations::Types()[1];
}
const DesktopAssociations::FileType& Wma() {
    return DesktopAssociations::Types()[3];
}
const DesktopAssociations::FileType& Wav() {
    return DesktopAssociations::Types()[5];
}

// A private desktop: its own XDG folders, the program's path with a blank in it.
class FileAssocTest : public ::testing::Test {
protected:
    FileAssocTest() {
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(folder / "config"));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder / "data"));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(folder / "system"));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(folder / "system"));
        qputenv("XDG_CURRENT_DESKTOP", "");
        folder.Write("data/applications/old-player.desktop",
                     "[Desktop Entry]\nType=Application\nName=Old\nExec=true %F\n");
    }
    ~FileAssocTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    DesktopAssociations Associations() {
        return DesktopAssociations(profile, folder / "config", folder / "data",
                                   folder / "my player/sonvale");
    }
    ShellAssociations Shell() { return ShellAssociations(registry, folder / "my player/sonvale"); }
    // A value under HKEY_CLASSES_ROOT, or "(none)".
    std::u16string Classes(std::u16string_view key, std::u16string_view name = u"") {
        const std::optional<RegValue> value = registry.QueryValue(HKEY_CLASSES_ROOT, key, name);
        return value ? value->text : u"(none)";
    }
    void SetList(const std::string& text) { folder.Write("config/mimeapps.list", text); }
    std::string List() { return folder.Read("config/mimeapps.list"); }

    // What a desktop tool answers as the default of `mimeType`.
    static QString QueryDefault(const QString& mimeType) {
        QProcess query;
        query.start("xdg-mime", {"query", "default", mimeType});
        query.waitForFinished();
        return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

TEST_F(FileAssocTest, ListEditsKeepTheRest) {
    const std::string list = "[Added Associations]\naudio/mpeg=a.desktop;\n\n"
                             "[Default Applications]\naudio/ogg=b.desktop\naudio/mpeg=c.desktop\n";
    EXPECT_EQ(DesktopAssociations::DefaultOf(list, "audio/mpeg"), "c.desktop");
    EXPECT_EQ(DesktopAssociations::DefaultOf(list, "audio/mp2"), "");
    const std::string set = DesktopAssociations::WithDefault(list, "audio/mpeg", "s.desktop");
    EXPECT_EQ(set, "[Added Associations]\naudio/mpeg=a.desktop;\n\n"
                   "[Default Applications]\naudio/ogg=b.desktop\naudio/mpeg=s.desktop\n");
    EXPECT_EQ(DesktopAssociations::WithDefault(set, "audio/mpeg", ""),
              "[Added Associations]\naudio/mpeg=a.desktop;\n\n"
              "[Default Applications]\naudio/ogg=b.desktop\n");
    EXPECT_EQ(DesktopAssociations::WithDefault("", "audio/mp2", "s.desktop"),
              "[Default Applications]\naudio/mp2=s.desktop\n");
}

TEST_F(FileAssocTest, AssociatesAndGivesBackThePreviousOpener) {
    SetList("[Default Applications]\naudio/mpeg=old-player.desktop\n");
    DesktopAssociations associations = Associations();
    EXPECT_FALSE(associations.IsAssociated(Mp3()));
    ASSERT_TRUE(associations.Associate(Mp3()));
    ASSERT_TRUE(associations.Associate(Mp3())); // twice: the first kept opener stays
    EXPECT_TRUE(associations.IsAssociated(Mp3()));
    EXPECT_EQ(QueryDefault("audio/mpeg"), "sonvale.desktop");
    EXPECT_EQ(profile.GetProfileString(kFileAssociationSection, u"audio/mpeg"),
              u"old-player.desktop");

    QProcess validate;
    validate.start("desktop-file-validate",
                   {QString::fromStdString(associations.DesktopFilePath())});
    validate.waitForFinished();
    EXPECT_EQ(validate.exitCode(), 0) << validate.readAllStandardOutput().toStdString();
    EXPECT_NE(folder.Read("data/applications/sonvale.desktop")
                  .find("Exec=\"" + (folder / "my player/sonvale") + "\" %F\n"),
              std::string::npos);

    associations.Dissociate(Mp3());
    EXPECT_FALSE(associations.IsAssociated(Mp3()));
    EXPECT_EQ(QueryDefault("audio/mpeg").toStdString(), "old-player.desktop") << List();
    EXPECT_EQ(profile.GetProfileString(kFileAssociationSection, u"audio/mpeg", u"gone"), u"gone");
}

TEST_F(FileAssocTest, GivingBackLeavesAnotherProgramsChoiceAndAnEmptyPastEmpty) {
    DesktopAssociations associations = Associations();
    ASSERT_TRUE(associations.Associate(Mp3()));
    ASSERT_TRUE(associations.Associate(Wma()));
    SetList(DesktopAssociations::WithDefault(List(), "audio/mpeg", "old-player.desktop"));
    associations.Dissociate(Mp3());
    associations.Dissociate(Wma());
    EXPECT_EQ(DesktopAssociations::DefaultOf(List(), "audio/mpeg"), "old-player.desktop");
    EXPECT_EQ(List().find("audio/x-ms-wma"), std::string::npos);
}

TEST_F(FileAssocTest, ShellKeysKeepTheFirstOwnerAndGiveBackOnlyWhatIsStillOurs) {
    const std::u16string program = Wide(folder / "my player/sonvale");
    registry.SetString(HKEY_CLASSES_ROOT, u".mp3", u"", u"OldPlayer.mp3");
    ShellAssociations shell = Shell();
    EXPECT_FALSE(shell.IsAssociated(Mp3()));
    shell.Associate(Mp3());
    shell.Associate(Mp3()); // twice: the first owner stays kept
    EXPECT_TRUE(shell.IsAssociated(Mp3()));
    EXPECT_EQ(Classes(u".mp3"), u"Sonvale MP3 AudioFile");
    EXPECT_EQ(Classes(u".mp3", ShellAssociations::kBackupValue), u"OldPlayer.mp3");
    EXPECT_EQ(Classes(u"Sonvale MP3 AudioFile"), u"MP3 Audio File");
    EXPECT_EQ(Classes(u"Sonvale MP3 AudioFile\\DefaultIcon"), program + u",-254");
    EXPECT_EQ(Classes(u"Sonvale MP3 AudioFile\\Shell\\Open\\Command"),
              u"\"" + program + u"\" \"%1\"");
    shell.Dissociate(Mp3());
    EXPECT_FALSE(shell.IsAssociated(Mp3()));
    EXPECT_EQ(Classes(u".mp3"), u"OldPlayer.mp3");
    EXPECT_EQ(Classes(u".mp3", ShellAssociations::kBackupValue), u"(none)");
    EXPECT_TRUE(registry.KeyExists(HKEY_CLASSES_ROOT, u"Sonvale MP3 AudioFile"));

    // No owner before: an empty kept value; another program takes the type meanwhile.
    shell.Associate(Wav());
    shell.Associate(Wma());
    EXPECT_EQ(Classes(u".wav", ShellAssociations::kBackupValue), u"");
    registry.SetString(HKEY_CLASSES_ROOT, u".wav", u"", u"Other.wav");
    shell.Dissociate(Wav());
    shell.Dissociate(Wma());
    EXPECT_EQ(Classes(u".wav"), u"Other.wav");
    EXPECT_EQ(Classes(u".wav", ShellAssociations::kBackupValue), u"(none)");
    EXPECT_EQ(Classes(u".wma"), u"");
    EXPECT_EQ(Classes(u".wma", ShellAssociations::kBackupValue), u"(none)");
    shell.Dissociate(DesktopAssociations::Types()[0]); // never there: nothing happens
    EXPECT_FALSE(registry.KeyExists(HKEY_CLASSES_ROOT, u".mp2"));
}

TEST_F(FileAssocTest, PageShowsTheOpenersAndAppliesOnOk) {
    SetList("[Default Applications]\naudio/x-wav=old-player.desktop\n");
    Associations().Associate(Mp3());
    {
        FileAssocPage page(profile);
        ASSERT_EQ(page.Boxes().size(), 7u);
        EXPECT_TRUE(page.Boxes()[1]->isChecked());
        EXPECT_FALSE(page.Boxes()[5]->isChecked());
        page.Boxes()[1]->setChecked(false);
        page.Boxes()[5]->setChecked(true);
    } // no OK: nothing changes
    EXPECT_EQ(QueryDefault("audio/mpeg"), "sonvale.desktop");
    FileAssocPage page(profile);
    page.Boxes()[1]->setChecked(false);
    page.Boxes()[5]->setChecked(true);
    page.Apply();
    EXPECT_EQ(DesktopAssociations::DefaultOf(List(), "audio/mpeg"), "");
    EXPECT_EQ(QueryDefault("audio/x-wav"), "sonvale.desktop");
    // The shell keys follow the boxes too.
    EXPECT_TRUE(Shell().IsAssociated(Wav()));
    EXPECT_EQ(Classes(u"Sonvale WaveFile\\DefaultIcon"),
              Wide(DesktopAssociations::RunningProgram()) + u",-261");
    EXPECT_FALSE(Shell().IsAssociated(Mp3()));
}

TEST_F(FileAssocTest, WithoutTheMediaPlayerWmaIsGivenBackOnShowing) {
    Associations().Associate(Wma());
    Shell().Associate(Wma());
    Shell().Associate(DesktopAssociations::Types()[4]);
    FileAssocPage page(profile, false);
    EXPECT_TRUE(page.Boxes()[3]->isChecked());
    page.show();
    EXPECT_FALSE(page.Boxes()[3]->isChecked());
    EXPECT_FALSE(page.Boxes()[3]->isEnabled());
    EXPECT_FALSE(page.Boxes()[4]->isEnabled());
    EXPECT_FALSE(Associations().IsAssociated(Wma()));
    EXPECT_FALSE(Shell().IsAssociated(Wma()));
    EXPECT_FALSE(Shell().IsAssociated(DesktopAssociations::Types()[4]));
}

TEST_F(FileAssocTest, PicturesInEnglishAndKorean) {
    for (int language : {1033, 1042}) {
        SonvaleApp::InstallLanguage(*qApp, language);
        FileAssocPage page(profile);
        page.resize(page.sizeHint());
        page.grab().save(QStringLiteral(SONVALE_SCREENSHOTS "/file-associations%1.png")
                             .arg(language == 1042 ? "-ko" : ""));
        if (language == 1042) {
            EXPECT_EQ(page.windowTitle(), QString::fromUtf8("파일 연결"));
        }
    }
}

} // namespace
