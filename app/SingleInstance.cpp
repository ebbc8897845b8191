#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QThread>

#include <memory>

namespace {

constexpr int kHandOverAttempts = 3;
constexpr int kAttemptPauseMs = 1000;
constexpr int kSocketWaitMs = 1000;

// The text travels as UTF-16 with its terminating zero, the way the system copied it.
QByteArray Encode(const QString& text) {
    QByteArray bytes(reinterpret_cast<const char*>(text.utf16()),
                     static_cast<qsizetype>((text.size() + 1) * sizeof(char16_t)));
    return bytes;
}

QString Decode(const QByteArray& bytes) {
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                      bytes.size() / static_cast<qsizetype>(sizeof(char16_t)));
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

} // namespace

SingleInstance::SingleInstance(const QString& modulePath, QObject* parent) : QObject(parent) {
    const QString base = RuntimeFolder() + QLatin1Char('/') + NameFor(modulePath);
    m_lockPath = base + QLatin1String(".lock");
    m_serverPath = base + QLatin1String(".sock");
}

SingleInstance::~SingleInstance() {
    Release();
}

QString SingleInstance::RuntimeFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists())
        return runtime;
    return QDir::tempPath();
}

QString SingleInstance::NameFor(const QString& modulePath) {
    QString path = modulePath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1);
    return QLatin1String("sonvale-") + QString::fromLatin1(hash.toHex().left(16));
}

bool SingleInstance::Acquire() {
    if (!m_lock) {
        m_lock = std::make_unique<QLockFile>(m_lockPath);
        // A lock left by a process that ended is taken over; a live holder keeps it.
        m_lock->setStaleLockTime(0);
    }
    if (!m_lock->isLocked() && !m_lock->tryLock(0))
        return false;
    return Listen();
}

bool SingleInstance::HandOver(const QString& commandLine) {
    for (int attempt = 0; attempt < kHandOverAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kAttemptPauseMs);
        QLocalSocket socket;
        socket.connectToServer(m_serverPath);
        if (!socket.waitForConnected(kSocketWaitMs))
            continue;
        socket.write(Encode(commandLine));
        if (!socket.waitForBytesWritten(kSocketWaitMs))
            continue;
        socket.disconnectFromServer();
        if (socket.state() != QLocalSocket::UnconnectedState)
            socket.waitForDisconnected(kSocketWaitMs);
        return true;
    }
    return false;
}

bool SingleInstance::TakeOver() {
    return Listen();
}

void SingleInstance::Release() {
    if (m_server) {
        m_server->close();
        m_server.reset();
    }
    if (m_lock && m_lock->isLocked())
        m_lock->unlock();
}

bool SingleInstance::Listen() {
    if (m_server && m_server->isListening())
        return true;
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by an instance that ended would refuse the name.
    QLocalServer::removeServer(m_serverPath);
    if (!m_server->listen(m_serverPath))
        return false;
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        // The sender writes its text and disconnects; the text is complete once it has gone.
        struct Transfer {
            QByteArray bytes;
            bool done = false;
        };
        auto transfer = std::make_shared<Transfer>();
        auto finish = [this, socket, transfer] {
            if (transfer->done)
                return;
            transfer->done = true;
            transfer->bytes.append(socket->readAll());
            socket->deleteLater();
            emit CommandLineReceived(Decode(transfer->bytes));
        };
        connect(socket, &QLocalSocket::readyRead, socket,
                [socket, transfer] { transfer->bytes.append(socket->readAll()); });
        connect(socket, &QLocalSocket::disconnected, this, finish);
        if (socket->state() != QLocalSocket::ConnectedState)
            finish();
    }
}
