#include "app/SonvaleApp.h"
#include "app/SingleInstance.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "platform/RunAppAtEvent.h"
#include "settings/SettingNames.h"
#include "tests/TempFolder.h"

#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

using namespace setting;

std::u16string StoredModulePath(Profile& profile) {
    return profile.GetProfileString(kRootSection, kModulePath.name, u"<none>");
}

TEST(SonvaleAppTest, WakeupRegistrationWritesTheModulePath) {
    TempFolder folder;
    Registry registry(folder / "registry.db");
    Profile profile(registry, kRegistryKeyWord, kProfileName);

    ASSERT_TRUE(SonvaleApp::RegisterForWakeup(registry, profile, "/opt/sonvale/bin/sonvale"));
    EXPECT_EQ(StoredModulePath(profile), u"/opt/sonvale/bin/sonvale");
    const auto registrations = RunAppAtEvent::List(registry);
    ASSERT_EQ(registrations.size(), 1u);
    EXPECT_EQ(registrations[0].application, u"/opt/sonvale/bin/sonvale");
    EXPECT_EQ(registrations[0].event, RunAppAtEvent::kEventWakeup);

    // A path without any folder registers too.
    Registry bare(folder / "bare.db");
    Profile bareProfile(bare, kRegistryKeyWord, kProfileName);
    EXPECT_TRUE(SonvaleApp::RegisterForWakeup(bare, bareProfile, "sonvale"));
    EXPECT_EQ(StoredModulePath(bareProfile), u"sonvale");
}

TEST(SonvaleAppTest, ProgramInTheRootFolderDoesNotRegister) {
    TempFolder folder;
    Registry registry(folder / "registry.db");
    Profile profile(registry, kRegistryKeyWord, kProfileName);
    EXPECT_FALSE(SonvaleApp::RegisterForWakeup(registry, profile, "/sonvale"));
    EXPECT_EQ(StoredModulePath(profile), u"<none>");
    EXPECT_TRUE(RunAppAtEvent::List(registry).empty());
}

TEST(SonvaleAppTest, OnlyMountPointsUnderTheMediaFoldersAreCards) {
    EXPECT_FALSE(SonvaleApp::IsStorageCardFolder("/usr/bin"));
    EXPECT_FALSE(SonvaleApp::IsStorageCardFolder("/proc")); // a mount point, but no card
    EXPECT_FALSE(SonvaleApp::IsStorageCardFolder("/media/no-such-card"));
    EXPECT_FALSE(SonvaleApp::IsStorageCardFolder(""));
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_saved = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(m_runtime.Path()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", m_saved); }

    TempFolder m_runtime;
    QByteArray m_saved;
};

TEST_F(SingleInstanceTest, SecondInstanceHandsItsCommandLineToTheFirst) {
    SingleInstance first("/opt/sonvale/bin/sonvale");
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.ServerPath().startsWith(QString::fromStdString(m_runtime.Path())));
    QSignalSpy received(&first, &SingleInstance::CommandLineReceived);

    SingleInstance second("/opt/sonvale/bin/sonvale");
    EXPECT_FALSE(second.Acquire());
    const QString text = QString::fromUtf8("/음악/노래 하나.mp3");
    ASSERT_TRUE(second.HandOver(text));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.at(0).at(0).toString(), text);

    // Another program path is another instance.
    SingleInstance other("/usr/local/bin/sonvale");
    EXPECT_TRUE(other.Acquire());
    EXPECT_NE(other.ServerPath(), first.ServerPath());
}

