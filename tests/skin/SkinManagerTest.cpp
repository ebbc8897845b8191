#include "skin/SkinManager.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "support/IniFile.h"

#include "tests/TempFolder.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string PngBytes(int width, int height, QColor color) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class SkinManagerTest : public ::testing::Test {
protected:
    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, setting::kRegistryKeyWord, setting::kProfileName};

    // Writes a skin file into the folder and loads it as the process's skin.
    bool LoadSkinText(const std::string& text) {
        folder.Write("skin/test.wps", text);
        return SkinManager::LoadSkin(std::filesystem::path(folder / "skin/test.wps").u16string(),
                                     &profile);
    }

    void ExpectBuiltIn(const SkinManager& element, int id) {
        Dib builtIn;
        ASSERT_TRUE(SkinManager::LoadBuiltIn(id, builtIn));
        ASSERT_TRUE(element.HasImage());
        ASSERT_EQ(element.Width(), builtIn.Width());
        ASSERT_EQ(element.Height(), builtIn.Height());
        const QImage& image = element.GetBitmap();
        int differing = 0;
        for (int y = 0; y < builtIn.Height(); ++y)
            for (int x = 0; x < builtIn.Width(); ++x)
                differing += image.pixel(x, y) != builtIn.Pixel(x, y);
        EXPECT_EQ(differing, 0);
    }

    void TearDown() override { SkinManager::LoadSkin(u"/nonexistent/none.wps", &profile); }
};

TEST_F(SkinManagerTest, EmptySkinSettingGivesTheBuiltInImages) {
    EXPECT_FALSE(SkinManager::LoadSkin(u"", &profile));
    EXPECT_FALSE(SkinManager::SkinLoaded());

    SkinManager main;
    EXPECT_FALSE(main.LoadImage(u"Main", u"Main", 130));
    ExpectBuiltIn(main, 130);
    EXPECT_EQ(main.Width(), 480);
    EXPECT_EQ(main.Height(), 536);
    EXPECT_EQ(main.GetBitmap().format(), QImage::Format_RGB888);
    EXPECT_EQ(main.GetBitmap().size(), QSize(480, 536));
    Dib builtIn;
    ASSERT_TRUE(SkinManager::LoadBuiltIn(130, builtIn));
    EXPECT_EQ(main.GetBitmap().pixel(10, 20), builtIn.Pixel(10, 20));

    // An element whose default is not built in has no image at all.
    SkinManager large;
    EXPECT_FALSE(large.LoadImage(u"LevelMeter", u"LevelMeterPanelLarge", 266));
    EXPECT_FALSE(large.HasImage());
    EXPECT_TRUE(large.GetBitmap().isNull());
}

TEST_F(SkinManagerTest, SkinSettingNamesTheSkinAndAMissingFileLoadsNone) {
    folder.Write("skin/test.wps", "[Main]\nMain=back.png\n");
    const std::u16string path = std::filesystem::path(folder / "skin/test.wps").u16string();
    ASSERT_TRUE(profile.WriteProfileString(setting::kSettings, setting::kSkinFile.name, path));
    EXPECT_TRUE(SkinManager::LoadSkin(u"", &profile));
    EXPECT_EQ(SkinManager::SkinPath(), path);
    std::u16string value;
    EXPECT_TRUE(SkinManager::SkinDocument().GetValue(u"Main", u"Main", value));
    EXPECT_EQ(value, u"back.png");

    EXPECT_FALSE(SkinManager::LoadSkin(folder.File16("missing.wps"), &profile));
    EXPECT_FALSE(SkinManager::SkinLoaded());
    EXPECT_FALSE(SkinManager::SkinDocument().GetValue(u"Main", u"Main", value));
    SkinManager main;
    EXPECT_FALSE(main.LoadImage(u"Main", u"Main", 130));
    ExpectBuiltIn(main, 130);
}

TEST_F(SkinManagerTest, SkinWithOnlyTheBackgroundReplacesNothingElse) {
    folder.Write("skin/back.png", PngBytes(480, 536, QColor(200, 10, 20)));
    ASSERT_TRUE(LoadSkinText("[Main]\nMain=back.png\n"));

    SkinManager main;
    EXPECT_TRUE(main.LoadImage(u"Main", u"Main", 130));
    EXPECT_EQ(main.GetBitmap().pixel(0, 0), 0xFFC80A14u);
    EXPECT_EQ(main.GetBitmap().pixel(479, 535), 0xFFC80A14u);

    SkinManager play;
    EXPECT_FALSE(play.LoadImage(u"Main", u"PlayButton", 134));
    ExpectBuiltIn(play, 134);
}

