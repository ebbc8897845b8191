#include "skin-editor/EditorWindow.h"
#include "skin-editor/EditorLanguage.h"

#include "platform/Registry.h"
#include "tests/DialogAnswerer.h"
#include "tests/MissingGlyphs.h"
#include "tests/TempFolder.h"

#include <QAction>
#include <QMenuBar>
#include <QTest>
#include <QTranslator>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const std::string kMark = "\xFF\xFE";

class EditorWindowTest : public ::testing::Test {
protected:
    void SetUp() override { window.show(); }
    void TearDown() override {
        EXPECT_EQ(answers.Unexpected(), 0) << "a dialog opened that the test did not expect";
    }

    void Trigger(const char* action) { window.findChild<QAction*>(action)->trigger(); }

    // The tree as lines: sections as they are, entries indented.
    QStringList TreeLines() const {
        QStringList lines;
        QTreeWidget* tree = window.Tree();
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            lines << tree->topLevelItem(i)->text(0);
            for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
                lines << "  " + tree->topLevelItem(i)->child(j)->text(0);
        }
        return lines;
    }

    void Select(const QString& text) {
        const auto found = window.Tree()->findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        ASSERT_EQ(found.size(), 1) << text.toStdString();
        window.Tree()->setCurrentItem(found.first());
    }

    QString Q(const std::string& path) const { return QString::fromStdString(path); }

    // Opens a file written with the given text, answering nothing.
    void OpenText(const std::string& name, const std::string& text) {
        ASSERT_TRUE(window.OpenPath(Q(folder.Write(name, text))));
    }

    TempFolder folder;
    DialogAnswerer answers;
    EditorWindow window;
};

TEST_F(EditorWindowTest, ASavedFileReloadsWithTheSameSectionsAndEntriesInOrder) {
    answers.Then(DialogAnswerer::Fill({{"sectionEdit", "Main"}}));
    Trigger("actionInsertSection");
    answers.Then(DialogAnswerer::Fill({{"entryEdit", "PlayButton"}, {"valueEdit", "play.png"}}));
    Trigger("actionInsertEntry");
    answers.Then(DialogAnswerer::Fill(
        {{"sectionEdit", "Colors"}, {"entryEdit", "Text"}, {"valueEdit", "255,128,0"}}));
    Trigger("actionInsertEntry");
    Select("Main");
    answers.Then(DialogAnswerer::Fill({{"entryEdit", "Alpha"}, {"valueEdit", "1"}}));
    Trigger("actionInsertEntry");
    EXPECT_TRUE(window.isWindowModified());

    // The first Save has no path yet and asks for one; ".wps" is added to a bare name.
    answers.Then(DialogAnswerer::ChooseFile(Q(folder / "skin")));
    Trigger("actionSave");
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().startsWith("skin.wps"));
    EXPECT_EQ(folder.Read("skin.wps"),
              kMark + Utf16Le(u"\r\n[Main]\r\nPlayButton=play.png\r\nAlpha=1\r\n"
                              u"\r\n[Colors]\r\nText=255,128,0\r\n"));

    const QStringList lines = TreeLines();
    EXPECT_EQ(lines, QStringList({"Main", "  PlayButton=play.png", "  Alpha=1", "Colors",
                                  "  Text=255,128,0"}));
    EditorWindow reloaded;
    ASSERT_TRUE(reloaded.OpenPath(Q(folder / "skin.wps")));
    window.OpenPath(Q(folder / "skin.wps"));
    EXPECT_EQ(TreeLines(), lines);
    EXPECT_FALSE(reloaded.isWindowModified());
}

