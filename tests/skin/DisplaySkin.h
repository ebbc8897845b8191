#pragma once

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "skin/SkinManager.h"

#include "tests/TempFolder.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <filesystem>
#include <functional>
#include <string>

// A skin of flat colours for the display windows: every cell of every display image has a colour
// of its own, so a pixel of a window tells which cell was drawn there. Written into a temporary
// folder and loaded as the process's skin; the settings live in a registry of the same folder.
class DisplaySkin {
public:
    static QRgb Background() { return qRgb(16, 16, 16); }
    static QRgb LargeDigit(int column) { return qRgb(200, 10 + column * 20, 0); }
    static QRgb SmallDigit(int column) { return qRgb(0, 200, 10 + column * 20); }
    static QRgb Quality(int row) { return qRgb(255, 0, 100 + row * 50); }
    static QRgb PlayState(int row) { return qRgb(10, 10, 100 + row * 30); }
    static QRgb Hold(int row) { return qRgb(100 + row * 50, 0, 255); }
    static QRgb VuUnlit() { return qRgb(40, 40, 40); }
    static QRgb VuLit() { return qRgb(250, 250, 0); }
    static QRgb SpeakerFrame(int frame) { return qRgb(30 + frame * 40, 120, 120); }
    // The LCD's colours.
    static QRgb LcdBackground() { return qRgb(1, 2, 3); }
    static QRgb LcdText() { return qRgb(250, 250, 250); }
    static QRgb LcdShadow() { return qRgb(0, 0, 0); }

    // Cell sizes of the test images.
    static constexpr int kLargeCell = 30;
    static constexpr int kSmallCell = 12;
    static constexpr int kVuSegment = 8;
    static constexpr int kSpeakerFrame = 100;

    DisplaySkin() {
        Save("panel.png", Striped(370, 168, 1, 1, [](int, int) { return Background(); }));
        Save("large.png", Striped(330, 48, 11, 1, [](int c, int) { return LargeDigit(c); }));
        Save("small.png", Striped(132, 18, 11, 1, [](int c, int) { return SmallDigit(c); }));
        Save("quality.png", Striped(22, 28, 1, 2, [](int, int r) { return Quality(r); }));
        Save("state.png", Striped(14, 88, 1, 4, [](int, int r) { return PlayState(r); }));
        Save("hold.png", Striped(46, 28, 1, 2, [](int, int r) { return Hold(r); }));
        Save("vu.png", Striped(240, 36, 1, 2, [](int, int r) { return r ? VuLit() : VuUnlit(); }));
        Save("speaker.png", Striped(500, 78, 5, 1, [](int c, int) { return SpeakerFrame(c); }));
        folder.Write("test.wps", "[DisplayPanel]\r\n"
                                 "DisplayPanel=panel.png\r\n"
                                 "LargeDigital=large.png\r\n"
                                 "SmallDigital=small.png\r\n"
                                 "AudioQuality=quality.png\r\n"
                                 "PlayStatus=state.png\r\n"
                                 "Hold=hold.png\r\n"
                                 "VUMeter=vu.png\r\n"
                                 "Speaker=speaker.png\r\n"
                                 "[Title]\r\n"
                                 "BackgroundColor=1,2,3\r\n"
                                 "TextColor=250,250,250\r\n"
                                 "BackTextColor=0,0,0\r\n");
        loaded = SkinManager::LoadSkin(folder.File16("test.wps"), &profile);
    }
    ~DisplaySkin() { SkinManager::LoadSkin(u"/nonexistent/none.wps", &profile); }

    int Setting(const NumberSetting& value) {
        return profile.GetProfileInt(setting::kSettings, value.name, -1);
    }
    void Set(const NumberSetting& value, int number) {
        profile.WriteProfileInt(setting::kSettings, value.name, number);
    }

    TempFolder folder;
    Registry registry{folder / "registry.db"};
    Profile profile{registry, setting::kRegistryKeyWord, setting::kProfileName};
    bool loaded = false;

private:
    // An image cut into columns x rows cells, each filled with colour(column, row).
    static QImage Striped(int width, int height, int columns, int rows,
                          const std::function<QRgb(int, int)>& colour) {
        QImage image(width, height, QImage::Format_RGB32);
        QPainter painter(&image);
        const int cellWidth = width / columns;
        const int cellHeight = height / rows;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                painter.fillRect(c * cellWidth, r * cellHeight, cellWidth, cellHeight,
                                 QColor(colour(c, r)));
        return image;
    }
    void Save(const std::string& name, const QImage& image) {
        image.save(QString::fromStdString(folder.File(name)), "PNG");
    }
};
