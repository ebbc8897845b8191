// The player's power handling against stand-ins for the desktop's services, on private buses
// (the "system" bus is a second private daemon): the screen saver and logind inhibitors while
// playing, Power Off through logind's Suspend and the wake-up after it, and calls on a modem.
#include "app/ChildView.h"
#include "app/MainFrame.h"
#include "input/Command.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "session/PlayerSession.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"
#include "tests/app/InProcessPlayer.h"
#include "tests/app/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kModemManager = QStringLiteral("org.freedesktop.ModemManager1");
const QString kModemPath = QStringLiteral("/org/freedesktop/ModemManager1/Modem/0");
const QString kCallPath = QStringLiteral("/org/freedesktop/ModemManager1/Call/1");

std::string Tone(int seconds) {
    std::vector<int16_t> samples(static_cast<size_t>(seconds) * 44100 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * double(i / 2) / 44100));
    return WavFile::Bytes(2, 44100, samples);
}

// logind: inhibitors are pipes whose far end the test keeps (a closed lock reads as hung up);
// Suspend is recorded, or refused as an unprivileged caller's would be.
class FakeLogind : public QDBusVirtualObject {
public:
    explicit FakeLogind(QDBusConnection& bus) : m_bus(bus) {}
    ~FakeLogind() override {
        for (int fd : m_locks)
            close(fd);
    }

    QStringList inhibited; // "what" of each Inhibit
    int suspends = 0;
    bool refuse = false;
    std::function<void()> onSuspend;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.interface() != kManager)
            return false;
        if (message.member() == "Inhibit") {
            inhibited += message.arguments().at(0).toString();
            int ends[2];
            if (pipe2(ends, O_CLOEXEC) != 0)
                return false;
            m_bus.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[1]))));
            close(ends[1]);
            m_locks.push_back(ends[0]);
            return true;
        }
        if (message.member() == "Suspend") {
            ++suspends;
            if (onSuspend)
                onSuspend();
            m_bus.send(refuse ? message.createErrorReply("org.freedesktop.DBus.Error.AccessDenied",
                                                         "Permission denied")
                              : message.createReply());
            return true;
        }
        return false;
    }

    // The inhibitors the player still holds.
    int Held() const {
        int held = 0;
        for (int fd : m_locks) {
            pollfd poll{fd, POLLIN, 0};
            held += ::poll(&poll, 1, 0) == 0 ? 1 : 0;
        }
        return held;
    }
    void PrepareForSleep(bool starting) {
        QDBusMessage signal = QDBusMessage::createSignal(kLogindPath, kManager, "PrepareForSleep");
        signal << starting;
        m_bus.send(signal);
    }

private:
    QDBusConnection& m_bus;
    std::vector<int> m_locks;
};

class FakeScreenSaver : public QDBusVirtualObject {
public:
    explicit FakeScreenSaver(QDBusConnection& bus) : m_bus(bus) {}
    std::set<uint> held;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.interface() != kScreenSaver)
            return false;
        if (message.member() == "Inhibit") {
            held.insert(++m_cookie);
            m_bus.send(message.createReply(m_cookie));
            return true;
        }
        if (message.member() == "UnInhibit") {
            held.erase(message.arguments().at(0).toUInt());
            m_bus.send(message.createReply());
            return true;
        }
        return false;
    }

private:
    QDBusConnection& m_bus;
    uint m_cookie = 0;
};

// A modem with one voice call, whose state the test sets.
class FakeModemManager : public QDBusVirtualObject {
public:
    explicit FakeModemManager(QDBusConnection& bus) : m_bus(bus) {}
    int callState = 0;

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.path() != kCallPath || message.member() != "Get")
            return false;
        m_bus.send(message.createReply(QVariant::fromValue(QDBusVariant(callState))));
        return true;
    }
    void AddCall(int state) {
        callState = state;
        QDBusMessage signal = QDBusMessage::createSignal(
            kModemPath, "org.freedesktop.ModemManager1.Modem.Voice", "CallAdded");
        signal << QVariant::fromValue(QDBusObjectPath(kCallPath));
        m_bus.send(signal);
    }
    void ChangeCall(int state) {
        QDBusMessage signal = QDBusMessage::createSignal(
            kCallPath, "org.freedesktop.ModemManager1.Call", "StateChanged");
        signal << callState << state << 0u;
        callState = state;
        m_bus.send(signal);
    }

private:
    QDBusConnection& m_bus;
};

class PowerTest : public ::testing::Test {
protected:
    void SetUp() override {
        UsePlayerHome(m_home);
        m_profile = std::make_unique<Profile>(Registry::Shared(), setting::kRegistryKeyWord,
                                              setting::kProfileName);
        Settings::Set(*m_profile, setting::kDemoPlayed, 1);
        Settings::Set(*m_profile, setting::kRepeat, 0);
        m_track = m_home.Write("music/tone.wav", Tone(30));

        m_session = Connect(*m_sessionDaemon, "power-session");
        m_system = Connect(*m_systemDaemon, "power-system");
        ASSERT_TRUE(m_session && m_system);
        m_logind = std::make_unique<FakeLogind>(*m_system);
        ASSERT_TRUE(m_system->registerVirtualObject(kLogindPath, m_logind.get()));
        ASSERT_TRUE(m_system->registerService(kLogind));
        m_saver = std::make_unique<FakeScreenSaver>(*m_session);
        ASSERT_TRUE(m_session->registerVirtualObject(kScreenSaverPath, m_saver.get()));
        ASSERT_TRUE(m_session->registerService(kScreenSaver));
        m_modem = std::make_unique<FakeModemManager>(*m_system);
        ASSERT_TRUE(m_system->registerVirtualObject("/org/freedesktop/ModemManager1", m_modem.get(),
                                                    QDBusConnection::SubPath));
        ASSERT_TRUE(m_system->registerService(kModemManager));
    }