TEST_F(EditorWindowTest, AMissingFileIsReportedAndSaveThenWritesAnEmptyDocument) {
    OpenText("old.wps", "[Old]\r\nk=v\r\n");
    const std::string missing = folder / "missing.wps";
    answers.Then(DialogAnswerer::Click(QMessageBox::Ok));
    EXPECT_FALSE(window.OpenPath(Q(missing)));
    ASSERT_EQ(answers.Dialogs().size(), 1u);
    EXPECT_EQ(answers.Dialogs()[0].title, "Error");
    EXPECT_EQ(answers.Dialogs()[0].text, "Cannot load wps file " + Q(missing));
    // The tree shows the document: empty, named after the missing file.
    EXPECT_TRUE(TreeLines().isEmpty());
    EXPECT_TRUE(window.windowTitle().startsWith("missing.wps"));

    Trigger("actionSave");
    EXPECT_EQ(folder.Read("missing.wps"), kMark);
    EXPECT_EQ(answers.Dialogs().size(), 1u);
}

TEST_F(EditorWindowTest, DeletingASectionRemovesItsEntriesFromTreeAndFile) {
    OpenText("skin.wps", "[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n");

    Select("A");
    answers.Then(DialogAnswerer::Click(QMessageBox::No));
    Trigger("actionDelete");
    EXPECT_EQ(TreeLines().size(), 5);
    EXPECT_FALSE(window.Document().IsModified());

    answers.Then(DialogAnswerer::Click(QMessageBox::Yes));
    Trigger("actionDelete");
    EXPECT_EQ(answers.Dialogs().back().title, "Warning");
    EXPECT_EQ(answers.Dialogs().back().text, "Are you sure you want to delete Section A?");
    EXPECT_EQ(TreeLines(), QStringList({"B", "  c=3"}));

    Trigger("actionSave");
    EXPECT_EQ(folder.Read("skin.wps"), "[B]\r\nc=3\r\n");

    Select("c=3");
    answers.Then(DialogAnswerer::Click(QMessageBox::Yes));
    Trigger("actionDelete");
    EXPECT_EQ(answers.Dialogs().back().text, "Are you sure you want to delete Entry c?");
    EXPECT_EQ(TreeLines(), QStringList({"B"}));

    // With nothing selected Delete only beeps.
    window.Tree()->clearSelection();
    const size_t dialogs = answers.Dialogs().size();
    Trigger("actionDelete");
    EXPECT_EQ(answers.Dialogs().size(), dialogs);
    EXPECT_EQ(TreeLines(), QStringList({"B"}));
}

TEST_F(EditorWindowTest, InsertEntryWithANewSectionCreatesTheSectionFirst) {
    OpenText("skin.wps", "[A]\r\na=1\r\nb=2\r\n[B]\r\nc=3\r\n");
    Select("b=2");
    std::map<QString, QString> before;
    answers.Then(DialogAnswerer::Fill(
        {{"sectionEdit", "New"}, {"entryEdit", "k"}, {"valueEdit", "v w"}}, &before));
    Trigger("actionInsertEntry");
    EXPECT_EQ(before["sectionEdit"], "A"); // pre-filled from the selected entry's section
    EXPECT_EQ(TreeLines(), QStringList({"A", "  a=1", "  b=2", "B", "  c=3", "New", "  k=v w"}));
    std::u16string value;
    EXPECT_TRUE(window.Document().GetValue(u"New", u"k", value));
    EXPECT_EQ(value, u"v w");

    // Setting an existing key changes its value in place.
    answers.Then(
        DialogAnswerer::Fill({{"sectionEdit", "A"}, {"entryEdit", "a"}, {"valueEdit", "7"}}));
    Trigger("actionInsertEntry");
    EXPECT_EQ(TreeLines().mid(0, 3), QStringList({"A", "  a=7", "  b=2"}));
}

