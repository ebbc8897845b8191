// The player on a private session bus, in this process: a second connection reads and drives it
// as the desktop's media controls would.
#include "app/ChildViewHost.h"
#include "app/MainFrame.h"
#include "app/SonvaleApp.h"
#include "input/Command.h"
#include "platform/Profile.h"
#include "platform/Registry.h"
#include "settings/SettingNames.h"
#include "settings/Settings.h"
#include "skin/ImageSlideBar.h"
#include "skin/MainViewLayout.h"
#include "skin/ToggleButton.h"
#include "tests/TempFolder.h"
#include "tests/WavFile.h"
#include "tests/app/InProcessPlayer.h"
#include "tests/app/PrivateBus.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.sonvale");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Counts the PropertiesChanged signals of the player's interface and keeps what they carried.
class ChangeListener : public QObject {
    Q_OBJECT

public:
    QStringList changed;
    QList<qlonglong> seeks;

public slots:
    void OnChanged(const QString& interface, const QVariantMap& values, const QStringList&) {
        if (interface == kPlayer)
            changed += values.keys();
    }
    void OnSeeked(qlonglong position) { seeks += position; }
};

// A WAV of `seconds` of a steady level on both channels at 44100 Hz.
std::string SteadyWav(int seconds) {
    const uint32_t frames = seconds * 44100;
    std::string data(frames * 4, '\0');
    for (uint32_t i = 0; i < frames; ++i) {
        const int16_t sample[2] = {20000, 20000};
        std::memcpy(&data[i * 4], sample, 4);
    }
    auto word = [](uint32_t value, int bytes) {
        return std::string(reinterpret_cast<char*>(&value), bytes);
    };
    return "RIFF" + word(36 + data.size(), 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(2, 2) +
           word(44100, 4) + word(44100 * 4, 4) + word(4, 2) + word(16, 2) + "data" +
           word(data.size(), 4) + data;
}

class MprisTest : public ::testing::Test {
protected:
    void SetUp() override {
        UsePlayerHome(m_home);
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        Settings::Set(profile, setting::kDemoPlayed, 1);
        Settings::Set(profile, setting::kRepeat, 0);

        m_bus = std::make_unique<PrivateBus>();
        const QString address = m_bus->Address();
        ASSERT_FALSE(address.isEmpty());
        m_client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("mpris-test-client")));
        ASSERT_TRUE(m_client->isConnected());
    }

    void TearDown() override {
        m_client.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-test-client"));
        m_bus.reset();
    }

    QDBusMessage Call(const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = m_client->asyncCall(message);
        EXPECT_TRUE(QTest::qWaitFor([&pending] { return pending.isFinished(); }, 5000));
        return pending.reply();
    }
    QVariant Get(const QString& name) {
        const QDBusMessage reply = Call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {kPlayer, name});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return {};
        return reply.arguments().at(0).value<QDBusVariant>().variant();
    }
    void Set(const QString& name, const QVariant& value) {
        Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"),
             {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
    }
    QVariantMap Metadata() { return qdbus_cast<QVariantMap>(Get(QStringLiteral("Metadata"))); }
    qlonglong Position() { return Get(QStringLiteral("Position")).toLongLong(); }

    TempFolder m_home;
    std::unique_ptr<PrivateBus> m_bus;
    std::unique_ptr<QDBusConnection> m_client;
};

