// Sonvale, the skinnable audio player.
//   sonvale [FILE | PowerOnRestart | PowerOnRestart&Play | AppRunAfterWakeup]
//   sonvale --screenshot FILE.png   (writes the main window after start-up and ends)

#include "app/SonvaleApp.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonvale"));
    CSonvaleApp sonvale(app);
    return sonvale.Run();
}
