// Sonvale, the skinnable audio player.
//   sonvale [FILE | FOLDER | PowerOnRestart | PowerOnRestart&Play | AppRunAfterWakeup]
//   sonvale --screenshot FILE.png   (writes the main window after start-up and ends)
//   sonvale --help | --version
// SIGTERM and SIGINT close the main window, so the settings and the playlist are written as on
// Exit.

#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"
#include "app/Zoom.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>

#include <csignal>
#include <cstdio>
#include <cstring>
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

// --help and --version answer without a window (and without a display).
bool Answered(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("sonvale %s\n", SONVALE_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: sonvale [FILE | FOLDER | URL]\n"
                        "Plays FILE (MP3, MP2, Ogg Vorbis, WAV, a .wpl playlist), the audio files "
                        "of FOLDER,\nor an http:// or https:// radio address. With a player "
                        "already running, hands it\nover and ends.\n\n"
                        "  --screenshot FILE.png  write the main window after start-up and end\n"
                        "  --version              print the version and end\n"
                        "  --help                 print this and end\n");
            return true;
        }
    }
    return false;
}

int main(int argc, char** argv) {
    if (Answered(argc, argv))
        return 0;
    zoom::ApplyAtStart(argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sonvale"));
    CloseOnSignals(app);
    SonvaleApp sonvale(app, [](QWidget* parent) -> std::unique_ptr<FrameView> {
        return std::make_unique<ChildViewHost>(parent);
    });
    return sonvale.Run();
}
