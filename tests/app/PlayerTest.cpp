// The real player program, started as a user would, in a private home folder, with its output
// written to a WAV file in real time.
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "playlist/Archive.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace setting;

namespace {

std::string Fixture(const std::string& name) {
    return std::string(SONVALE_FIXTURES) + "/" + name;
}

class PlayerTest : public ::testing::Test {
protected:
    void SetUp() override { chmod(m_home.Path().c_str(), 0700); }

    std::string Output() const { return m_home.File("out.wav"); }

    // Settings written before the program starts.
    void Preset(const NumberSetting& value, int32_t number) {
        Registry registry(m_home.File("registry.db"));
        Profile profile(registry, kRegistryKeyWord, kProfileName);
        Settings::Set(profile, value, number);
    }
    int32_t Stored(const NumberSetting& value) {
        Registry registry(m_home.File("registry.db"));
        Profile profile(registry, kRegistryKeyWord, kProfileName);
        return Settings::Get(profile, value);
    }
    std::u16string Stored(const TextSetting& value) {
        Registry registry(m_home.File("registry.db"));
        Profile profile(registry, kRegistryKeyWord, kProfileName);
        return Settings::Get(profile, value);
    }

    // A playlist file of these files, as the player writes one.
    void WriteList(const std::string& name, const std::vector<std::string>& paths) {
        Archive archive;
        archive.WriteInt32(static_cast<int32_t>(paths.size()));
        for (const std::string& path : paths) {
            const std::u16string wide = TextCodec::Utf8ToUtf16(path);
            const std::u16string stem = std::filesystem::path(path).stem().u16string();
            for (const std::u16string& text :
                 {stem, wide, std::filesystem::path(path).extension().u16string(), std::u16string(),
                  stem, std::u16string(), std::u16string(), std::u16string()})
                archive.WriteString(text);
            archive.WriteInt32(1);
        }
        m_home.Write(name, archive.Bytes());
    }
    // The paths the saved playlist holds, in order (none when it can't be read whole).
    std::vector<std::u16string> SavedList() {
        const std::string bytes = m_home.Read("playlist.wpl");
        Archive archive(bytes);
        int32_t count = 0;
        std::vector<std::u16string> paths;
        if (!archive.ReadInt32(count))
            return {};
        for (int32_t i = 0; i < count; ++i) {
            std::u16string text, path;
            int32_t favorite = 0;
            bool ok = archive.ReadString(text) && archive.ReadString(path);
            for (int field = 2; field < 8 && ok; ++field)
                ok = archive.ReadString(text);
            if (!ok || !archive.ReadInt32(favorite))
                return {};
            paths.push_back(path);
        }
        return archive.Remaining() == 0 ? paths : std::vector<std::u16string>{};
    }