TEST_F(EditorWindowTest, RefusedInsertsShowTheirMessageAndChangeNothing) {
    OpenText("skin.wps", "[A]\r\na=1\r\n");
    const QStringList lines = TreeLines();
    struct Case {
        const char* action;
        std::map<QString, QString> fields;
        QString message;
    };
    const Case cases[] = {
        {"actionInsertSection", {{"sectionEdit", ""}}, "Section name is empty!"},
        {"actionInsertSection", {{"sectionEdit", "A"}}, "Section already exists!"},
        {"actionInsertSection", {{"sectionEdit", "x]y"}}, "Invalid section name!"},
        {"actionInsertEntry", {{"sectionEdit", "A"}, {"entryEdit", ""}}, "Entry name is empty!"},
        {"actionInsertEntry", {{"sectionEdit", ""}, {"entryEdit", "k"}}, "Section name is empty!"},
        {"actionInsertEntry", {{"sectionEdit", "A"}, {"entryEdit", "k=1"}}, "Cannot create entry!"},
        {"actionInsertEntry", {{"sectionEdit", "A"}, {"entryEdit", "_k"}}, "Cannot create entry!"},
    };
    for (const Case& c : cases) {
        answers.Then(DialogAnswerer::Fill(c.fields)).Then(DialogAnswerer::Click(QMessageBox::Ok));
        Trigger(c.action);
        ASSERT_FALSE(answers.Dialogs().empty());
        EXPECT_EQ(answers.Dialogs().back().title, "Error");
        EXPECT_EQ(answers.Dialogs().back().text, c.message);
        EXPECT_EQ(TreeLines(), lines);
        EXPECT_FALSE(window.Document().IsModified());
    }
    EXPECT_EQ(window.Document().GetSectionOrder(), std::vector<std::u16string>{u"A"});
}

TEST_F(EditorWindowTest, PropertiesChangesTheValueOfTheActivatedEntry) {
    OpenText("skin.wps", "[A]\r\na=1\r\n");
    Select("a=1");
    std::map<QString, QString> before;
    answers.Then(DialogAnswerer::Fill({{"valueEdit", "9"}}, &before));
    QTest::keyClick(window.Tree(), Qt::Key_Return);
    EXPECT_EQ(before["sectionEdit"], "A");
    EXPECT_EQ(before["entryEdit"], "a");
    EXPECT_EQ(before["valueEdit"], "1");
    EXPECT_EQ(TreeLines(), QStringList({"A", "  a=9"}));
    EXPECT_TRUE(window.isWindowModified());

    answers.Then(DialogAnswerer::Reject());
    Trigger("actionProperties");
    EXPECT_EQ(TreeLines(), QStringList({"A", "  a=9"}));

    // On a section there is nothing to show: a beep, no dialog.
    Select("A");
    const size_t dialogs = answers.Dialogs().size();
    Trigger("actionProperties");
    EXPECT_EQ(answers.Dialogs().size(), dialogs);
}

TEST_F(EditorWindowTest, ClosingWithUnsavedChangesAsks) {
    OpenText("skin.wps", "[A]\r\na=1\r\n");
    answers.Then(DialogAnswerer::Fill({{"sectionEdit", "B"}}));
    Trigger("actionInsertSection");

    answers.Then(DialogAnswerer::Click(QMessageBox::Cancel));
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());

    answers.Then(DialogAnswerer::Click(QMessageBox::Save));
    EXPECT_TRUE(window.close());
    EXPECT_EQ(folder.Read("skin.wps"), "[A]\r\na=1\r\n\r\n[B]\r\n");

    EditorWindow other;
    other.show();
    other.OpenPath(Q(folder / "skin.wps"));
    answers.Then(DialogAnswerer::Fill({{"sectionEdit", "C"}}));
    other.findChild<QAction*>("actionInsertSection")->trigger();
    answers.Then(DialogAnswerer::Click(QMessageBox::Discard));
    EXPECT_TRUE(other.close());
    EXPECT_EQ(folder.Read("skin.wps"), "[A]\r\na=1\r\n\r\n[B]\r\n");
}

TEST_F(EditorWindowTest, SavingKeepsTheFilesOtherLinesEncodingAndLineEnds) {
    const std::string text = "; Sonvale skin\n\n[Main]\nPlayButton=play.png\n#--\n"
                             "Volume=3\nVolume=5\n[Colors]\nText=1,2,3\n";
    OpenText("skin.wps", text);
    // The second of two equal keys counts.
    EXPECT_EQ(TreeLines(), QStringList({"Main", "  PlayButton=play.png", "  Volume=5", "Colors",
                                        "  Text=1,2,3"}));
    Select("Volume=5");
    answers.Then(DialogAnswerer::Fill({{"valueEdit", "7"}}));
    Trigger("actionProperties");
    answers.Then(DialogAnswerer::Fill(
        {{"sectionEdit", "Main"}, {"entryEdit", "StopButton"}, {"valueEdit", "stop.png"}}));
    Trigger("actionInsertEntry");
    Trigger("actionSave");
    EXPECT_EQ(folder.Read("skin.wps"), "; Sonvale skin\n\n[Main]\nPlayButton=play.png\n#--\n"
                                       "Volume=3\nVolume=7\nStopButton=stop.png\n"
                                       "[Colors]\nText=1,2,3\n");
}

