// The player's hot keys on a stand-in for the desktop's global-shortcuts portal, on a private
// session bus: the portal is offered the mapped keys when the player goes to the background, and
// its activations drive the player as the keys do, double presses included.
#include "app/FrameView.h"
#include "app/MainFrame.h"
#include "input/KeyMap.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"
#include "tests/app/InProcessPlayer.h"
#include "tests/app/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <vector>

namespace {

// `seconds` of a stereo tone at 44100 Hz.
std::string Tone(int seconds, double hertz) {
    std::vector<int16_t> samples(static_cast<size_t>(seconds) * 44100 * 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            static_cast<int16_t>(8000 * std::sin(2 * M_PI * hertz * double(i / 2) / 44100));
    return WavFile::Bytes(2, 44100, samples);
}

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kShortcuts = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// What a desktop's portal does for the player: sessions, bound shortcuts, activations.
class FakePortal : public QDBusVirtualObject {
public:
    explicit FakePortal(QDBusConnection& bus) : m_bus(bus) {}

    QString sessionPath;
    QMap<QString, QVariantMap> bound; // shortcut id -> its properties
    int bindCalls = 0;

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override {
        if (message.interface() != kShortcuts)
            return false;
        const QVariantList args = message.arguments();
        QString sender = message.service().mid(1).replace('.', '_');
        if (message.member() == "CreateSession") {
            const QVariantMap options = qdbus_cast<QVariantMap>(args.at(0));
            sessionPath = kPortalPath + "/session/" + sender + "/" +
                          options.value("session_handle_token").toString();
            Answer(message, options.value("handle_token").toString(),
                   {{"session_handle", sessionPath}});
            return true;
        }
        if (message.member() == "BindShortcuts") {
            ++bindCalls;
            const QDBusArgument list = args.at(1).value<QDBusArgument>();
            list.beginArray();
            while (!list.atEnd()) {
                QString id;
                QVariantMap properties;
                list.beginStructure();
                list >> id >> properties;
                list.endStructure();
                bound[id] = properties;
            }
            list.endArray();
            const QVariantMap options = qdbus_cast<QVariantMap>(args.at(3));
            Answer(message, options.value("handle_token").toString(), {});
            return true;
        }
        return false;
    }

    void Activate(const QString& id) {
        QDBusMessage signal = QDBusMessage::createSignal(kPortalPath, kShortcuts, "Activated");
        signal << QVariant::fromValue(QDBusObjectPath(sessionPath)) << id << qulonglong(0)
               << QVariantMap();
        m_bus.send(signal);
    }

private:
    // The request object's path goes back at once, its Response right after.
    void Answer(const QDBusMessage& call, const QString& token, const QVariantMap& results) {
        const QString request =
            kPortalPath + "/request/" + call.service().mid(1).replace('.', '_') + "/" + token;
        m_bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        QDBusMessage response =
            QDBusMessage::createSignal(request, "org.freedesktop.portal.Request", "Response");
        response << 0u << results;
        m_bus.send(response);
    }

    QDBusConnection& m_bus;
};

class GlobalShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        UsePlayerHome(m_home);
        m_profile = std::make_unique<Profile>(Registry::Shared(), setting::kRegistryKeyWord,
                                              setting::kProfileName);
        Settings::Set(*m_profile, setting::kDemoPlayed, 1);

        m_bus = std::make_unique<PrivateBus>();
        const QString address = m_bus->Address();
        ASSERT_FALSE(address.isEmpty());
        m_desktop = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("portal")));
        ASSERT_TRUE(m_desktop->isConnected());
        m_portal = std::make_unique<FakePortal>(*m_desktop);
        ASSERT_TRUE(m_desktop->registerVirtualObject(kPortalPath, m_portal.get()));
        ASSERT_TRUE(m_desktop->registerService(kPortal));
    }

    void TearDown() override {
        m_desktop.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        m_bus.reset();
    }

    // The title the desktop's media controls show for the playing track.
    QString PlayingTitle() {
        QDBusMessage get = QDBusMessage::createMethodCall("org.mpris.MediaPlayer2.sonvale",
                                                          "/org/mpris/MediaPlayer2",
                                                          "org.freedesktop.DBus.Properties", "Get");
        get << QString("org.mpris.MediaPlayer2.Player") << QString("Metadata");
        // The player answers on this thread: wait with the event loop running.
        QDBusPendingCall pending = m_desktop->asyncCall(get);
        if (!QTest::qWaitFor([&pending] { return pending.isFinished(); }, 5000))
            return {};
        const QDBusMessage reply = pending.reply();
        if (reply.arguments().isEmpty())
            return {};
        const QVariantMap metadata =
            qdbus_cast<QVariantMap>(reply.arguments().at(0).value<QDBusVariant>().variant());
        return metadata.value("xesam:title").toString();
    }

    TempFolder m_home;
    std::unique_ptr<Profile> m_profile;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<QDBusConnection> m_desktop;
    std::unique_ptr<FakePortal> m_portal;
};

TEST_F(GlobalShortcutsTest, ThePortalDrivesThePlayerFromTheBackground) {
    // Remote4 (179): Play/Pause on one press, Next Track on two; Button5 (197): Stop, on a key
    // the desktop has no key for.
    KeyMap::Save(*m_profile, {{179, 0, 4}, {179, 1, 6}, {197, 0, 1}}, true);
    const std::string first = m_home.Write("music/first.wav", Tone(20, 440));
    m_home.Write("music/second.wav", Tone(20, 660));

    RunPlayer([&](MainFrame& frame) {
        FrameView& view = *frame.View();
        frame.OnCopyData(QString::fromStdString(m_home.File("music")));
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        ASSERT_TRUE(WaitFor([&] { return PlayingTitle() == "first"; }));
        EXPECT_EQ(m_portal->bindCalls, 0); // nothing is bound while the player is in front

        view.OnActivate(false, false);
        ASSERT_TRUE(WaitFor([&] { return m_portal->bound.size() == 2; }));
        EXPECT_EQ(m_portal->bound.value("key-179").value("preferred_trigger"), "XF86AudioPlay");
        EXPECT_FALSE(m_portal->bound.value("key-197").contains("preferred_trigger"));
        EXPECT_TRUE(m_portal->bound.value("key-179")
                        .value("description")
                        .toString()
                        .contains("Next Track"));

        m_portal->Activate("key-179");
        m_portal->Activate("key-179");
        EXPECT_TRUE(WaitFor([&] { return PlayingTitle() == "second"; }));
        EXPECT_TRUE(view.IsPlaying());
        m_portal->Activate("key-179");
        EXPECT_TRUE(WaitFor([&] { return !view.IsPlaying(); }));

        // Coming to the front and going back needs no new binding.
        view.OnActivate(true, false);
        view.OnActivate(false, false);
        QTest::qWait(200);
        EXPECT_EQ(m_portal->bindCalls, 1);
        m_portal->Activate("key-40"); // not a mapped key
        m_portal->Activate("key-179");
        EXPECT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        view.OnActivate(true, false);
    });
}

} // namespace