    void Start(QProcess& process, const QStringList& arguments, const std::string& output = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SONVALE_HOME", QString::fromStdString(m_home.Path()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_home.Path()));
        env.insert("SONVALE_AUDIO",
                   QString::fromStdString(output.empty() ? "wav:" + Output() : output));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(SONVALE_PROGRAM, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Waits until the output holds `seconds` of sound (44100 Hz stereo 16-bit).
    bool WaitForOutput(QProcess& process, double seconds, const std::string& output = {}) {
        const auto bytes = static_cast<std::uintmax_t>(44 + seconds * 44100 * 4);
        for (int waited = 0; waited < 30000; waited += 50) {
            std::error_code error;
            if (std::filesystem::file_size(output.empty() ? Output() : output, error) >= bytes &&
                !error)
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForFinished(50);
        }
        return false;
    }

    // SIGTERM closes the window as Exit does.
    static void Close(QProcess& process) {
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    }

    // Seconds of output with sound in them, and where the sound ends.
    static void Sound(const WavFile& wav, double& audible, double& lastSound) {
        size_t frames = 0, last = 0;
        const size_t channels = static_cast<size_t>(wav.channels);
        for (size_t i = 0; i < wav.Frames(); ++i)
            if (std::any_of(&wav.samples[channels * i], &wav.samples[channels * (i + 1)],
                            [](int16_t sample) { return sample != 0; })) {
                ++frames;
                last = i;
            }
        audible = static_cast<double>(frames) / wav.rate;
        lastSound = static_cast<double>(last) / wav.rate;
    }

    TempFolder m_home;
};

TEST_F(PlayerTest, PlaysAFileToItsEndAndWritesTheSettingsAtExit) {
    Preset(kRepeat, 0); // a single file then stays stopped at its end
    Preset(kVolume, 30);
    const std::string track = Fixture("vorbis-44100.ogg");
    QProcess player;
    Start(player, {QString::fromStdString(track)});
    ASSERT_TRUE(WaitForOutput(player, 3.0)) << player.readAllStandardError().toStdString();
    Close(player);

    WavFile played;
    ASSERT_TRUE(played.Read(Output()));
    double audible = 0, lastSound = 0;
    Sound(played, audible, lastSound);
    EXPECT_NEAR(audible, 1.38, 0.15); // the whole track, once
    EXPECT_LT(lastSound, 2.5);

    EXPECT_EQ(Stored(kVolume), 30);
    // The single file opened outside the list is kept as a one-entry playlist.
    QFile playlist(QString::fromStdString(m_home.File("playlist.wpl")));
    ASSERT_TRUE(playlist.open(QIODevice::ReadOnly));
    QByteArray bytes = playlist.readAll();
    EXPECT_EQ(bytes.left(4), QByteArray("\x01\x00\x00\x00", 4));
    QString path = QString::fromStdString(track);
    QByteArray utf16(reinterpret_cast<const char*>(path.utf16()), path.size() * 2);
    EXPECT_TRUE(bytes.contains(utf16));
}

// A VBR MP3 without a frame count looks like under 4 s of its 12 from its first frame: the
// player plays all of it, once.
TEST_F(PlayerTest, AVbrFileWithoutAFrameCountIsHeardWhole) {
    Preset(kRepeat, 0);
    QProcess player;
    Start(player, {QString::fromStdString(Fixture("mpeg1-l3-vbr-plain-12s.mp3"))});
    ASSERT_TRUE(WaitForOutput(player, 14.0)) << player.readAllStandardError().toStdString();
    Close(player);

    WavFile played;
    ASSERT_TRUE(played.Read(Output()));
    double audible = 0, lastSound = 0;
    Sound(played, audible, lastSound);
    EXPECT_GE(lastSound, 11.5);
    EXPECT_NEAR(audible, 12.0, 0.5);
}

TEST_F(PlayerTest, AFileHandedOverBySecondStartIsPlayedByTheFirst) {
    Preset(kRepeat, 0);
    QProcess first;
    Start(first, {QString::fromStdString(Fixture("wav-pcm16-stereo.wav"))});
    ASSERT_TRUE(WaitForOutput(first, 1.0));

    QProcess second;
    Start(second, {QString::fromStdString(Fixture("vorbis-44100.ogg"))});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 0); // a script sees success
    ASSERT_TRUE(WaitForOutput(first, 4.5));
    Close(first);

    WavFile played;
    ASSERT_TRUE(played.Read(Output()));
    double audible = 0, lastSound = 0;
    Sound(played, audible, lastSound);
    EXPECT_NEAR(audible, 0.5 + 1.38, 0.25); // the first file, then the handed-over one
    EXPECT_GT(lastSound, 1.5);
}

// The playlist is on disk while the program plays, and the resume values follow the track: a
// kill loses neither.
TEST_F(PlayerTest, AKilledPlayerStartsAgainWithItsWholePlaylistOnTheSameEntry) {
    std::vector<std::string> tracks;
    for (const char* name : {"one", "two", "three"}) {
        tracks.push_back(m_home.File(std::string("music/") + name + ".ogg"));
        std::filesystem::create_directories(m_home.File("music"));
        std::filesystem::copy_file(Fixture("vorbis-44100.ogg"), tracks.back());
    }
    WriteList("mix.wpl", tracks);
    std::vector<std::u16string> expected;
    for (const std::string& track : tracks)
        expected.push_back(TextCodec::Utf8ToUtf16(track));

    QProcess first;
    Start(first, {QString::fromStdString(m_home.File("mix.wpl"))}, "null");
    int32_t index = 0;
    for (int waited = 0; waited < 20000 && (index < 1 || SavedList() != expected); waited += 100) {
        ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();
        first.waitForFinished(100);
        index = Stored(kCurIndex);
    }
    ASSERT_EQ(SavedList(), expected);
    ASSERT_GE(index, 1); // the first track ended; the player moved on
    const std::u16string path = Stored(kCurPlayFilePath);
    EXPECT_EQ(path, expected[static_cast<size_t>(index)]);
    first.kill();
    ASSERT_TRUE(first.waitForFinished(10000));

    QProcess second;
    Start(second, {}, "wav:" + m_home.File("second.wav"));
    ASSERT_TRUE(WaitForOutput(second, 0.3, m_home.File("second.wav")))
        << second.readAllStandardError().toStdString();
    Close(second);
    EXPECT_EQ(SavedList(), expected);
    EXPECT_EQ(Stored(kCurIndex), index);
    EXPECT_EQ(Stored(kCurPlayFilePath), path);
}

// Windows Media files play in the media player control with the library's setting and in the
// engine's plug-in without it; each end moves the list on, and the last one stops it.
TEST_F(PlayerTest, WindowsMediaPlaysThroughTheListOnBothBackEnds) {
    // The tracks' sound: the mono one is silent for 0.43 s of its 2.14.
    const double stereo = 1.347, mono = 1.709;
    for (const int library : {1, 0}) {
        SCOPED_TRACE(library);
        Preset(kUseDefaultDecoder, library);
        Preset(kRepeat, 0);
        WriteList("wma.wpl", {Fixture("wma-v2-stereo.wma"), Fixture("wma-v1-mono.wma")});
        // The control's recording is 44.1 kHz stereo throughout; the engine's output takes each
        // file's format, and a new format starts the recording over.
        const std::string recording = library ? m_home.File("out.media.wav") : Output();
        const double whole = library ? stereo + mono : mono;
        const int channels = library ? 2 : 1;
        std::filesystem::remove(recording);
        std::filesystem::remove(Output());
        QProcess player;
        Start(player, {QString::fromStdString(m_home.File("wma.wpl"))});
        double audible = 0, lastSound = 0;
        WavFile played;
        for (int waited = 0;
             waited < 20000 && (played.channels != channels || audible < whole - 0.3);
             waited += 200) {
            ASSERT_EQ(player.state(), QProcess::Running)
                << player.readAllStandardError().toStdString();
            player.waitForFinished(200);
            if (played.Read(recording))
                Sound(played, audible, lastSound);
        }
        player.waitForFinished(1000); // nothing more may follow the last track
        Close(player);
        ASSERT_TRUE(played.Read(recording));
        EXPECT_EQ(played.channels, channels);
        Sound(played, audible, lastSound);
        // Resampling and the volume leave a few more or fewer samples at 0.
        EXPECT_NEAR(audible, whole, 0.3);
        EXPECT_EQ(Stored(kCurIndex), 0);
    }
}

// A saved list that can't be read is kept aside, and the demo of a first start does not take
// its place.
TEST_F(PlayerTest, ADamagedPlaylistIsKeptAndNotReplacedByTheDemo) {
    WriteList("playlist.wpl", {Fixture("vorbis-44100.ogg"), Fixture("tag-vorbis.ogg")});
    const std::string damaged = m_home.Read("playlist.wpl").substr(0, 30);
    m_home.Write("playlist.wpl", damaged);

    QProcess player;
    Start(player, {});
    for (int waited = 0;
         waited < 10000 && !std::filesystem::exists(m_home.File("playlist.wpl.bad")); waited += 100)
        player.waitForFinished(100);
    ASSERT_EQ(player.state(), QProcess::Running);
    player.waitForFinished(1500); // the demo would have started by now
    Close(player);                // the message about the damage is open: SIGTERM closes it
    EXPECT_EQ(m_home.Read("playlist.wpl.bad"), damaged);
    EXPECT_EQ(m_home.Read("playlist.wpl"), damaged);
    EXPECT_EQ(Stored(kDemoPlayed), 0);
    EXPECT_FALSE(std::filesystem::exists(m_home.File("demo")));
}

} // namespace

namespace {

// The program beside a run-time library whose files never finish opening: the window paints
// (the screenshot is taken) and closes (the open is cancelled) while the library opens.
TEST_F(PlayerTest, TheWindowPaintsAndClosesWhileTheLibraryOpensAFile) {
    const std::filesystem::path folder = m_home.File("program");
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(SONVALE_PROGRAM, folder / "sonvale");
    std::filesystem::copy_file(SLOW_FMODCE_PATH, folder / "libfmodce.so");
    Preset(kUseDefaultDecoder, 1);
    const std::string shot = m_home.File("shot.png");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("SONVALE_HOME", QString::fromStdString(m_home.Path()));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_home.Path()));
    env.insert("SONVALE_AUDIO", "null");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess player;
    player.setProcessEnvironment(env);
    player.start(QString::fromStdString((folder / "sonvale").string()),
                 {"--screenshot", QString::fromStdString(shot),
                  QString::fromStdString(Fixture("mpeg1-l3-cbr-plain.mp3"))});
    ASSERT_TRUE(player.waitForStarted(10000));
    ASSERT_TRUE(player.waitForFinished(20000)) << "the window stopped answering while opening";
    EXPECT_EQ(player.exitCode(), 0) << player.readAllStandardError().toStdString();
    EXPECT_GT(std::filesystem::file_size(shot), 1000u);
}