// The desktop sees the playing track, pauses and resumes it, seeks in it, and hears of every
// change.
TEST_F(MprisTest, TheDesktopReadsAndDrivesThePlayingTrack) {
    const std::string track = m_home.Write("music/steady.wav", SteadyWav(20));
    ChangeListener listener;
    ASSERT_TRUE(m_client->connect(kService, kPath,
                                  QStringLiteral("org.freedesktop.DBus.Properties"),
                                  QStringLiteral("PropertiesChanged"), &listener,
                                  SLOT(OnChanged(QString, QVariantMap, QStringList))));
    ASSERT_TRUE(m_client->connect(kService, kPath, kPlayer, QStringLiteral("Seeked"), &listener,
                                  SLOT(OnSeeked(qlonglong))));
    RunPlayer([&](MainFrame& frame) {
        FrameView& view = *frame.View();
        frame.OnCopyData(QString::fromStdString(track));
        ASSERT_TRUE(WaitFor([&] { return Get("PlaybackStatus").toString() == "Playing"; }));
        const QDBusMessage identity =
            Call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Identity")});
        ASSERT_FALSE(identity.arguments().isEmpty());
        EXPECT_EQ(identity.arguments().at(0).value<QDBusVariant>().variant().toString(), "Sonvale");

        ASSERT_TRUE(WaitFor([&] { return Metadata().contains("mpris:length"); }));
        const QVariantMap metadata = Metadata();
        EXPECT_EQ(metadata.value("xesam:title").toString(), "steady");
        EXPECT_EQ(metadata.value("xesam:url").toString(),
                  QUrl::fromLocalFile(QString::fromStdString(track)).toString());
        EXPECT_NEAR(metadata.value("mpris:length").toLongLong(), 20000000, 200000);
        EXPECT_TRUE(metadata.value("mpris:trackid").canConvert<QDBusObjectPath>());
        EXPECT_TRUE(WaitFor([&] { return listener.changed.contains("PlaybackStatus"); }));
        EXPECT_TRUE(listener.changed.contains("Metadata"));

        Call(kPlayer, QStringLiteral("PlayPause"));
        EXPECT_TRUE(WaitFor([&] { return !view.IsPlaying(); }));
        EXPECT_EQ(Get("PlaybackStatus").toString(), "Paused");
        Call(kPlayer, QStringLiteral("PlayPause"));
        EXPECT_TRUE(WaitFor([&] { return view.IsPlaying(); }));

        const qlonglong before = Position();
        Call(kPlayer, QStringLiteral("Seek"), {qlonglong(8000000)});
        EXPECT_TRUE(WaitFor([&] { return Position() >= before + 7500000; }));
        EXPECT_TRUE(WaitFor([&] { return !listener.seeks.isEmpty(); }));
    });
}

// Rate 1.5 plays the track in two thirds of its time.
TEST_F(MprisTest, RateOneAndAHalfPlaysFaster) {
    const std::string track = m_home.Write("music/steady.wav", SteadyWav(6));
    RunPlayer([&](MainFrame& frame) {
        FrameView& view = *frame.View();
        frame.OnCopyData(QString::fromStdString(track));
        ASSERT_TRUE(WaitFor([&] { return view.IsPlaying(); }));
        Set(QStringLiteral("Rate"), 1.5);
        EXPECT_DOUBLE_EQ(Get("Rate").toDouble(), 1.5);
        EXPECT_DOUBLE_EQ(Get("MaximumRate").toDouble(), 2.0);
        EXPECT_TRUE(WaitFor([&] { return !view.IsPlaying(); }));
    });
    WavFile played;
    ASSERT_TRUE(played.Read(m_home.File("out.wav")));
    ASSERT_GT(played.rate, 0);
    size_t loud = 0;
    for (size_t i = 0; i + 1 < played.samples.size(); i += 2)
        loud += played.samples[i] > 1000 ? 1 : 0;
    const double seconds = static_cast<double>(loud) / played.rate;
    EXPECT_GT(seconds, 3.5);
    EXPECT_LT(seconds, 5.0);
}

