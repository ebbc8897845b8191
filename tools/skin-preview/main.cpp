// Draws the main view's skinned controls at their places in the layout, with the built-in skin
// or a given skin file, shows a sample track, and writes the picture as a PNG. The meter window
// shows frequency bars of a sample sound in one of its styles (0 to 7, the default 0), the
// oscilloscope (8) or a lyrics board with sample lines (9, 10, 11).
//   skin-preview [--skin FILE.wps] [--meter STATE] [--scale FACTOR] [--gaps] OUT.png
// --scale draws at FACTOR device pixels per pixel (as QT_SCALE_FACTOR does; the PNG has the
// device pixels). --gaps shows magenta under the background and wherever a control stands, so a
// row or column a control leaves unpainted shows.
// Settings (fonts, the display's modes) come from $SONVALE_HOME like the player's.
#include "input/Command.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playlist/FileInfo.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/DisplayLCD.h"
#include "skin/DisplayPanel.h"
#include "skin/ImageSlideBar.h"
#include "skin/LevelSource.h"
#include "skin/MainViewLayout.h"
#include "skin/MeterWindow.h"
#include "skin/SkinManager.h"
#include "skin/ToggleButton.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

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

// A sample sound for the meter window: the bands of music, strong in the bass and falling off
// with a few peaks, and a block of a chord for the oscilloscope.
void ShowSampleSound(MeterWindow& meter) {
    std::vector<float> bands(42);
    for (int i = 0; i < 42; ++i)
        bands[i] = static_cast<float>(0.2 * std::exp(-i / 16.0) *
                                      (0.75 + 0.25 * std::sin(i * 1.3) * std::cos(i * 0.4)));
    std::vector<int16_t> block(1024);
    for (int i = 0; i < 1024; ++i)
        block[i] = static_cast<int16_t>(9000 * std::sin(i * 0.031) + 5000 * std::sin(i * 0.093) +
                                        2500 * std::sin(i * 0.21));
    for (int i = 0; i < 12; ++i)
        meter.Feed(bands.data(), 42, block.data(), 1024);
    meter.FlushDrawing();
}

// The main view's background and board, with the controls as children.
class PreviewView : public QWidget {
public:
    explicit PreviewView(bool gaps) : m_gaps(gaps) {
        setFixedSize(480, 536);
        m_main.LoadImage(u"Main", u"Main", 130);
        m_board.LoadImage(u"LevelMeter", u"LevelMeterBoard", 328);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor magenta(255, 0, 255);
        if (m_gaps)
            painter.fillRect(rect(), magenta);
        m_main.Draw(painter, 0, 0);
        m_board.Draw(painter, 24, 350); // the meter window in its board state
        if (!m_gaps)
            return;
        for (const QObject* child : children()) {
            const auto* control = qobject_cast<const QWidget*>(child);
            if (control != nullptr && control->isVisible())
                painter.fillRect(control->geometry(), magenta);
        }
    }

private:
    bool m_gaps;
    SkinManager m_main;
    SkinManager m_board;
};

} // namespace

int main(int argc, char** argv) {
    // The scale must be known before the application starts.
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--scale") == 0)
            qputenv("QT_SCALE_FACTOR", argv[i + 1]);
    QApplication app(argc, argv);
    std::u16string skin;
    QString out;
    int meterState = 0;
    bool gaps = false;
    for (int i = 1; i < argc; ++i) {
        QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--skin" && i + 1 < argc)
            skin = QString::fromLocal8Bit(argv[++i]).toStdU16String();
        else if (arg == "--meter" && i + 1 < argc)
            meterState = std::atoi(argv[++i]);
        else if (arg == "--scale" && i + 1 < argc)
            ++i;
        else if (arg == "--gaps")
            gaps = true;
        else
            out = arg;
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: skin-preview [--skin FILE.wps] [--meter STATE] "
                             "[--scale FACTOR] [--gaps] OUT.png\n");
        return 2;
    }

    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    if (!skin.empty() && !SkinManager::LoadSkin(skin, &profile))
        std::fprintf(stderr, "skin-preview: the skin did not load; built-in images are shown\n");
    if (skin.empty())
        SkinManager::LoadSkin(u"", &profile);

    PreviewView view(gaps);
    SampleLevels levels;
    MainViewLayout layout(&view, profile, &levels, nullptr);
    FileInfo track;
    track.name = u"Midnight Drive";
    track.title = u"Midnight Drive";
    track.artist = u"Sonvale Demo Band";
    track.album = u"Night Lines";
    layout.lcd->SetTrackInfo(track);
    layout.seek->SetRange(0, 2450, 10);
    layout.seek->SetPos(830);
    layout.volume->SetRange(0, 20, 1);
    layout.volume->SetPos(14);
    for (Command command :
         {Command::Previous, Command::Play, Command::Pause, Command::Stop, Command::Next})
        layout.Button(CommandId(command))->setEnabled(true);
    DisplayPanel* panel = layout.panel;
    panel->SetActive(true);
    panel->SetTrackNumber(7);
    panel->SetQuality("44", "128");
    panel->SetTime(245, 83);
    panel->SetPlaying(true);
    panel->SetVUMeter(true);
    for (int i = 0; i < 12; ++i)
        panel->LevelStep();
    layout.ShowButtonPair(Settings::Get(profile, setting::kButtonMode));
    static_cast<ToggleButton*>(layout.Button(CommandId(Command::Shuffle)))->SetCheck(true);

    MeterWindow* meter = layout.meter;
    meter->SetSpectrumAvailable(true);
    meter->SetState(meterState);
    meter->SetPlaying(true, false);
    if (meter->State() <= MeterWindow::kOscilloscope)
        ShowSampleSound(*meter);
    else
        meter->SetLyrics(QStringLiteral("Headlights on the river road / we drive until the dawn"),
                         QStringLiteral("Every mile a little song"), 24); // the words sung so far
    view.show();
    QApplication::processEvents();
    QImage picture = view.grab().toImage();
    if (!picture.save(out, "PNG")) {
        std::fprintf(stderr, "skin-preview: can't write %s\n", qPrintable(out));
        return 1;
    }
    return 0;
}
