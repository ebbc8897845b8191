#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdlib>

// A dbus-daemon of the test's own: the session bus (or, named by `variable`, the system bus) of
// everything that connects after it is made.
class PrivateBus {
public:
    explicit PrivateBus(const char* variable = "DBUS_SESSION_BUS_ADDRESS") {
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--session"), QStringLiteral("--print-address"),
                        QStringLiteral("--nofork")});
        if (m_daemon.waitForReadyRead(10000))
            m_address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        if (!m_address.isEmpty())
            ::setenv(variable, m_address.toUtf8().constData(), 1);
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Empty when the daemon did not start.
    const QString& Address() const { return m_address; }

private:
    QProcess m_daemon;
    QString m_address;
};
