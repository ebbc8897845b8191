#include "app/Zoom.h"

#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>

namespace {

// The main window: the skinned view and, above it, the menu bar and the window's title bar.
constexpr int kWindowWidth = 480;
constexpr int kWindowHeight = 536 + 64;

} // namespace

namespace zoom {

int Setting(Profile& profile) {
    const int value = Settings::Get(profile, setting::kZoom);
    for (int choice : kChoices)
        if (value == choice)
            return value;
    return 100;
}

int Fitting(int percent, int width, int height, int availableWidth, int availableHeight) {
    int fitting = 100;
    for (int choice : kChoices) {
        if (choice > percent)
            break;
        if (static_cast<long>(width) * choice <= static_cast<long>(availableWidth) * 100 &&
            static_cast<long>(height) * choice <= static_cast<long>(availableHeight) * 100)
            fitting = choice;
    }
    return fitting;
}

int ApplyAtStart(int& argc, char** argv) {
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    int percent = Setting(profile);
    if (percent == 100)
        return percent;
    {
        // A short-lived connection to the display tells the screen's size at the scale the
        // desktop already gives (QT_SCALE_FACTOR and the screen's own ratio included).
        QGuiApplication probe(argc, argv);
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QSize available = screen->availableGeometry().size();
            percent = Fitting(percent, kWindowWidth, kWindowHeight, available.width(),
                              available.height());
        }
    }
    if (percent == 100)
        return percent;
    bool given = false;
    double factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&given);
    if (!given || factor <= 0)
        factor = 1;
    factor *= percent / 100.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor));
    return percent;
}

} // namespace zoom
