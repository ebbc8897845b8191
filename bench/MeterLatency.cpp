// How far the meter window's frequency bars trail the sound: the real player in this process
// plays tone bursts (1 kHz after silence) through the "wav:" output, which keeps real time and
// writes each piece of sound to its file when the last frame of it is due. A thread watches the
// file grow, so the moment each burst's first frame was played is known to a millisecond; the
// moment the bars show it is the first paint of the meter window whose picture has the tone's bar
// lit. The difference, burst by burst, is printed with its mean and largest value.
//
// Usage: meter-latency [BURSTS]   (run it through bench/meter-latency.sh, which sets up a display)
#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/MeterWindow.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kHeader = 44;
// Each burst: silence, then the tone.
constexpr double kSilenceSeconds = 1.2;
constexpr double kToneSeconds = 0.4;
// 42 narrow bars: bar 23 reads the band of 1 kHz (1000 / (44100 / 1024) = 23.2).
constexpr int kStyle = 6;
constexpr int kToneColumn = 4 + 23 * 10 + 2;
// Rows count from the bottom of the 94-row surface: a bar lights both, a falling peak (4 rows)
// never does.
constexpr int kLowRow = 6;
constexpr int kHighRow = 30;

double Ms(Clock::time_point t, Clock::time_point origin) {
    return std::chrono::duration<double, std::milli>(t - origin).count();
}

void WriteBursts(const std::string& path, int bursts) {
    std::vector<int16_t> samples;
    for (int b = 0; b < bursts; ++b) {
        samples.insert(samples.end(), static_cast<size_t>(kSilenceSeconds * kRate) * 2, 0);
        const int tone = static_cast<int>(kToneSeconds * kRate);
        for (int i = 0; i < tone; ++i) {
            const auto s = static_cast<int16_t>(12000 * std::sin(2 * M_PI * 1000.0 * i / kRate));
            samples.push_back(s);
            samples.push_back(s);
        }
    }
    samples.insert(samples.end(), static_cast<size_t>(kSilenceSeconds * kRate) * 2, 0);
    const uint32_t data = static_cast<uint32_t>(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    auto put = [&out](uint32_t value, int bytes) {
        out.write(reinterpret_cast<const char*>(&value), bytes);
    };
    out.write("RIFF", 4);
    put(36 + data, 4);
    out.write("WAVEfmt ", 8);
    put(16, 4), put(1, 2), put(2, 2), put(kRate, 4), put(kRate * 4, 4), put(4, 2), put(16, 2);
    out.write("data", 4);
    put(data, 4);
    out.write(reinterpret_cast<const char*>(samples.data()), data);
}

// The file's size over time, as the output writes it.
struct Growth {
    Clock::time_point at;
    int64_t size;
};

// Paints of the meter window: when, and whether the tone's bar was lit.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(MeterWindow* meter) : m_meter(meter) { meter->installEventFilter(this); }
    std::vector<std::pair<Clock::time_point, bool>> paints;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && m_meter->State() == kStyle) {
            const QImage& surface = m_meter->Surface();
            const QRgb low = surface.pixel(kToneColumn, surface.height() - 1 - kLowRow);
            const QRgb high = surface.pixel(kToneColumn, surface.height() - 1 - kHighRow);
            if (!m_clean)
                m_clean = {low, high}; // the first picture is of silence
            paints.emplace_back(Clock::now(), low != m_clean->first && high != m_clean->second);
        }
        return false;
    }

private:
    MeterWindow* m_meter;
    std::optional<std::pair<QRgb, QRgb>> m_clean;
};

} // namespace

