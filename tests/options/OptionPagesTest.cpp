#include "app/SonvaleApp.h"
#include "options/DecoderPage.h"
#include "options/GeneralPage.h"
#include "options/OptionSheet.h"
#include "options/StreamingPage.h"
#include "options/TrackbarField.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace setting;

namespace {

class OptionPagesTest : public ::testing::Test {
protected:
    ~OptionPagesTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }

    // The sheet with the Preferences, Decoder and Streaming pages, shown.
    std::unique_ptr<OptionSheet> Sheet() {
        OptionSheet::PageMakers makers;
        makers[OptionSheet::kGeneral] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
            return {new GeneralPage(profile, parent)};
        };
        makers[OptionSheet::kDecoder] = [this](QWidget* parent) -> std::vector<OptionsPage*> {
            return {new DecoderPage(profile, nullptr, parent),
                    new StreamingPage(profile, nullptr, parent)};
        };
        auto sheet = std::make_unique<OptionSheet>(QStringLiteral("Settings"),
                                                   OptionSheet::kSettingsMask, makers);
        sheet->show();
        return sheet;
    }
    template <typename Page> Page* Find(OptionSheet& sheet) { return sheet.findChild<Page*>(); }
    static void Type(TrackbarField* field, const QString& text) {
        field->Number()->clear();
        QTest::keyClicks(field->Number(), text);
    }
    void Grab(OptionSheet& sheet, const QString& suffix) {
        QDir().mkpath(QStringLiteral(SONVALE_SCREENSHOTS));
        for (int i = 0; i < sheet.Tabs()->count(); ++i) {
            sheet.ShowPage(i);
            sheet.grab().save(
                QStringLiteral(SONVALE_SCREENSHOTS "/options-%1%2.png")
                    .arg(sheet.Pages()[static_cast<size_t>(i)]->metaObject()->className())
                    .arg(suffix));
        }
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, kRegistryKeyWord, kProfileName};
};

// The pages read what is stored (the defaults when nothing is), Cancel writes nothing, OK
// writes every row and value.
TEST_F(OptionPagesTest, ThePagesReadTheirSettingsAndWriteThemOnlyOnOk) {
    Settings::Set(profile, kSeekInterval, 7);
    Settings::Set(profile, kTwoLineLyrics, 1);
    Settings::Set(profile, kMixingBufferSize, 300);
    auto sheet = Sheet();
    ASSERT_EQ(sheet->Tabs()->count(), 3);
    EXPECT_EQ(sheet->Tabs()->tabText(0), QStringLiteral("Preferences"));
    EXPECT_EQ(sheet->Tabs()->tabText(1), QStringLiteral("Decoder"));
    EXPECT_EQ(sheet->Tabs()->tabText(2), QStringLiteral("Streaming"));
    auto* general = Find<GeneralPage>(*sheet);
    auto* decoder = Find<DecoderPage>(*sheet);
    auto* streaming = Find<StreamingPage>(*sheet);

    EXPECT_EQ(general->Options()->count(), 17);
    EXPECT_EQ(general->Options()->item(6)->text(),
              QStringLiteral("Use \"/\" as a line feed in lyrics"));
    EXPECT_EQ(general->SeekNumber()->value(), 7);
    EXPECT_EQ(general->Row(kTwoLineLyrics)->checkState(), Qt::Checked);
    EXPECT_EQ(general->Row(kScrollMsg)->checkState(), Qt::Checked); // default 1
    EXPECT_EQ(decoder->StreamBuffer()->Number()->text(), QStringLiteral("1000"));
    EXPECT_EQ(decoder->MixingBuffer()->Value(), 300);
    EXPECT_EQ(streaming->BufferSize()->Value(), 64);
    EXPECT_FALSE(streaming->Proxy()->isEnabled());

    general->SeekSlider()->setValue(12);
    EXPECT_EQ(general->SeekNumber()->value(), 12);
    general->Row(kScrollMsg)->setCheckState(Qt::Unchecked);
    sheet->reject();
    EXPECT_EQ(profile.GetProfileInt(kSettings, kScrollMsg.name, -1), -1);
    EXPECT_EQ(Settings::Get(profile, kSeekInterval), 7);

    sheet = Sheet();
    general = Find<GeneralPage>(*sheet);
    decoder = Find<DecoderPage>(*sheet);
    streaming = Find<StreamingPage>(*sheet);
    general->SeekSlider()->setValue(12);
    general->Row(kScrollMsg)->setCheckState(Qt::Unchecked);
    decoder->StreamBuffer()->Slider()->setValue(2500);
    EXPECT_EQ(decoder->StreamBuffer()->Number()->text(), QStringLiteral("2500"));
    Type(streaming->PrebufferSize(), QStringLiteral("48"));
    EXPECT_EQ(streaming->PrebufferSize()->Slider()->value(), 48);
    streaming->UseProxy()->click();
    EXPECT_TRUE(streaming->Proxy()->isEnabled());
    streaming->Proxy()->setText(QStringLiteral("proxy.example:8080"));
    sheet->accept();
    EXPECT_EQ(sheet->result(), QDialog::Accepted);

    EXPECT_EQ(Settings::Get(profile, kSeekInterval), 12);
    EXPECT_EQ(profile.GetProfileInt(kSettings, kScrollMsg.name, -1), 0);
    EXPECT_EQ(profile.GetProfileInt(kSettings, kDecoderRestart.name, -1), 1); // every row
    EXPECT_EQ(profile.GetProfileInt(kSettings, kUseDefaultDecoder.name, -1), 1);
    EXPECT_EQ(Settings::Get(profile, kStreamBufferSize), 2500);
    EXPECT_EQ(Settings::Get(profile, kMixingBufferSize), 300);
    EXPECT_EQ(Settings::Get(profile, kStreamingBufferSize), 64);
    EXPECT_EQ(Settings::Get(profile, kStreamingPreBufferSize), 48);
    EXPECT_EQ(Settings::Get(profile, kUseProxy), 1);
    EXPECT_EQ(Settings::Get(profile, kProxyServer), u"proxy.example:8080");
}

