#include "app/NotificationBubble.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QStringList>
#include <QSystemTrayIcon>
#include <QTextDocumentFragment>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr int kBusTimeoutMs = 1000;

// The desktop's notification service, when one runs on the session bus (a service that would
// first have to be started is not waited for).
bool DesktopServiceRuns() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    return bus.interface()->isServiceRegistered(kService).value();
}

} // namespace

NotificationBubble::NotificationBubble(TrayProvider tray) : m_tray(std::move(tray)) {}

NotificationBubble::~NotificationBubble() {
    Remove();
}

QString NotificationBubble::PlainText(const QString& html) {
    return QTextDocumentFragment::fromHtml(html).toPlainText().trimmed();
}

void NotificationBubble::Show(const QString& html, const QString& title, int seconds) {
    Remove();
    m_html = html;
    m_title = title;
    m_seconds = seconds;
    m_up = true;
    Post();
}

void NotificationBubble::Update(const QString& html) {
    if (!m_up)
        return;
    m_html = html;
    Post();
}

void NotificationBubble::Remove() {
    if (!m_up)
        return;
    m_up = false;
    if (m_desktopId != 0 && DesktopServiceRuns()) {
        QDBusInterface notifications(kService, kPath, kService, QDBusConnection::sessionBus());
        notifications.setTimeout(kBusTimeoutMs);
        notifications.call(QStringLiteral("CloseNotification"), m_desktopId);
    }
    m_desktopId = 0;
}

void NotificationBubble::Post() {
    const QString text = PlainText(m_html);
    const int milliseconds = m_seconds * 1000;
    QSystemTrayIcon* tray = m_tray ? m_tray() : nullptr;
    if (tray && QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages()) {
        tray->showMessage(m_title, text, QSystemTrayIcon::Information, milliseconds);
        return;
    }
    if (!DesktopServiceRuns())
        return;
    QDBusInterface notifications(kService, kPath, kService, QDBusConnection::sessionBus());
    notifications.setTimeout(kBusTimeoutMs);
    const QDBusReply<uint32_t> reply =
        notifications.call(QStringLiteral("Notify"), QStringLiteral("Sonvale"), m_desktopId,
                           QString(), m_title, text, QStringList(), QVariantMap(), milliseconds);
    m_desktopId = reply.isValid() ? reply.value() : 0;
}