int main(int argc, char** argv) {
    const int bursts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / ("meter-latency-" + std::to_string(getpid()));
    std::filesystem::create_directories(home / "data");
    chmod(home.c_str(), 0700);
    std::string music = (home / "bursts.wav").string();
    const std::string heard = (home / "heard.wav").string();
    WriteBursts(music, bursts);
    setenv("SONVALE_HOME", home.c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("SONVALE_AUDIO", ("wav:" + heard).c_str(), 1);
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/sonvale-bench-bus", 1);

    Registry::Shared().Open((home / "registry.db").string());
    Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
    Settings::Set(profile, setting::kUseSpectrum, 1);
    Settings::Set(profile, setting::kDispState, kStyle);
    Settings::Set(profile, setting::kUpdateInterval, 8);

    std::vector<char*> arguments = {argv[0], music.data()};
    int count = static_cast<int>(arguments.size());
    QApplication qt(count, arguments.data());
    SonvaleApp app(qt, [](QWidget* parent) -> std::unique_ptr<FrameView> {
        return std::make_unique<ChildViewHost>(parent);
    });

    std::vector<Growth> growth;
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        int64_t last = -1;
        while (!stop) {
            struct stat info {};
            if (stat(heard.c_str(), &info) == 0 && info.st_size != last) {
                last = info.st_size;
                growth.push_back({Clock::now(), last});
            }
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    std::unique_ptr<PaintWatch> watch;
    const int runMs = static_cast<int>(bursts * (kSilenceSeconds + kToneSeconds) * 1000) + 2500;
    QTimer::singleShot(0, [&] {
        MainFrame* frame = app.Frame();
        if (!frame)
            return;
        // The meter window has no meta-object of its own: found by its name.
        if (auto* meter = frame->findChild<QWidget*>(QStringLiteral("Oscilliscope")))
            watch = std::make_unique<PaintWatch>(static_cast<MeterWindow*>(meter));
        QTimer::singleShot(runMs, frame, [frame] { frame->close(); });
    });
    const int result = app.Run();
    stop = true;
    watcher.join();
    if (result != 0 || !watch) {
        std::fprintf(stderr, "meter-latency: the player did not run (%d)\n", result);
        return 1;
    }

    // The bursts' first frames in what was played, and when each was played.
    std::ifstream in(heard, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<Clock::time_point> onsets;
    int quiet = 0;
    for (size_t at = kHeader; at + 4 <= bytes.size(); at += 4) {
        int16_t left;
        std::memcpy(&left, bytes.data() + at, 2);
        if (std::abs(left) < 1000) {
            ++quiet;
            continue;
        }
        if (quiet > kRate / 2) {
            const int64_t end = static_cast<int64_t>(at) + 4;
            const auto written = std::find_if(growth.begin(), growth.end(),
                                              [end](const Growth& g) { return g.size >= end; });
            if (written != growth.end()) {
                const double lateFrames = static_cast<double>(written->size - end) / 4;
                onsets.push_back(written->at - std::chrono::microseconds(
                                                   static_cast<int64_t>(lateFrames * 1e6 / kRate)));
            }
        }
        quiet = 0;
    }

    // The paints that lit the tone's bar after a picture without it.
    std::vector<Clock::time_point> lit;
    for (size_t i = 1; i < watch->paints.size(); ++i)
        if (watch->paints[i].second && !watch->paints[i - 1].second)
            lit.push_back(watch->paints[i].first);

    // Each burst against the first paint that showed it.
    const Clock::time_point origin = onsets.empty() ? Clock::now() : onsets.front();
    std::vector<double> delays;
    std::printf("%-8s %14s %14s %10s\n", "burst", "heard (ms)", "shown (ms)", "delay");
    for (size_t i = 0; i < onsets.size(); ++i) {
        const auto shown = std::find_if(lit.begin(), lit.end(), [&](Clock::time_point t) {
            return t > onsets[i] - std::chrono::milliseconds(300);
        });
        if (shown == lit.end())
            continue;
        const double delay = Ms(*shown, onsets[i]);
        delays.push_back(delay);
        std::printf("%-8zu %14.1f %14.1f %10.1f\n", i + 1, Ms(onsets[i], origin),
                    Ms(*shown, origin), delay);
    }
    std::filesystem::remove_all(home);
    if (delays.empty()) {
        std::fprintf(stderr, "meter-latency: no burst was shown (%zu heard, %zu paints, %zu lit)\n",
                     onsets.size(), watch->paints.size(), lit.size());
        return 1;
    }
    double sum = 0;
    for (double d : delays)
        sum += d;
    std::printf("\n%zu bursts: mean delay %.1f ms, largest %.1f ms, smallest %.1f ms\n",
                delays.size(), sum / static_cast<double>(delays.size()),
                *std::max_element(delays.begin(), delays.end()),
                *std::min_element(delays.begin(), delays.end()));
    return 0;
}
