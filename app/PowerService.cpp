#include "app/PowerService.h"

#include "app/ScreenPower.h"
#include "session/PlayerSession.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>

#include <ctime>

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kLogindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kWho = QStringLiteral("Sonvale");
const QString kWhy = QStringLiteral("Playing music");

// How often, and by how much more than that, the boot clock must have run ahead of the monotonic
// one to count as a wake-up.
constexpr int kClockCheckMs = 2000;
constexpr int64_t kSuspendedStepMs = 1500;
// A bare X session has no screen saver service: its own idle time is started again this often.
constexpr int kIdleResetMs = 30000;

bool OnX11() {
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Calls `answered` with the reply once it comes; the watcher belongs to `owner`.
void WhenAnswered(QObject* owner, const QDBusPendingCall& call,
                  std::function<void(const QDBusMessage&)> answered) {
    auto* watcher = new QDBusPendingCallWatcher(call, owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [watcher, answered = std::move(answered)] {
                         answered(watcher->reply());
                         watcher->deleteLater();
                     });
}

} // namespace

PowerService::PowerService(PlayerSession& session, std::function<void()> wokeUp, QObject* parent)
    : QObject(parent), m_session(session), m_wokeUp(std::move(wokeUp)) {
    m_session.AddObserver(*this);
    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected() && system.interface() &&
        system.interface()->isServiceRegistered(kLogindService))
        m_logind =
            system.connect(kLogindService, kLogindPath, kLogindManager,
                           QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)));
    connect(&m_idleReset, &QTimer::timeout, this, [this] {
        if (m_wanted && m_cookie == 0 && OnX11())
            ScreenPower::ResetIdle();
    });
    if (!m_logind) {
        m_suspendedMs = SuspendedMs();
        connect(&m_clockCheck, &QTimer::timeout, this, &PowerService::CheckClocks);
        m_clockCheck.start(kClockCheckMs);
    }
}

PowerService::~PowerService() {
    Stop();
}

void PowerService::Stop() {
    if (m_stopped)
        return;
    m_stopped = true;
    m_clockCheck.stop();
    m_idleReset.stop();
    Hold(false);
    if (m_logind)
        QDBusConnection::systemBus().disconnect(kLogindService, kLogindPath, kLogindManager,
                                                QStringLiteral("PrepareForSleep"), this,
                                                SLOT(OnPrepareForSleep(bool)));
}

// Any thread: the state is read on the UI thread.
void PowerService::StateChanged() {
    QMetaObject::invokeMethod(this, &PowerService::Follow, Qt::QueuedConnection);
}

void PowerService::Follow() {
    if (!m_stopped)
        Hold(m_session.State().holdBacklight);
}

// Taking is asked again on every change while held: an inhibitor given up for a suspend comes
// back once the player plays again.
void PowerService::Hold(bool on) {
    if (on) {
        m_wanted = true;
        if (!m_idleReset.isActive() && OnX11())
            m_idleReset.start(kIdleResetMs);
        if (m_suspending)
            return;
        TakeScreenSaver();
        TakeSleepLock();
        return;
    }
    m_wanted = false;
    m_idleReset.stop();
    ReleaseScreenSaver();
    m_sleepLock = QDBusUnixFileDescriptor(); // closing it ends the inhibitor
}

void PowerService::ReleaseScreenSaver() {
    if (m_cookie == 0)
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kScreenSaverService, kScreenSaverPath, kScreenSaverService, QStringLiteral("UnInhibit"));
    call << m_cookie;
    QDBusConnection::sessionBus().send(call);
    m_cookie = 0;
}

// A reply that comes after the hold was let go gives its inhibitor straight back.
void PowerService::TakeScreenSaver() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (m_screenSaverAsked || m_cookie != 0 || !bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        kScreenSaverService, kScreenSaverPath, kScreenSaverService, QStringLiteral("Inhibit"));
    call << kWho << kWhy;
    m_screenSaverAsked = true;
    WhenAnswered(this, bus.asyncCall(call), [this](const QDBusMessage& reply) {
        m_screenSaverAsked = false;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        m_cookie = reply.arguments().at(0).toUInt();
        if (!m_wanted)
            ReleaseScreenSaver();
    });
}

void PowerService::TakeSleepLock() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (m_sleepLockAsked || m_sleepLock.isValid() || !bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager,
                                                       QStringLiteral("Inhibit"));
    call << QStringLiteral("idle:sleep") << kWho << kWhy << QStringLiteral("block");
    m_sleepLockAsked = true;
    WhenAnswered(this, bus.asyncCall(call), [this](const QDBusMessage& reply) {
        m_sleepLockAsked = false;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        const QDBusUnixFileDescriptor fd = reply.arguments().at(0).value<QDBusUnixFileDescriptor>();
        if (m_wanted)
            m_sleepLock = fd;
    });
}

void PowerService::SetDisplay(bool on) {
    m_displayAsked = on;
    if (OnX11())
        ScreenPower::Set(on);
}

bool PowerService::DisplayIsOn() {
    if (OnX11())
        if (const std::optional<bool> on = ScreenPower::IsOn())
            return *on;
    return m_displayAsked;
}

// The player's own sleep inhibitor would hold the suspend back: it goes first.
void PowerService::Suspend(std::function<void(SuspendResult)> done) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        done(SuspendResult::Unavailable);
        return;
    }
    m_sleepLock = QDBusUnixFileDescriptor();
    m_suspending = true;
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, kLogindPath, kLogindManager,
                                                       QStringLiteral("Suspend"));
    call << false; // no password dialog: a refusal is told on the player's display
    WhenAnswered(this, bus.asyncCall(call),
                 [this, done = std::move(done)](const QDBusMessage& reply) {
                     if (reply.type() == QDBusMessage::ReplyMessage) {
                         done(SuspendResult::Started);
                         return;
                     }
                     m_suspending = false;
                     const QString error = reply.errorName();
                     const bool missing =
                         error == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
                         error == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
                         error == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod");
                     done(missing ? SuspendResult::Unavailable : SuspendResult::Refused);
                 });
}

void PowerService::OnPrepareForSleep(bool starting) {
    if (starting)
        return;
    m_suspending = false;
    if (!m_stopped && m_wokeUp)
        m_wokeUp();
}

int64_t PowerService::SuspendedMs() {
    timespec boot{}, monotonic{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    clock_gettime(CLOCK_MONOTONIC, &monotonic);
    return (boot.tv_sec - monotonic.tv_sec) * 1000 + (boot.tv_nsec - monotonic.tv_nsec) / 1000000;
}

void PowerService::CheckClocks() {
    const int64_t suspended = SuspendedMs();
    const bool wokeUp = suspended - m_suspendedMs >= kSuspendedStepMs;
    m_suspendedMs = suspended;
    if (!wokeUp)
        return;
    m_suspending = false;
    if (!m_stopped && m_wokeUp)
        m_wokeUp();
}