TEST_F(SingleInstanceTest, AStalledOrOversizedSenderDoesNotBlockTheNext) {
    SingleInstance first("/opt/sonvale/bin/sonvale");
    ASSERT_TRUE(first.Acquire());
    QSignalSpy received(&first, &SingleInstance::CommandLineReceived);
    auto connectRaw = [&first] {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = first.ServerPath().toLocal8Bit();
        std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
        EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        return fd;
    };
    // One sender writes half a text and stays; another pours more than any command line.
    const int stalled = connectRaw();
    ASSERT_EQ(write(stalled, "/\0", 2), 2);
    const int flood = connectRaw();
    const std::string junk(64 * 1024, 'x');
    size_t poured = 0;
    while (poured < 2 * 1024 * 1024) {
        const ssize_t n = send(flood, junk.data(), junk.size(), MSG_NOSIGNAL);
        if (n < 0 && errno != EAGAIN)
            break; // the receiver gave up on it
        poured += n > 0 ? static_cast<size_t>(n) : 0;
        if (n < 0)
            QTest::qWait(5);
    }
    close(flood);

    SingleInstance second("/opt/sonvale/bin/sonvale");
    ASSERT_TRUE(second.HandOver(QStringLiteral("/music/a.mp3")));
    ASSERT_TRUE(received.wait(5000));
    EXPECT_EQ(received.last().at(0).toString(), QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(received.count(), 1); // the flood was dropped, not handed on
    close(stalled);
}

TEST_F(SingleInstanceTest, LockComesFreeWhenTheFirstEnds) {
    {
        SingleInstance first("/opt/sonvale/bin/sonvale");
        ASSERT_TRUE(first.Acquire());
        EXPECT_TRUE(QFile::exists(first.ServerPath()));
    }
    // Its socket file goes with it.
    EXPECT_FALSE(QFile::exists(SingleInstance("/opt/sonvale/bin/sonvale").ServerPath()));
    SingleInstance next("/opt/sonvale/bin/sonvale");
    EXPECT_TRUE(next.Acquire());
}

// The real program, twice, in a private home and runtime folder.
class ProgramTest : public ::testing::Test {
protected:
    QProcessEnvironment Environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("SONVALE_HOME", QString::fromStdString(m_home.Path()));
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(m_runtime.Path()));
        env.insert("SONVALE_AUDIO", "null");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "sonvale.instance.info=true");
        return env;
    }

    void Start(QProcess& process, const QStringList& arguments) const {
        process.setProcessEnvironment(Environment());
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(SONVALE_PROGRAM, arguments);
    }

    // Waits until the process's error output holds the text; returns all of it.
    static bool WaitForOutput(QProcess& process, const QString& text, QString& output) {
        for (int waited = 0; waited < 30000; waited += 100) {
            output += QString::fromUtf8(process.readAllStandardError());
            if (output.contains(text))
                return true;
            if (process.state() == QProcess::NotRunning)
                return false;
            process.waitForReadyRead(100);
        }
        return false;
    }

    TempFolder m_home;
    TempFolder m_runtime;
};

TEST_F(ProgramTest, SecondStartHandsItsArgumentToTheFirstAndEndsWithSuccess) {
    QProcess first;
    Start(first, {});
    QString firstOutput;
    ASSERT_TRUE(WaitForOutput(first, "running; listening", firstOutput))
        << firstOutput.toStdString();

    QProcess second;
    Start(second, {"/music/Second Start.mp3"});
    ASSERT_TRUE(second.waitForFinished(30000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    EXPECT_TRUE(WaitForOutput(first, "command line from another instance: /music/Second Start.mp3",
                              firstOutput))
        << firstOutput.toStdString();
    first.kill();
    first.waitForFinished(10000);
}

// Usage and version need no display and no running player.
TEST_F(ProgramTest, HelpAndVersionPrintAndEndWithSuccess) {
    for (const char* option : {"--help", "--version"}) {
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", "xcb"); // would fail if a window were made
        program.setProcessEnvironment(env);
        program.start(SONVALE_PROGRAM, {option});
        ASSERT_TRUE(program.waitForFinished(10000));
        EXPECT_EQ(program.exitCode(), 0) << option;
        const QString out = QString::fromUtf8(program.readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(std::string(option) == "--help" ? "Usage: sonvale" : "sonvale "))
            << out.toStdString();
    }
}

TEST_F(ProgramTest, ScreenshotIsTheMainWindow) {
    const QString path = QString::fromStdString(m_home / "shot.png");
    QProcess program;
    Start(program, {"--screenshot", path});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    const QImage shot(path);
    ASSERT_FALSE(shot.isNull());
    // The view with the menu bar above it.
    EXPECT_EQ(shot.width(), 480);
    EXPECT_GT(shot.height(), 536);
}

} // namespace
