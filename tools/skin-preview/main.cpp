// Draws the main view's skinned controls at their places in the layout, with the built-in skin
// or a given skin file, shows a sample track, and writes the picture as a PNG.
//   skin-preview [--skin FILE.wps] OUT.png
// Settings (fonts, the display's modes) come from $SONVALE_HOME like the player's.
#include "app/SettingNames.h"
#include "app/Settings.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playlist/FileInfo.h"
#include "skin/ControlStyles.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageButton.h"
#include "skin/ImageSlideBar.h"
#include "skin/LevelSource.h"
#include "skin/SkinManager.h"
#include "skin/ToggleButton.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdio>

namespace {

// Steady levels for the VU meter.
class SampleLevels : public LevelSource {
public:
    void StartLevels() override {}
    void StopLevels() override {}
    bool Levels(float& left, float& right) override {
        left = 0.72f;
        right = 0.58f;
        return true;
    }
};

// The main view's background and board, with the controls as children.
class PreviewView : public QWidget {
public:
    PreviewView() {
        setFixedSize(480, 536);
        m_main.LoadImage(u"Main", u"Main", 130);
        m_board.LoadImage(u"LevelMeter", u"LevelMeterBoard", 328);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        m_main.Draw(painter, 0, 0);
        m_board.Draw(painter, 24, 350); // the meter window in its board state
    }

private:
    CSkinManager m_main;
    CSkinManager m_board;
};

QImage Element(const char16_t* section, const char16_t* key, int id) {
    CSkinManager element;
    element.LoadImage(section, key, id);
    return element.GetBitmap();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    std::u16string skin;
    QString out;
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--skin" && i + 1 < argc)
            skin = QString::fromLocal8Bit(argv[++i]).toStdU16String();
        else
            out = arg;
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: skin-preview [--skin FILE.wps] OUT.png\n");
        return 2;
    }

    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    if (!skin.empty() && !CSkinManager::LoadSkin(skin, &profile))
        std::fprintf(stderr, "skin-preview: the skin did not load; built-in images are shown\n");
    if (skin.empty())
        CSkinManager::LoadSkin(u"", &profile);

    PreviewView view;
    auto button = [&](const char16_t* section, const char16_t* key, int id, uint32_t grid, int x,
                      int y, int command, bool enabled) {
        auto* b = new CImageButton(Element(section, key, id), grid, QPoint(x, y), &view, command);
        b->setEnabled(enabled);
    };
    auto toggle = [&](const char16_t* key, int id, int x, int y, int command, bool on) {
        auto* t =
            new CToggleButton(Element(u"Main", key, id), 0, QPoint(x, y), &view, command, true);
        t->SetCheck(on);
        return t;
    };

    auto* lcd = new CDisplayLCD(profile, &view);
    lcd->setGeometry(QRect(QPoint(16, 14), QPoint(465, 43)));
    _SFileInfo track;
    track.strName = u"Midnight Drive";
    track.strTitle = u"Midnight Drive";
    track.strArtist = u"Sonvale Demo Band";
    track.strAlbum = u"Night Lines";
    lcd->SetTrackInfo(track);

    auto* seek = new CImageSlideBar(0, QRect(QPoint(24, 314), QPoint(455, 345)), &view, 1110,
                                    Element(u"Main", u"ProgressSlideTrack", 139),
                                    Element(u"Main", u"ProgressThumb", 140), true);
    seek->SetRange(0, 2450, 10);
    seek->SetPos(830);
    auto* volume = new CImageSlideBar(TBS_VERT, QRect(QPoint(34, 132), QPoint(69, 223)), &view,
                                      1120, Element(u"Main", u"VolumeSlideTrack", 138),
                                      Element(u"Main", u"VolumeThumb", 137), false);
    volume->SetRange(0, 20, 1);
    volume->SetPos(14);

    SampleLevels levels;
    auto* panel = new CDisplayPanel(profile, &levels, nullptr, &view);
    panel->setGeometry(QRect(QPoint(86, 68), QPoint(453, 233)));
    panel->SetActive(true);
    panel->SetTrackNumber(7);
    panel->SetQuality("44", "128");
    panel->SetTime(245, 83);
    panel->SetPlaying(true);
    panel->SetVUMeter(true);
    for (int i = 0; i < 12; ++i)
        panel->LevelStep();

    button(u"Main", u"PowerButton", 176, IBS_TWO_COLUMNS, 24, 68, 57665, true);
    button(u"Main", u"LastTrackButton", 131, IBS_THREE_COLUMNS, 32, 250, 32780, true);
    button(u"Main", u"PlayButton", 134, IBS_THREE_COLUMNS, 86, 250, 32773, true);
    button(u"Main", u"PauseButton", 136, IBS_THREE_COLUMNS, 210, 250, 32774, true);
    button(u"Main", u"StopButton", 133, IBS_THREE_COLUMNS, 264, 250, 32775, true);
    button(u"Main", u"NextTrackButton", 146, IBS_THREE_COLUMNS, 318, 250, 32781, true);
    button(u"Main", u"EjectButton", 135, IBS_TWO_COLUMNS, 372, 250, 32772, true);
    // "ButtonMode" 1 shows shuffle and repeat; speed and A-B share their places.
    bool shuffleRepeat = Settings::Get(profile, setting::kButtonMode) == 1;
    if (shuffleRepeat) {
        toggle(u"ShuffleButton", 158, 32, 466, 32783, true);
        toggle(u"RepeatButton", 159, 168, 466, 32784, false);
    } else {
        toggle(u"SpeedButton", 252, 32, 466, 32857, false);
        toggle(u"AtoBButton", 253, 168, 466, 1105, false);
    }
    toggle(u"PlayListButton", 160, 292, 466, 32815, false);

    view.show();
    QApplication::processEvents();
    QImage picture = view.grab().toImage();
    if (!picture.save(out, "PNG")) {
        std::fprintf(stderr, "skin-preview: can't write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