// A number typed outside its trackbar's range keeps the sheet open on its page and writes
// nothing; a number in range then goes through.
TEST_F(OptionPagesTest, ANumberTypedOutOfRangeIsRefused) {
    auto sheet = Sheet();
    auto* streaming = Find<StreamingPage>(*sheet);
    Type(streaming->BufferSize(), QStringLiteral("2000"));
    sheet->ShowPage(0);
    sheet->accept();
    EXPECT_NE(sheet->result(), QDialog::Accepted);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->Tabs()->currentWidget(), streaming);
    EXPECT_TRUE(streaming->Error()->isVisible());
    EXPECT_EQ(streaming->Error()->text(), QStringLiteral("Enter a number from 16 to 1024."));
    EXPECT_EQ(profile.GetProfileInt(kSettings, kStreamingBufferSize.name, -1), -1);
    EXPECT_EQ(profile.GetProfileInt(kSettings, kSeekInterval.name, -1), -1);

    Type(streaming->BufferSize(), QStringLiteral("512"));
    sheet->accept();
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
    EXPECT_EQ(Settings::Get(profile, kStreamingBufferSize), 512);
}

// In the Bluetooth stack mode "Use default decoder" is neither shown nor written.
TEST_F(OptionPagesTest, TheStackModeLeavesOutTheDefaultDecoderRow) {
    registry.SetNumber(HKEY_LOCAL_MACHINE, kWidcommKey, kWidcommStackMode, 1);
    profile.WriteProfileInt(kSettings, kUseDefaultDecoder.name, 7);
    auto sheet = Sheet();
    auto* general = Find<GeneralPage>(*sheet);
    EXPECT_EQ(general->Options()->count(), 16);
    EXPECT_EQ(general->Row(kUseDefaultDecoder), nullptr);
    EXPECT_EQ(general->Options()->item(15)->text(), QStringLiteral("Decoder restart at power on"));
    sheet->accept();
    EXPECT_EQ(profile.GetProfileInt(kSettings, kUseDefaultDecoder.name, -1), 7);
}

// The zoom offers 1x, 1.5x and 2x; a stored value not offered reads as 1x.
TEST_F(OptionPagesTest, TheZoomIsChosenFromThreeAndStoredInPercent) {
    Settings::Set(profile, kZoom, 120);
    auto sheet = Sheet();
    QComboBox* zoom = Find<GeneralPage>(*sheet)->Zoom();
    ASSERT_EQ(zoom->count(), 3);
    EXPECT_EQ(zoom->currentText(), QStringLiteral("1x"));
    zoom->setCurrentIndex(2);
    sheet->accept();
    EXPECT_EQ(Settings::Get(profile, kZoom), 200);

    sheet = Sheet();
    EXPECT_EQ(Find<GeneralPage>(*sheet)->Zoom()->currentText(), QStringLiteral("2x"));
}

// In Korean; the pages' pictures in both languages go to build/screenshots.
TEST_F(OptionPagesTest, KoreanTexts) {
    Grab(*Sheet(), QString());
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    auto sheet = Sheet();
    Grab(*sheet, QStringLiteral("-ko"));
    EXPECT_EQ(sheet->Tabs()->tabText(0), QString::fromUtf8("환경 설정"));
    EXPECT_EQ(sheet->Tabs()->tabText(2), QString::fromUtf8("스트리밍"));
    EXPECT_EQ(Find<GeneralPage>(*sheet)->Row(kScrollMsg)->text(), QString::fromUtf8("제목 스크롤"));
    EXPECT_EQ(Find<StreamingPage>(*sheet)->UseProxy()->text(),
              QString::fromUtf8("프록시 서버 사용"));
    EXPECT_EQ(Find<GeneralPage>(*sheet)->Zoom()->itemText(1), QString::fromUtf8("1.5배"));
}

} // namespace
