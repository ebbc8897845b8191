#include "app/ModemManagerLine.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ModemManager1");
const QString kVoice = QStringLiteral("org.freedesktop.ModemManager1.Modem.Voice");
const QString kCall = QStringLiteral("org.freedesktop.ModemManager1.Call");

} // namespace

ModemManagerLine::~ModemManagerLine() {
    Close();
}

// Signals from any modem and any call are heard: modems come and go.
bool ModemManagerLine::Open(CallStateHandler handler) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (m_open || !bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kService))
        return false;
    m_handler = std::move(handler);
    m_open = bus.connect(kService, QString(), kVoice, QStringLiteral("CallAdded"), this,
                         SLOT(OnCallAdded(QDBusObjectPath))) &&
             bus.connect(kService, QString(), kVoice, QStringLiteral("CallDeleted"), this,
                         SLOT(OnCallDeleted(QDBusObjectPath))) &&
             bus.connect(kService, QString(), kCall, QStringLiteral("StateChanged"), this,
                         SLOT(OnStateChanged(int, int, uint, QDBusMessage)));
    if (!m_open)
        Close();
    return m_open;
}

void ModemManagerLine::Close() {
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.disconnect(kService, QString(), kVoice, QStringLiteral("CallAdded"), this,
                   SLOT(OnCallAdded(QDBusObjectPath)));
    bus.disconnect(kService, QString(), kVoice, QStringLiteral("CallDeleted"), this,
                   SLOT(OnCallDeleted(QDBusObjectPath)));
    bus.disconnect(kService, QString(), kCall, QStringLiteral("StateChanged"), this,
                   SLOT(OnStateChanged(int, int, uint, QDBusMessage)));
    m_open = false;
    m_handler = nullptr;
    m_calls.clear();
}

uint32_t ModemManagerLine::LineState(int callState) {
    switch (callState) {
    case kDialingOut:
        return kDialing;
    case kRingingOut:
        return kRingBack;
    case kRingingIn:
    case kWaiting:
        return kOffering;
    case kActive:
    case kHeld:
        return kConnected;
    case kTerminated:
        return kDisconnected;
    default:
        return 0;
    }
}

// A new call tells its first state (an incoming one rings) as a property.
void ModemManagerLine::OnCallAdded(const QDBusObjectPath& call) {
    const QString path = call.path();
    QDBusMessage get = QDBusMessage::createMethodCall(
        kService, path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << kCall << QStringLiteral("State");
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::systemBus().asyncCall(get), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, path] {
        const QDBusMessage reply = watcher->reply();
        watcher->deleteLater();
        if (m_open && reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
            Report(path, reply.arguments().at(0).value<QDBusVariant>().variant().toInt());
    });
}

void ModemManagerLine::OnCallDeleted(const QDBusObjectPath& call) {
    Forget(call.path());
}

void ModemManagerLine::OnStateChanged(int, int newState, uint, const QDBusMessage& message) {
    Report(message.path(), newState);
}

void ModemManagerLine::Report(const QString& call, int callState) {
    if (callState == kTerminated) {
        Forget(call);
        return;
    }
    const uint32_t state = LineState(callState);
    if (state == 0 || !m_handler)
        return;
    m_calls.insert(call);
    m_handler(state);
}

// The line is free once the last call has ended.
void ModemManagerLine::Forget(const QString& call) {
    if (!m_calls.remove(call) || !m_calls.isEmpty() || !m_handler)
        return;
    m_handler(kDisconnected);
}
