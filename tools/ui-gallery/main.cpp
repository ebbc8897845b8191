// Every window of the player, built as the player builds it and written as one PNG each, so that
// reviewers and translators see them without clicking through the program:
//   ui-gallery OUT_FOLDER
// writes OUT_FOLDER/main.LANG.png, OUT_FOLDER/settings-preferences.LANG.png, ... where LANG is "en"
// or "ko": the player's own language choice (LC_ALL=ko_KR.UTF-8 gives Korean). The player runs in
// this process over a fresh settings folder with the output discarded, playing its demo track, so
// the pages show real data (the demo's lyrics in the lyrics list, its title in the captions).
#include "app/ChildView.h"
#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"
#include "effects/ui/SoundEffectsSheet.h"
#include "input/Command.h"
#include "input/ui/KeyCaptureDialog.h"
#include "input/ui/ManualKeyDialog.h"
#include "lyrics/ui/LyricsDownloadDialog.h"
#include "options/CpuProfileDialog.h"
#include "options/OptionSheet.h"
#include "options/PlaybackSpeedDialog.h"
#include "options/SleepTimerDialog.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "playlist/ui/FavoritesDialog.h"
#include "playlist/ui/PlaylistDialog.h"
#include "settings/SettingNames.h"
#include "ui/OptionsPage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTabWidget>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {

// The sheets of the player's commands, by the name their pictures start with.
struct Sheet {
    const char* name;
    uint32_t mask;
};
const Sheet kSheets[] = {
    {"settings", OptionSheet::kSettingsMask},  {"about", OptionSheet::kAboutMask},
    {"lyrics", OptionSheet::kLyrics},          {"open-url", OptionSheet::kOpenUrl},
    {"open-folder", OptionSheet::kOpenFolder},
};

