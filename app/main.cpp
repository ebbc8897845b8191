// Sonvale, the skinnable audio player.
//   sonvale [FILE | PowerOnRestart | PowerOnRestart&Play | AppRunAfterWakeup]
//   sonvale --screenshot FILE.png   (writes the main window after start-up and ends)

#include "app/ChildViewHost.h"
#include "app/SonvaleApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonvale"));
    CSonvaleApp sonvale(app, [](QWidget* parent) -> std::unique_ptr<FrameView> {
        return std::make_unique<CChildViewHost>(parent);
    });
    return sonvale.Run();
}
