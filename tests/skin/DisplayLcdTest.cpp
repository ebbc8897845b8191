#include "skin/DisplayLCD.h"
#include "skin/LcdScroll.h"

#include "tests/MissingGlyphs.h"
#include "tests/skin/DisplaySkin.h"
#include "tests/skin/PaintLog.h"

#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

namespace {

FileInfo Entry(std::u16string artist, std::u16string title, std::u16string album,
               std::u16string playTime) {
    FileInfo entry;
    entry.name = u"track01";
    entry.artist = std::move(artist);
    entry.title = std::move(title);
    entry.album = std::move(album);
    entry.playTime = std::move(playTime);
    return entry;
}

TEST(LcdLine, TagsBracketsAndTime) {
    const FileInfo song = Entry(u"Ann", u"Song", u"", u"03:25");
    EXPECT_EQ(DisplayLCD::BuildLine(song, true), u"<Ann> Song [03:25]");
    EXPECT_EQ(DisplayLCD::BuildLine(song, false), u"track01 [03:25]");
    EXPECT_EQ(DisplayLCD::BuildLine(Entry(u"Ann", u"Song", u"Best", u""), true),
              u"<Ann> Song @ Best");
    EXPECT_EQ(DisplayLCD::BuildLine(Entry(u"", u"Song", u"", u""), true), u"Song");
    // Nothing from the tags gives the name; a stream's "00:00" gets no time.
    EXPECT_EQ(DisplayLCD::BuildLine(Entry(u"", u"", u"", u"00:00"), true), u"track01");
}

TEST(LcdScroll, StandsStillThenMovesWithAGapAndWraps) {
    LcdScroll scroll;
    scroll.Layout(100, 50, true);
    ASSERT_TRUE(scroll.Scrolling());
    EXPECT_EQ(scroll.X2(), 110);
    for (int i = 0; i < 30; ++i)
        EXPECT_FALSE(scroll.Step());
    EXPECT_EQ(scroll.X1(), 0);
    EXPECT_TRUE(scroll.Step());
    EXPECT_EQ(scroll.X1(), -4);
    EXPECT_EQ(scroll.X2(), 106);
    // After 28 moves the first copy stands at -112, past -(100 + 10): the next step puts it
    // behind the second copy before both move on.
    for (int i = 0; i < 27; ++i)
        scroll.Step();
    EXPECT_EQ(scroll.X1(), -112);
    scroll.Step();
    EXPECT_EQ(scroll.X1(), 104);
    EXPECT_EQ(scroll.X2(), -6);
    for (int i = 0; i < 200; ++i) {
        scroll.Step();
        ASSERT_EQ(std::abs(scroll.X1() - scroll.X2()), 110);
    }
}

class DisplayLcdTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(skin.loaded); }
    std::unique_ptr<DisplayLCD> MakeLcd() {
        auto lcd = std::make_unique<DisplayLCD>(skin.profile);
        lcd->resize(450, 30);
        return lcd;
    }
    static QImage Grab(QWidget& widget) {
        return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static bool HasText(const QImage& image, int fromX, int toX) {
        for (int x = std::max(0, fromX); x < std::min(image.width(), toX); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) == DisplaySkin::LcdText())
                    return true;
        return false;
    }
    static QString LongText() { return QString(80, QLatin1Char('W')); }

    DisplaySkin skin;
};

TEST_F(DisplayLcdTest, PaintsTextOverItsShadowOnTheSkinBackground) {
    auto lcd = MakeLcd();
    lcd->SetText(QStringLiteral("Hello"));
    const QImage image = Grab(*lcd);
    // The text covers its shadow's upper left; the shadow shows 2 pixels right of and below it.
    int textRight = -1, textBottom = -1, shadowRight = -1, shadowBottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (pixel == DisplaySkin::LcdText()) {
                textRight = std::max(textRight, x);
                textBottom = y;
            } else if (pixel == DisplaySkin::LcdShadow()) {
                shadowRight = std::max(shadowRight, x);
                shadowBottom = y;
            }
        }
    ASSERT_GE(textRight, 0);
    EXPECT_EQ(shadowRight - textRight, 2);
    EXPECT_EQ(shadowBottom - textBottom, 2);
    EXPECT_FALSE(HasText(image, 0, 4));
    EXPECT_EQ(image.pixel(449, 15), DisplaySkin::LcdBackground());
}

