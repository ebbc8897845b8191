#include "app/SonvaleApp.h"
#include "input/KeyFunctions.h"
#include "playback/DecoderMessages.h"
#include "ui/Translated.h"

#include "tests/playlist/PlaylistFixture.h"

#include <QApplication>
#include <QTranslator>
#include <gtest/gtest.h>

namespace {

// The Qt-free layers hand up English texts; with the Korean translation installed the windows
// show them in Korean, arguments in the places the Korean wording puts them.
class TranslatedTextsTest : public PlaylistFixture {
protected:
    ~TranslatedTextsTest() override {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
            QCoreApplication::removeTranslator(translator);
            delete translator;
        }
    }
};

TEST_F(TranslatedTextsTest, KoreanTranslationReachesTheQtFreeTexts) {
    ASSERT_TRUE(SonvaleApp::InstallLanguage(*qApp, 1042));
    EXPECT_EQ(Translated(DecoderMessages::FailureText(DecoderMessage::LoadFailed)),
              QString::fromUtf8("디코더 초기화 실패. (디코더 DLL 파일 로드 실패)"));
    EXPECT_EQ(Translated(DecoderMessages::Title()), QString::fromUtf8("디코더 에러"));
    EXPECT_EQ(Translated(KeyFunctions::Name(10)), QString::fromUtf8("불륨 줄이기"));
    const auto shown = [](const UiText& text) { return Translated(text).toStdU16String(); };
    EXPECT_EQ(KeyFunctions::IndexOfName(u"시간 알림", shown), 23);

    Playlist writer(profile, host);
    writer.Assign(
        {StreamEntry(u"http://a/1"), StreamEntry(u"http://a/2"), StreamEntry(u"http://a/3")});
    const std::u16string path = home.File16("cut.wpl");
    ASSERT_TRUE(writer.PlaylistSave(path));
    const std::string bytes = home.Read("cut.wpl");
    home.Write("cut.wpl", bytes.substr(0, bytes.size() - 1));
    ASSERT_TRUE(list.PlaylistLoad(path, true));
    EXPECT_FALSE(list.PlaylistLoad(home.File16("none.wpl"), true));
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(Translated(host.messages[0].text),
              QString::fromUtf8("재생 목록 파일이 손상되었습니다(\"") +
                  QString::fromStdU16String(path) +
                  QString::fromUtf8("\"). 항목 2개만 읽을 수 있었습니다."));
    EXPECT_EQ(Translated(host.messages[1].text), QString::fromUtf8("파일 열기 실패."));
    EXPECT_EQ(Translated(host.messages[1].caption), QString::fromUtf8("Sonvale 에러"));
}

} // namespace