TEST_F(EditorWindowTest, AFileThatIsNoSkinIsReportedAndNotOverwritten) {
    OpenText("skin.wps", "[A]\r\na=1\r\n");
    const std::string notes = "These are notes, not a skin.\n";
    const std::string picture = std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR[x]y=1\n", 25);
    for (const std::string name : {"notes.wps", "picture.wps"}) {
        const std::string path =
            folder.Write(name, name == std::string("notes.wps") ? notes : picture);
        answers.Then(DialogAnswerer::Click(QMessageBox::Ok));
        EXPECT_FALSE(window.OpenPath(Q(path)));
        ASSERT_FALSE(answers.Dialogs().empty());
        EXPECT_EQ(answers.Dialogs().back().title, "Error");
        EXPECT_EQ(answers.Dialogs().back().text, "Cannot load wps file " + Q(path));
        // The open skin stays, and a Save goes to it.
        EXPECT_EQ(TreeLines(), QStringList({"A", "  a=1"}));
        EXPECT_TRUE(window.windowTitle().startsWith("skin.wps"));
    }
    Select("a=1");
    answers.Then(DialogAnswerer::Fill({{"valueEdit", "2"}}));
    Trigger("actionProperties");
    Trigger("actionSave");
    EXPECT_EQ(folder.Read("skin.wps"), "[A]\r\na=2\r\n");
    EXPECT_EQ(folder.Read("notes.wps"), notes);
    EXPECT_EQ(folder.Read("picture.wps"), picture);
    EXPECT_EQ(answers.Dialogs().size(), 3u);
}

// Skins name their parts in Korean too: the tree draws them with a face that has Hangul.
TEST_F(EditorWindowTest, KoreanSectionsAndEntriesDrawWithoutBoxes) {
    OpenText("skin.wps", kMark + Utf16Le(u"[표시창]\r\nText=글자\r\n"));
    ASSERT_EQ(TreeLines(), QStringList({"표시창", "  Text=글자"}));
    for (const QString& line : TreeLines())
        EXPECT_EQ(MissingGlyphs(window.Tree()->font(), line), 0) << line.toStdString();
}

TEST(EditorLanguage, KoreanTextsFollowThePlayersLanguageRule) {
    TempFolder home;
    Registry::Shared().Open(home / "registry.db");
    const QByteArray lang = qgetenv("LANG");
    qputenv("LANG", "en_US.UTF-8");
    EXPECT_EQ(EditorLanguage::UiLanguage(), 1033);
    qputenv("LANG", "ko_KR.UTF-8");
    EXPECT_EQ(EditorLanguage::UiLanguage(), 1042);
    Registry::Shared().SetNumber(HKEY_CURRENT_USER, u"Software\\Quillmarsh\\SonvaleVGA\\Settings",
                                 u"LangID", 1033);
    EXPECT_EQ(EditorLanguage::UiLanguage(), 1033);
    qputenv("LANG", lang);

    EXPECT_FALSE(EditorLanguage::Install(*QCoreApplication::instance(), 1033));
    ASSERT_TRUE(EditorLanguage::Install(*QCoreApplication::instance(), 1042));
    {
        EditorWindow window;
        EXPECT_EQ(window.menuBar()->actions().first()->text(), QString::fromUtf8("파일(&F)"));
        EXPECT_EQ(EditorWindow::tr("Cannot load wps file "),
                  QString::fromUtf8("wps 파일을 열 수 없습니다: "));
    }
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    Registry::Shared().Close();
}

} // namespace