// Elements decoded ahead come out as loading them would give them: from the skin or built in,
// once each; an element loaded again, or never asked for, is decoded as usual.
TEST_F(SkinManagerTest, PrefetchedElementsLoadAsTheSkinGivesThem) {
    folder.Write("skin/back.png", PngBytes(480, 536, QColor(200, 10, 20)));
    ASSERT_TRUE(LoadSkinText("[Main]\nMain=back.png\n"));
    SkinManager::Prefetch({{u"Main", u"Main", 130}, {u"Main", u"PlayButton", 134}});

    SkinManager pause; // not asked for
    EXPECT_FALSE(pause.LoadImage(u"Main", u"PauseButton", 136));
    ExpectBuiltIn(pause, 136);
    SkinManager play;
    EXPECT_FALSE(play.LoadImage(u"Main", u"PlayButton", 134));
    ExpectBuiltIn(play, 134);
    for (int load = 0; load < 2; ++load) {
        SkinManager main;
        EXPECT_TRUE(main.LoadImage(u"Main", u"Main", 130));
        EXPECT_EQ(main.Width(), 480);
        EXPECT_EQ(main.GetBitmap().pixel(479, 535), 0xFFC80A14u);
    }
    SkinManager::EndPrefetch();
}

TEST_F(SkinManagerTest, ImageSizeComesFromTheSkinImage) {
    folder.Write("skin/big.png", PngBytes(450, 120, Qt::green));
    ASSERT_TRUE(LoadSkinText("[Main]\nPlayButton=big.png\n"));
    SkinManager play;
    EXPECT_TRUE(play.LoadImage(u"Main", u"PlayButton", 134));
    EXPECT_EQ(play.Width(), 450);
    EXPECT_EQ(play.Height(), 120);

    // Loading another image replaces the first one.
    EXPECT_FALSE(play.LoadImage(u"Main", u"PauseButton", 136));
    ExpectBuiltIn(play, 136);
}

TEST_F(SkinManagerTest, NamesAreCaseSensitive) {
    folder.Write("skin/back.png", PngBytes(8, 8, Qt::red));
    ASSERT_TRUE(LoadSkinText("[main]\nMain=back.png\n[Title]\nmain=back.png\n"));
    SkinManager main;
    EXPECT_FALSE(main.LoadImage(u"Main", u"Main", 130));
    ExpectBuiltIn(main, 130);
    EXPECT_FALSE(main.LoadImage(u"Title", u"Main", 130));
    EXPECT_TRUE(main.LoadImage(u"main", u"Main", 130));
}

TEST_F(SkinManagerTest, ValuesResolveUnderTheSkinFolderOnly) {
    folder.Write("skin/sub/img.png", PngBytes(10, 6, Qt::blue));
    const std::string outside = folder.Write("outside.png", PngBytes(10, 6, Qt::blue));
    ASSERT_TRUE(LoadSkinText("[Main]\nMain=sub\\img.png\nPlayButton=" + outside +
                             "\nStopButton=../outside.png\n"));

    SkinManager element;
    EXPECT_TRUE(element.LoadImage(u"Main", u"Main", 130));
    EXPECT_EQ(element.Width(), 10);
    EXPECT_EQ(element.GetBitmap().pixel(3, 3), 0xFF0000FFu);

    // An absolute path still gets the skin folder in front, so it names nothing.
    EXPECT_FALSE(element.LoadImage(u"Main", u"PlayButton", 134));
    ExpectBuiltIn(element, 134);

    // A relative path may climb out of the folder: it is only put behind the folder.
    EXPECT_TRUE(element.LoadImage(u"Main", u"StopButton", 133));
}

TEST_F(SkinManagerTest, BrokenOrMissingImageFallsBackToTheBuiltInOne) {
    folder.Write("skin/broken.png", "\x89PNG\r\n\x1a\nthis is not really a picture");
    const std::string good = PngBytes(30, 30, Qt::white);
    folder.Write("skin/cut.png", good.substr(0, good.size() / 2));
    ASSERT_TRUE(LoadSkinText("[Main]\nMain=broken.png\nPlayButton=missing.png\n"
                             "StopButton=cut.png\nPauseButton=\n"));
    SkinManager element;
    EXPECT_FALSE(element.LoadImage(u"Main", u"Main", 130));
    ExpectBuiltIn(element, 130);
    EXPECT_FALSE(element.LoadImage(u"Main", u"PlayButton", 134));
    ExpectBuiltIn(element, 134);
    EXPECT_FALSE(element.LoadImage(u"Main", u"StopButton", 133));
    ExpectBuiltIn(element, 133);
    EXPECT_FALSE(element.LoadImage(u"Main", u"PauseButton", 136));
    ExpectBuiltIn(element, 136);
}

