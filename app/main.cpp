// Sonvale, the skinnable audio player.
//   sonvale [FILE | PowerOnRestart | PowerOnRestart&Play | AppRunAfterWakeup]
//   sonvale --screenshot FILE.png   (writes the main window after start-up and ends)
// SIGTERM and SIGINT close the main window, so the settings and the playlist are written as on
// Exit.

#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = write(g_signalPipe[1], &byte, 1);
}

// Turns SIGTERM and SIGINT into closing the main window on the UI thread.
void CloseOnSignals(QApplication& app) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
        char byte = 0;
        [[maybe_unused]] ssize_t got = read(g_signalPipe[0], &byte, 1);
        // Open dialogs and menus are closed first; the main window closes once their event
        // loops have returned.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible() && top != MainFrame::Instance())
                top->close();
        QTimer::singleShot(0, [] {
            if (MainFrame* frame = MainFrame::Instance())
                frame->close();
        });
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonvale"));
    CloseOnSignals(app);
    SonvaleApp sonvale(app, [](QWidget* parent) -> std::unique_ptr<FrameView> {
        return std::make_unique<ChildViewHost>(parent);
    });
    return sonvale.Run();
}