// Runs the event loop until `done` or `ms` passed.
void WaitFor(const std::function<bool()>& done, int ms = 8000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QEventLoop loop; // waits for events without spinning
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

bool Save(QWidget& widget, const QString& file, int& written) {
    if (!widget.grab().save(file, "PNG")) {
        std::fprintf(stderr, "ui-gallery: can't write %s\n", qPrintable(file));
        return false;
    }
    ++written;
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: ui-gallery OUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("ui-gallery-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "data");
    chmod(home.c_str(), 0700);
    setenv("SONVALE_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("SONVALE_AUDIO", "null", 1);
    // No session bus: the gallery's player never shows up on the desktop's bus.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sonvale-gallery-bus", 1);
    Registry::Shared().Open((home / "registry.db").string());

    int count = 1;
    QApplication qt(count, argv);
    SonvaleApp app(qt, [](QWidget* parent) -> std::unique_ptr<FrameView> {
        return std::make_unique<ChildViewHost>(parent);
    });
    int written = 0;
    bool failed = false;
    QTimer::singleShot(0, [&] {
        MainFrame* frame = app.Frame();
        if (!frame) {
            failed = true;
            return;
        }
        const QString language = app.IsKorean() ? QStringLiteral("ko") : QStringLiteral("en");
        auto* view = static_cast<ChildView*>(frame->View()->Widget());
        // The demo plays and its lyrics are loaded.
        WaitFor([&] { return frame->View()->CommandAvailable(CommandId(Command::ShowLyrics)); });
        WaitFor([] { return false; }, 2500); // into the song: a lyric line shows
        failed |= !Save(*frame, QStringLiteral("%1/main.%2.png").arg(out, language), written);

        for (const Sheet& sheet : kSheets) {
            OptionSheet dialog(QString(), sheet.mask, view->OptionPages(), frame);
            dialog.show();
            for (size_t i = 0; i < dialog.Pages().size(); ++i) {
                dialog.ShowPage(static_cast<int>(i));
                QApplication::processEvents();
                const QString page = dialog.Pages()[i]->objectName();
                if (page == QLatin1String("resource-usage"))
                    WaitFor([] { return false; }, 3200); // a few seconds of the graph
                // A sheet of several pages names each picture after its page.
                const bool onePage = (sheet.mask & (sheet.mask - 1)) == 0;
                const QString name = page.isEmpty() || onePage
                                         ? QString::fromLatin1(sheet.name)
                                         : QStringLiteral("%1-%2").arg(sheet.name, page);
                failed |=
                    !Save(dialog, QStringLiteral("%1/%2.%3.png").arg(out, name, language), written);
            }
            dialog.reject();
        }
        // The button page's two dialogs, opened from its menu.
        KeyCaptureDialog capture(frame);
        ManualKeyDialog manual(frame);
        const std::pair<QDialog*, const char*> keyDialogs[] = {{&capture, "key-capture"},
                                                               {&manual, "button-map-manual"}};
        for (const auto& [dialog, name] : keyDialogs) {
            dialog->show();
            QApplication::processEvents();
            failed |=
                !Save(*dialog, QStringLiteral("%1/%2.%3.png").arg(out, name, language), written);
            dialog->reject();
        }
        // The main view's small dialogs: sleep timer, playback speed and CPU profile.
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        SleepTimerDialog sleepTimer(profile, view->Session(), frame);
        PlaybackSpeedDialog speed(view->Session(), frame);
        CpuProfileDialog cpuProfile(profile, frame);
        const std::pair<QDialog*, const char*> viewDialogs[] = {
            {&sleepTimer, "sleep-timer"}, {&speed, "playback-speed"}, {&cpuProfile, "cpu-profile"}};
        for (const auto& [dialog, name] : viewDialogs) {
            dialog->show();
            QApplication::processEvents();
            failed |=
                !Save(*dialog, QStringLiteral("%1/%2.%3.png").arg(out, name, language), written);
            dialog->reject();
        }
        // The sound effects sheet with all its pages, over two sample presets.
        for (const char* preset : {"Rock.gpe", "Jazz Club.GPE"})
            std::ofstream(home / preset) << "[Sonvale Equalizer]\n";
        SoundEffectsSheet effects(profile, nullptr, nullptr, true,
                                  QString::fromStdString(home.string()), frame);
        effects.show();
        for (int i = 0; i < effects.Tabs()->count(); ++i) {
            effects.Tabs()->setCurrentIndex(i);
            QApplication::processEvents();
            const QString name = effects.Tabs()->widget(i)->objectName();
            failed |= !Save(effects,
                            QStringLiteral("%1/sound-effects-%2.%3.png").arg(out, name, language),
                            written);
        }
        effects.reject();
        // The favorites editor and the lyrics download dialog, over sample tracks.
        struct Sample {
            const char16_t* title;
            const char16_t* artist;
            int favorite;
        };
        const Sample sampleTracks[] = {{u"Morning Light", u"The Band", 1},
                                       {u"\uBC24\uD558\uB298", u"\uD558\uB298", 0},
                                       {u"Long Road Home (Live at the Hall)", u"", 1},
                                       {u"Rain", u"Quiet Trio", 1},
                                       {u"Last Song", u"The Band", 0}};
        std::vector<FileInfo> samples;
        for (const Sample& track : sampleTracks) {
            FileInfo sample;
            sample.title = sample.name = track.title;
            sample.artist = track.artist;
            sample.path = u"/music/" + sample.name + u".mp3";
            sample.ext = u".mp3";
            sample.favorite = track.favorite;
            samples.push_back(sample);
        }
        FavoritesDialog favorites(profile, samples, 1, frame);
        LyricsDownloadDialog lyricsDownload(profile, samples, frame);
        for (QDialog* dialog :
             {static_cast<QDialog*>(&favorites), static_cast<QDialog*>(&lyricsDownload)}) {
            dialog->show();
            QApplication::processEvents();
            failed |= !Save(*dialog,
                            QStringLiteral("%1/%2.%3.png").arg(out, dialog->objectName(), language),
                            written);
            dialog->reject();
        }
        // The playlist dialog over the player's own list, with the sample tracks added.
        view->Session().AppendToPlaylist(samples);
        PlaylistDialog playlist(profile, view->Session(), frame);
        playlist.show();
        QApplication::processEvents();
        failed |= !Save(playlist, QStringLiteral("%1/playlist.%2.png").arg(out, language), written);
        playlist.reject();
        frame->close();
    });
    const int result = app.Run();
    std::filesystem::remove_all(home);
    std::printf("ui-gallery: %d pictures in %s\n", written, qPrintable(out));
    return result != 0 || failed || written == 0 ? 1 : 0;
}