TEST_F(SkinManagerTest, ColoursComeFromTheSkinOrTheDefault) {
    SkinManager element;
    // Without a skin: the built-in skin's colour, else the default.
    SkinManager::LoadSkin(u"/nonexistent/none.wps", &profile);
    element.GetColor(u"Title", u"TextColor", Rgb(227, 220, 255));
    EXPECT_EQ(element.Color(), Rgb(0xb8, 0xf3, 0xfb));
    element.GetColor(u"Main", u"TextColor", Rgb(227, 220, 255));
    EXPECT_EQ(element.Color(), Rgb(227, 220, 255));

    // UTF-16 skin files are read too.
    folder.Write("skin/test.wps", "\xFF\xFE" + Utf16Le(u"[Title]\r\nTextColor=10,20,30\r\n"
                                                       u"BackgroundColor=300,x2,5\r\n"));
    ASSERT_TRUE(SkinManager::LoadSkin(folder.File16("skin/test.wps"), &profile));
    element.GetColor(u"Title", u"TextColor", Rgb(227, 220, 255));
    EXPECT_EQ(element.Color(), Rgb(10, 20, 30));
    EXPECT_EQ(element.QtColor(), QColor(10, 20, 30));
    // Malformed values are read digit by digit.
    element.GetColor(u"Title", u"BackgroundColor", Rgb(107, 115, 140));
    EXPECT_EQ(element.Color(), Rgb(300 & 0xFF, 2, 5));
    element.GetColor(u"Title", u"BackTextColor", Rgb(64, 80, 111));
    EXPECT_EQ(element.Color(), Rgb(64, 80, 111));
    EXPECT_EQ(element.QtColor(), QColor(64, 80, 111));
}

TEST_F(SkinManagerTest, DrawCopiesTheWholeImageAndFreeRemovesIt) {
    folder.Write("skin/cell.png", PngBytes(4, 3, QColor(1, 2, 3)));
    ASSERT_TRUE(LoadSkinText("[Main]\nMain=cell.png\n"));
    QImage target(10, 10, QImage::Format_ARGB32);
    target.fill(Qt::transparent);
    QImage kept;
    {
        SkinManager element;
        ASSERT_TRUE(element.LoadImage(u"Main", u"Main", 130));
        {
            QPainter painter(&target);
            element.Draw(painter, 5, 6);
        }
        EXPECT_EQ(target.pixel(5, 6), 0xFF010203u);
        EXPECT_EQ(target.pixel(8, 8), 0xFF010203u);
        EXPECT_EQ(target.pixel(9, 9), 0u);
        EXPECT_EQ(target.pixel(4, 6), 0u);
        kept = element.GetBitmap();

        element.Free();
        EXPECT_FALSE(element.HasImage());
        EXPECT_TRUE(element.GetBitmap().isNull());
        target.fill(Qt::transparent);
        QPainter painter(&target);
        element.Draw(painter, 0, 0);
        painter.end();
        EXPECT_EQ(target.pixel(0, 0), 0u);
    }
    // A picture taken from an element stays good after the element is gone.
    ASSERT_EQ(kept.size(), QSize(4, 3));
    EXPECT_EQ(kept.pixel(3, 2), 0xFF010203u);
}

} // namespace

TEST_F(SkinManagerTest, DenseScreenTakesTheDoubleImageOrEnlargesTheSkinsOwn) {
    folder.Write("skin/play.png", PngBytes(40, 20, Qt::green));
    folder.Write("skin/play@2x.png", PngBytes(80, 40, Qt::blue));
    folder.Write("skin/pause.png", PngBytes(40, 20, Qt::red));
    folder.Write("skin/stop.png", PngBytes(40, 20, Qt::yellow));
    folder.Write("skin/stop@2x.png", PngBytes(60, 40, Qt::blue)); // not twice the size
    ASSERT_TRUE(LoadSkinText("[Main]\nPlayButton=play.png\nPauseButton=pause.png\n"
                             "StopButton=stop.png\n"));
    SkinManager::SetPixelRatio(1.5);
    SkinManager play, pause, stop, next;
    play.LoadImage(u"Main", u"PlayButton", 134);
    pause.LoadImage(u"Main", u"PauseButton", 136);
    stop.LoadImage(u"Main", u"StopButton", 133);
    next.LoadImage(u"Main", u"NextButton", 146);
    SkinManager::SetPixelRatio(0);

    for (const SkinManager* element : {&play, &pause, &stop, &next}) {
        // Sizes stay in skin pixels; the picture has two device pixels for each.
        EXPECT_EQ(element->GetBitmap().devicePixelRatio(), 2.0);
        EXPECT_EQ(element->GetBitmap().size(), QSize(element->Width(), element->Height()) * 2);
    }
    EXPECT_EQ(play.Width(), 40);
    EXPECT_EQ(play.GetBitmap().pixelColor(70, 30), QColor(Qt::blue));
    EXPECT_EQ(pause.GetBitmap().pixelColor(70, 30), QColor(Qt::red));
    EXPECT_EQ(stop.GetBitmap().pixelColor(70, 30), QColor(Qt::yellow));

    // The built-in skin's finer picture is drawn, not enlarged: it differs from its 1x image
    // enlarged.
    Dib coarse;
    ASSERT_TRUE(SkinManager::LoadBuiltIn(146, coarse));
    int differing = 0;
    for (int y = 0; y < next.Height() * 2; ++y)
        for (int x = 0; x < next.Width() * 2; ++x)
            differing += next.GetBitmap().pixel(x, y) != coarse.Pixel(x / 2, y / 2);
    EXPECT_GT(differing, next.Width() * next.Height() / 10);
}
