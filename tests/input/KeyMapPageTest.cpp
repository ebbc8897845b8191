#include "input/ui/KeyMapPage.h"
#include "input/KeyMap.h"
#include "input/ui/KeyCaptureDialog.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"
#include "ui/KeyCapture.h"
#include "ui/WindowMessage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <memory>

using namespace setting;

namespace {

class KeyMapPageTest : public ::testing::Test {
protected:
    int Stored(const char* format, int index) {
        return profile.GetProfileInt(kKeySection, Settings::IndexedName(format, index), -7);
    }
    int Stored(const char16_t* name) { return profile.GetProfileInt(kKeySection, name, -7); }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

// Presses `key` `times` times on the capture dialog once it is open.
void PressOnCapture(Qt::Key key, int times) {
    QTimer::singleShot(0, [key, times] {
        auto* dialog = qobject_cast<KeyCaptureDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < times; ++i)
            QTest::keyClick(dialog, key);
    });
}

} // namespace

TEST_F(KeyMapPageTest, CaptureTellsSingleFromDoublePresses) {
    KeyCaptureDialog single;
    single.show();
    QTest::keyClick(&single, Qt::Key_Up);
    EXPECT_EQ(single.result(), 0); // still waiting for a second press
    EXPECT_TRUE(QTest::qWaitFor([&] { return single.result() == QDialog::Accepted; }, 2000));
    EXPECT_EQ(single.Key(), 38u);
    EXPECT_FALSE(single.Double());

    KeyCaptureDialog twice;
    twice.show();
    QTest::keyClick(&twice, Qt::Key_F13); // not taken
    QTest::keyClick(&twice, Qt::Key_Right);
    QTest::keyClick(&twice, Qt::Key_Right);
    EXPECT_TRUE(QTest::qWaitFor([&] { return twice.result() == QDialog::Accepted; }, 2000));
    EXPECT_EQ(twice.Key(), 39u);
    EXPECT_TRUE(twice.Double());
}

// While it is open, keys from outside the window (the desktop's shortcuts as hot keys, the media
// keys) are its; once it closes they are no one's.
TEST_F(KeyMapPageTest, CaptureTakesTheKeysFromOutside) {
    auto capture = std::make_unique<KeyCaptureDialog>();
    capture->show();
    ASSERT_EQ(KeyCapture::Window(), capture.get());
    SendWindowMessage(KeyCapture::Window(), WM_HOTKEY, 0, intptr_t{179} << 16);
    SendWindowMessage(KeyCapture::Window(), WM_KEYDOWN, 179, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return capture->result() == QDialog::Accepted; }, 2000));
    EXPECT_EQ(capture->Key(), 179u);
    EXPECT_TRUE(capture->Double());
    EXPECT_EQ(KeyCapture::Window(), nullptr);
    capture = std::make_unique<KeyCaptureDialog>();
    capture.reset();
    EXPECT_EQ(KeyCapture::Window(), nullptr);
}

// Captured keys fill rows (the same button again replaces its row, its double press is a row of
// its own); OK writes the rows in list order with the keep switch.
TEST_F(KeyMapPageTest, AutoMapFillsRowsAndOkWritesThem) {
    KeyMap::Save(profile, {{13, 0, 6}}, true);
    KeyMapPage page(profile);
    page.show();
    ASSERT_EQ(page.List()->topLevelItemCount(), 1);

    page.FunctionList()->setCurrentIndex(24); // Shuffle On/Off
    PressOnCapture(Qt::Key_Return, 1);
    page.AutoMap(); // Return is the Action key: its row is replaced
    page.FunctionList()->setCurrentIndex(1);
    PressOnCapture(Qt::Key_Left, 2);
    page.AutoMap();
    ASSERT_EQ(page.List()->topLevelItemCount(), 2);
    QTreeWidgetItem* row = page.List()->topLevelItem(1);
    EXPECT_EQ(row->text(KeyMapPage::kButtonColumn), QStringLiteral("Left (DC)"));
    EXPECT_EQ(row->text(KeyMapPage::kCodeColumn), QStringLiteral("37"));
    EXPECT_TRUE(row->isSelected());

    page.MoveSelected(-1);
    page.KeepBox()->setChecked(false);
    page.Apply();
    EXPECT_EQ(Stored(kKeyMapInit.name), 1);
    EXPECT_EQ(Stored(kKeyMapCnt.name), 2);
    EXPECT_EQ(Stored(kKeyCodeFormat, 0), 37);
    EXPECT_EQ(Stored(kDblClickFormat, 0), 1);
    EXPECT_EQ(Stored(kFuncCodeFormat, 0), 1);
    EXPECT_EQ(Stored(kKeyCodeFormat, 1), 13);
    EXPECT_EQ(Stored(kDblClickFormat, 1), 0);
    EXPECT_EQ(Stored(kFuncCodeFormat, 1), 24);
    EXPECT_EQ(Stored(kContKeyMap.name), 0);
}

// "Initialization" writes the default map at once, before any OK, and lists it.
TEST_F(KeyMapPageTest, InitializationWritesTheDefaultMap) {
    KeyMap::Save(profile, {}, true);
    KeyMapPage page(profile);
    EXPECT_EQ(page.List()->topLevelItemCount(), 0);
    page.Initialize();

    const std::vector<KeyMapEntry> defaults = KeyMap::DefaultEntries();
    EXPECT_EQ(Stored(kKeyMapCnt.name), static_cast<int>(defaults.size()));
    EXPECT_EQ(Stored(kKeyCodeFormat, 0), 13);
    EXPECT_EQ(Stored(kFuncCodeFormat, 0), 6);
    EXPECT_EQ(Stored(kKeyCodeFormat, 8), 196);
    EXPECT_EQ(Stored(kFuncCodeFormat, 8), 13);
    ASSERT_EQ(page.List()->topLevelItemCount(), static_cast<int>(defaults.size()));
    EXPECT_EQ(page.List()->topLevelItem(0)->text(KeyMapPage::kButtonColumn),
              QStringLiteral("Action"));
    EXPECT_EQ(page.List()->topLevelItem(0)->text(KeyMapPage::kFunctionColumn),
              QStringLiteral("Next Track"));
}
