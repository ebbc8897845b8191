// The real player program, started as a user would, in a private home folder, with its output
// written to a WAV file in real time.
#include "app/SettingNames.h"
#include "app/Settings.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

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

    void Start(QProcess& process, const QStringList& arguments) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SONVALE_HOME", QString::fromStdString(m_home.Path()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_home.Path()));
        env.insert("SONVALE_AUDIO", QString::fromStdString("wav:" + Output()));
        env.insert("QT_QPA_PLATFORM", "offscreen");
        process.setProcessEnvironment(env);
        process.start(SONVALE_PROGRAM, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // Waits until the output holds `seconds` of sound (44100 Hz stereo 16-bit).
    bool WaitForOutput(QProcess& process, double seconds) {
        const auto bytes = static_cast<std::uintmax_t>(44 + seconds * 44100 * 4);
        for (int waited = 0; waited < 30000; waited += 50) {
            std::error_code error;
            if (std::filesystem::file_size(Output(), error) >= bytes && !error)
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
        for (size_t i = 0; i < wav.Frames(); ++i)
            if (wav.samples[2 * i] != 0 || wav.samples[2 * i + 1] != 0) {
                ++frames;
                last = i;
            }
        audible = frames / 44100.0;
        lastSound = last / 44100.0;
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

TEST_F(PlayerTest, AFileHandedOverBySecondStartIsPlayedByTheFirst) {
    Preset(kRepeat, 0);
    QProcess first;
    Start(first, {QString::fromStdString(Fixture("wav-pcm16-stereo.wav"))});
    ASSERT_TRUE(WaitForOutput(first, 1.0));

    QProcess second;
    Start(second, {QString::fromStdString(Fixture("vorbis-44100.ogg"))});
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 255);
    ASSERT_TRUE(WaitForOutput(first, 4.5));
    Close(first);

    WavFile played;
    ASSERT_TRUE(played.Read(Output()));
    double audible = 0, lastSound = 0;
    Sound(played, audible, lastSound);
    EXPECT_NEAR(audible, 0.5 + 1.38, 0.25); // the first file, then the handed-over one
    EXPECT_GT(lastSound, 1.5);
}

} // namespace