TEST_F(DisplayLcdTest, ScrollsOnlyWideLinesWhenTheSettingAllows) {
    skin.Set(setting::kScrollMsg, 0);
    auto off = MakeLcd();
    off->SetText(LongText());
    EXPECT_FALSE(off->Scrolling());

    skin.Set(setting::kScrollMsg, 1);
    auto lcd = MakeLcd();
    lcd->SetText(QStringLiteral("short"));
    EXPECT_FALSE(lcd->Scrolling());
    lcd->SetText(LongText());
    ASSERT_TRUE(lcd->Scrolling());
    const int width = lcd->TextWidth();
    for (int i = 0; i < 31; ++i)
        PostWindowMessage(lcd.get(), DisplayLCD::kScrollStepMessage, 0, 0);
    QCoreApplication::sendPostedEvents(lcd.get());
    EXPECT_EQ(lcd->X1(), -4);
    EXPECT_EQ(lcd->X2(), width + 6);

    // Once the end comes in, both copies show with the gap between them.
    while (lcd->X2() > 300)
        lcd->ScrollStep();
    const QImage image = Grab(*lcd);
    EXPECT_TRUE(HasText(image, lcd->X2(), lcd->X2() + 40));
    EXPECT_FALSE(HasText(image, lcd->X2() - 10 + 4, lcd->X2() + 4));

    lcd->SetClosing(true);
    const int x1 = lcd->X1();
    lcd->ScrollStep();
    EXPECT_EQ(lcd->X1(), x1);
}

TEST_F(DisplayLcdTest, StatusTextsGiveWayToTheLine) {
    skin.Set(setting::kScrollMsg, 1);
    auto lcd = MakeLcd();
    lcd->SetText(LongText());
    for (int i = 0; i < 35; ++i)
        lcd->ScrollStep();
    ASSERT_EQ(lcd->X1(), -20);

    // Scrolling on: the line returns on the fourth step, where it stood.
    lcd->ShowStatus(QStringLiteral("Paused"), 60000);
    for (int i = 0; i < 3; ++i)
        lcd->ScrollStep();
    EXPECT_EQ(lcd->ShownText(), QStringLiteral("Paused"));
    lcd->ScrollStep();
    EXPECT_EQ(lcd->ShownText(), LongText());
    EXPECT_EQ(lcd->X1(), -20);

    // Scrolling off: after its time. A line set meanwhile is the one that returns.
    lcd->SetScroll(false);
    lcd->ShowStatus(QStringLiteral("Volume 10"), 30);
    lcd->SetText(QStringLiteral("Next"));
    EXPECT_EQ(lcd->ShownText(), QStringLiteral("Volume 10"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !lcd->StatusShown(); }, 5000));
    EXPECT_EQ(lcd->ShownText(), QStringLiteral("Next"));
}

TEST_F(DisplayLcdTest, ScrollStepsAreWantedOnlyWhileTheyChangeSomething) {
    skin.Set(setting::kScrollMsg, 1);
    auto lcd = MakeLcd();
    lcd->SetText(QStringLiteral("short"));
    EXPECT_FALSE(lcd->ScrollsNow());
    // A status counts its steps while scrolling is on, and waits for its time while it is off.
    lcd->ShowStatus(QStringLiteral("Paused"), 60000);
    EXPECT_TRUE(lcd->ScrollsNow());
    lcd->SetScroll(false);
    EXPECT_FALSE(lcd->ScrollsNow());
    lcd->SetScroll(true);
    for (int i = 0; i < DisplayLCD::kStatusSteps; ++i)
        lcd->ScrollStep();
    EXPECT_FALSE(lcd->ScrollsNow());
    lcd->SetText(LongText());
    EXPECT_TRUE(lcd->ScrollsNow());

    // The same line or status again draws nothing and keeps the line's place.
    for (int i = 0; i < LcdScroll::kStillSteps + 2; ++i)
        lcd->ScrollStep();
    const int x1 = lcd->X1();
    PaintLog log(*lcd);
    lcd->SetText(LongText());
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(lcd->X1(), x1);
    lcd->ShowStatus(QStringLiteral("Volume 10"), 60000);
    EXPECT_GT(log.Count(), 0);
    log.Clear();
    lcd->ShowStatus(QStringLiteral("Volume 10"), 60000);
    EXPECT_EQ(log.Count(), 0);
}