// The zoom draws the window larger, as far as the screen's height allows.
TEST_F(PlayerTest, TheZoomEnlargesTheWindowWithinTheScreen) {
    Preset(kZoom, 200);
    for (const auto& [screen, width] :
         {std::pair{"2560, \"height\": 1600", 960}, std::pair{"1920, \"height\": 1080", 720}}) {
        m_home.Write("screen.json", std::string("{\"screens\": [{\"name\": \"s\", \"x\": 0, "
                                                "\"y\": 0, \"width\": ") +
                                        screen + ", \"logicalDpi\": 96}]}");
        const std::string shot = m_home.File("zoomed.png");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SONVALE_HOME", QString::fromStdString(m_home.Path()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_home.Path()));
        env.insert("SONVALE_AUDIO", "null");
        env.insert("QT_QPA_PLATFORM",
                   QString::fromStdString("offscreen:configfile=" + m_home.File("screen.json")));
        env.remove("QT_SCALE_FACTOR");
        QProcess player;
        player.setProcessEnvironment(env);
        player.start(SONVALE_PROGRAM, {"--screenshot", QString::fromStdString(shot),
                                       QString::fromStdString(Fixture("mpeg1-l3-cbr-plain.mp3"))});
        ASSERT_TRUE(player.waitForFinished(20000));
        EXPECT_EQ(player.exitCode(), 0) << player.readAllStandardError().toStdString();
        EXPECT_EQ(QImage(QString::fromStdString(shot)).width(), width) << screen;
    }
}

} // namespace