// The desktop's volume moves the window's slider, out-of-range values go to its ends; Shuffle and
// LoopStatus turn the player's own shuffle and repeat, and an unknown loop name changes nothing.
TEST_F(MprisTest, VolumeShuffleAndLoopDriveThePlayer) {
    RunPlayer([&](MainFrame& frame) {
        QWidget* window = frame.View()->Widget();
        ImageSlideBar* volume = nullptr;
        for (auto* slider : window->findChildren<ImageSlideBar*>())
            if (slider->Id() == MainViewLayout::kVolumeSliderId)
                volume = slider;
        ASSERT_NE(volume, nullptr);
        const int range = volume->GetRangeMax();
        ASSERT_GT(range, 0);

        Set(QStringLiteral("Volume"), 0.5);
        EXPECT_TRUE(WaitFor([&] { return volume->GetPos() == (range + 1) / 2; }));
        EXPECT_NEAR(Get("Volume").toDouble(), 0.5, 1.0 / range);
        Set(QStringLiteral("Volume"), -1.0);
        EXPECT_TRUE(WaitFor([&] { return volume->GetPos() == 0; }));
        EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), 0.0);
        Set(QStringLiteral("Volume"), 2.0);
        EXPECT_TRUE(WaitFor([&] { return volume->GetPos() == range; }));
        EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), 1.0);
        Set(QStringLiteral("Volume"), std::nan(""));
        QTest::qWait(100);
        EXPECT_EQ(volume->GetPos(), range);
        EXPECT_DOUBLE_EQ(Get("Volume").toDouble(), 1.0);

        ToggleButton* shuffle = nullptr;
        for (auto* button : window->findChildren<ToggleButton*>())
            if (button->Id() == CommandId(Command::Shuffle))
                shuffle = button;
        ASSERT_NE(shuffle, nullptr);
        Profile profile(Registry::Shared(), setting::kRegistryKeyWord, setting::kProfileName);
        Set(QStringLiteral("Shuffle"), true);
        EXPECT_TRUE(WaitFor([&] { return Get("Shuffle").toBool(); }));
        EXPECT_EQ(Settings::Get(profile, setting::kShuffle), 1);
        EXPECT_TRUE(shuffle->GetCheck());
        Set(QStringLiteral("Shuffle"), true); // already on: stays on
        EXPECT_TRUE(Get("Shuffle").toBool());
        Set(QStringLiteral("Shuffle"), false);
        EXPECT_TRUE(WaitFor([&] { return !Get("Shuffle").toBool(); }));
        EXPECT_EQ(Settings::Get(profile, setting::kShuffle), 0);
        EXPECT_FALSE(shuffle->GetCheck());

        const struct {
            const char* status;
            int repeat;
            int type;
        } loops[] = {{"Track", 1, 1}, {"Playlist", 1, 2}, {"None", 0, 0}, {"Track", 1, 1}};
        for (const auto& loop : loops) {
            Set(QStringLiteral("LoopStatus"), QString::fromLatin1(loop.status));
            EXPECT_TRUE(WaitFor([&] { return Get("LoopStatus").toString() == loop.status; }))
                << loop.status;
            EXPECT_EQ(Settings::Get(profile, setting::kRepeat), loop.repeat) << loop.status;
            if (loop.repeat) {
                EXPECT_EQ(Settings::Get(profile, setting::kRepeatType), loop.type) << loop.status;
            }
        }
        Set(QStringLiteral("LoopStatus"), QStringLiteral("Forever"));
        QTest::qWait(100);
        EXPECT_EQ(Get("LoopStatus").toString(), "Track");
        EXPECT_EQ(Settings::Get(profile, setting::kRepeatType), 1);
    });
}

// OpenUri plays a local file (its lyrics beside it become the metadata's text) and refuses what
// is not one; Raise brings the window back and Quit closes the player.
TEST_F(MprisTest, OpenUriRaiseAndQuit) {
    const std::string sung = m_home.Write("music/sung track.wav", SteadyWav(20));
    m_home.Write("music/sung track.lrc", "[00:00.00]First line\n[00:05.00]Second line\n");
    const std::string plain = m_home.Write("music/plain.wav", SteadyWav(20));
    const QString sungUrl = QUrl::fromLocalFile(QString::fromStdString(sung)).toString();
    const QString plainUrl = QUrl::fromLocalFile(QString::fromStdString(plain)).toString();
    RunPlayer([&](MainFrame& frame) {
        Call(kPlayer, QStringLiteral("OpenUri"), {sungUrl});
        ASSERT_TRUE(WaitFor([&] { return Metadata().value("xesam:url").toString() == sungUrl; }));
        EXPECT_TRUE(WaitFor([&] { return frame.View()->IsPlaying(); }));
        EXPECT_TRUE(WaitFor(
            [&] { return Metadata().value("xesam:asText").toString().contains("First line"); }));
        EXPECT_TRUE(Metadata().value("xesam:asText").toString().contains("Second line"));

        for (const QString& garbage :
             {QStringLiteral("::not a uri::"), QStringLiteral("ftp://example.invalid/a.wav"),
              QStringLiteral("relative/path.wav"), QString()}) {
            const QDBusMessage reply = Call(kPlayer, QStringLiteral("OpenUri"), {garbage});
            EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << garbage.toStdString();
        }
        QTest::qWait(300);
        EXPECT_EQ(Metadata().value("xesam:url").toString(), sungUrl);
        EXPECT_TRUE(frame.View()->IsPlaying());

        Call(kPlayer, QStringLiteral("OpenUri"), {plainUrl});
        ASSERT_TRUE(WaitFor([&] { return Metadata().value("xesam:url").toString() == plainUrl; }));
        QTest::qWait(300);
        EXPECT_FALSE(Metadata().contains("xesam:asText"));

        frame.showMinimized();
        ASSERT_TRUE(WaitFor([&] { return frame.isMinimized(); }));
        Call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
        EXPECT_TRUE(WaitFor([&] { return !frame.isMinimized() && frame.isVisible(); }));

        Call(QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit"));
        EXPECT_TRUE(WaitFor([&] { return !frame.isVisible(); }));
    });
}

} // namespace

#include "MprisTest.moc"