TEST_F(DisplayLcdTest, DoubleTapFlipsTagsAndStoresTheChoice) {
    QWidget parent;
    auto* lcd = new DisplayLCD(skin.profile, &parent);
    lcd->setGeometry(16, 14, 450, 30);
    parent.show();
    QTest::mouseDClick(lcd, Qt::LeftButton); // no entry shown yet
    EXPECT_TRUE(lcd->ShowTags());

    lcd->SetTrackInfo(Entry(u"Ann", u"Song", u"", u"03:25"));
    QTest::mouseDClick(lcd, Qt::LeftButton);
    EXPECT_EQ(lcd->Text(), QStringLiteral("track01 [03:25]"));
    EXPECT_EQ(skin.Setting(setting::kDispID3), 0);
    lcd->ShowStatus(QStringLiteral("Stop"), 60000);
    QTest::mouseDClick(lcd, Qt::LeftButton);
    EXPECT_FALSE(lcd->ShowTags());

    // The next LCD starts without tags and writes the choice back when it goes.
    auto next = MakeLcd();
    EXPECT_FALSE(next->ShowTags());
    skin.Set(setting::kDispID3, 5);
    next.reset();
    EXPECT_EQ(skin.Setting(setting::kDispID3), 0);
}

// The built-in skin and fresh settings, as on a first start.
class DisplayLcdBuiltIn : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(SkinManager::LoadSkin(folder.File16("missing.wps"), &profile));
    }
    static QImage Grab(QWidget& widget) {
        return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    // The relative luminance of a colour (sRGB).
    static double Luminance(QRgb rgb) {
        auto channel = [](int value) {
            const double c = value / 255.0;
            return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
               0.0722 * channel(qBlue(rgb));
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, setting::kRegistryKeyWord, setting::kProfileName};
};

TEST_F(DisplayLcdBuiltIn, TextStandsOutFromTheBackground) {
    DisplayLCD lcd(profile);
    lcd.resize(450, 30);
    lcd.SetText(QStringLiteral("Hello"));
    const QImage image = Grab(lcd);
    const QRgb background = image.pixel(449, 15);
    double brightest = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < 60; ++x)
            brightest = std::max(brightest, Luminance(image.pixel(x, y)));
    // At least 7:1, the contrast asked of small text.
    EXPECT_GE((brightest + 0.05) / (Luminance(background) + 0.05), 7.0);
}

TEST_F(DisplayLcdBuiltIn, ALongTitleMovesAfterItsPauseAndAShortOneStays) {
    DisplayLCD lcd(profile);
    lcd.resize(450, 30);
    lcd.SetText(QString(80, QLatin1Char('W')));
    const QImage start = Grab(lcd);
    for (int i = 0; i < LcdScroll::kStillSteps; ++i)
        lcd.ScrollStep();
    EXPECT_EQ(Grab(lcd), start);
    for (int i = 0; i < 5; ++i)
        lcd.ScrollStep();
    EXPECT_NE(Grab(lcd), start);

    lcd.SetText(QStringLiteral("Short"));
    const QImage still = Grab(lcd);
    for (int i = 0; i < LcdScroll::kStillSteps + 5; ++i)
        lcd.ScrollStep();
    EXPECT_EQ(Grab(lcd), still);
}

TEST_F(DisplayLcdBuiltIn, ItsFontsDrawAKoreanTitle) {
    DisplayLCD lcd(profile);
    EXPECT_EQ(MissingGlyphs(lcd.LcdFont(), QStringLiteral("<아이유> 좋은 날 @ Real [03:53]")), 0);
}

} // namespace