    void TearDown() override {
        m_session.reset();
        m_system.reset();
        QDBusConnection::disconnectFromBus("power-session");
        QDBusConnection::disconnectFromBus("power-system");
        m_sessionDaemon.reset();
        m_systemDaemon.reset();
    }

    std::unique_ptr<QDBusConnection> Connect(const PrivateBus& daemon, const QString& name) {
        if (daemon.Address().isEmpty())
            return nullptr;
        auto bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(daemon.Address(), name));
        return bus->isConnected() ? std::move(bus) : nullptr;
    }

    static PlayerSession& SessionOf(MainFrame& frame) {
        return static_cast<ChildView*>(frame.View()->Widget())->Session();
    }
    static void Run(MainFrame& frame, Command command) { frame.OnCmdMsg(CommandId(command)); }

    TempFolder m_home;
    std::unique_ptr<Profile> m_profile;
    std::string m_track;
    std::unique_ptr<PrivateBus> m_sessionDaemon = std::make_unique<PrivateBus>();
    std::unique_ptr<PrivateBus> m_systemDaemon =
        std::make_unique<PrivateBus>("DBUS_SYSTEM_BUS_ADDRESS");
    std::unique_ptr<QDBusConnection> m_session, m_system;
    std::unique_ptr<FakeLogind> m_logind;
    std::unique_ptr<FakeScreenSaver> m_saver;
    std::unique_ptr<FakeModemManager> m_modem;
};

// Both inhibitors come while it plays and go on pause and on stop.
TEST_F(PowerTest, TheInhibitorsAreHeldExactlyWhilePlaying) {
    RunPlayer([&](MainFrame& frame) {
        FrameView& view = *frame.View();
        auto holding = [&] { return m_saver->held.size() == 1 && m_logind->Held() == 1; };
        auto released = [&] { return m_saver->held.empty() && m_logind->Held() == 0; };
        EXPECT_TRUE(released());
        frame.OnCopyData(QString::fromStdString(m_track));
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        EXPECT_TRUE(WaitFor(holding));
        EXPECT_EQ(m_logind->inhibited, QStringList{"idle:sleep"});

        Run(frame, Command::Pause);
        EXPECT_TRUE(WaitFor(released));
        Run(frame, Command::Play);
        EXPECT_TRUE(WaitFor(holding));
        Run(frame, Command::Stop);
        EXPECT_TRUE(WaitFor(released));
    });
}

// Power Off stops and stores the place before logind suspends; PrepareForSleep(true) then
// (false) starts the audio again and it plays on from there. A refusal is told on the display.
TEST_F(PowerTest, PowerOffSuspendsAndTheWakeUpPlaysOnWhereItStopped) {
    RunPlayer([&](MainFrame& frame) {
        FrameView& view = *frame.View();
        PlayerSession& session = SessionOf(frame);
        frame.OnCopyData(QString::fromStdString(m_track));
        ASSERT_TRUE(WaitFor([&] { return session.State().elapsedSeconds >= 2; }));
        int stored = -1;
        bool stopped = false;
        m_logind->onSuspend = [&] {
            stopped = !view.IsPlaying();
            stored = Settings::Get(*m_profile, setting::kCurPlayPos);
        };
        Run(frame, Command::PowerOff);
        ASSERT_TRUE(WaitFor([&] { return m_logind->suspends == 1; }));
        EXPECT_TRUE(stopped);
        EXPECT_GE(stored, 1500);        // the display's seconds may run a few milliseconds ahead
        EXPECT_EQ(m_logind->Held(), 0); // its own inhibitor does not hold the suspend back

        m_logind->PrepareForSleep(true);
        m_logind->PrepareForSleep(false);
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        EXPECT_GE(session.State().elapsedSeconds, stored / 1000);

        m_logind->refuse = true;
        Run(frame, Command::PowerOff);
        ASSERT_TRUE(WaitFor([&] { return m_logind->suspends == 2; }));
        EXPECT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
    });
}

// An incoming call pauses what plays and its end resumes it; a call while the user had paused
// leaves it paused.
TEST_F(PowerTest, ACallPausesPlaybackAndItsEndResumesIt) {
    RunPlayer([&](MainFrame& frame) {
        FrameView& view = *frame.View();
        frame.OnCopyData(QString::fromStdString(m_track));
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        m_modem->AddCall(3); // ringing in
        EXPECT_TRUE(WaitFor([&] { return !view.IsPlaying(); }));
        m_modem->ChangeCall(4); // answered
        m_modem->ChangeCall(7); // hung up
        EXPECT_TRUE(WaitFor([&] { return view.IsPlaying(); }));

        Run(frame, Command::Pause);
        ASSERT_TRUE(WaitFor([&] { return !view.IsPlaying(); }));
        m_modem->AddCall(2); // ringing out
        m_modem->ChangeCall(7);
        QTest::qWait(300);
        EXPECT_FALSE(view.IsPlaying());
    });
}

} // namespace
