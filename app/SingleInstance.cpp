#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int kHandOverAttempts = 3;
constexpr int kAttemptPauseMs = 1000;
constexpr int kSocketWaitMs = 1000;
// A command line is a few paths; anything longer is not a later instance of ours.
constexpr qsizetype kMaxCommandLineBytes = 1 << 20;

// The socket address of `path`; false when the path does not fit.
bool SocketAddress(const QString& path, sockaddr_un& address) {
    const QByteArray bytes = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (bytes.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
}

// Sends `bytes` to the server at `path` and closes; false when it is not there or stalls.
bool Send(const QString& path, const QByteArray& bytes) {
    sockaddr_un address;
    if (!SocketAddress(path, address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const timeval wait{kSocketWaitMs / 1000, (kSocketWaitMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    bool sent = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    for (qsizetype done = 0; sent && done < bytes.size();) {
        const ssize_t n = send(fd, bytes.constData() + done,
                               static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        sent = n > 0;
        done += n > 0 ? n : 0;
    }
    close(fd);
    return sent;
}

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
        if (Send(m_serverPath, Encode(commandLine)))
            return true;
    }
    return false;
}

bool SingleInstance::TakeOver() {
    return Listen();
}

void SingleInstance::Release() {
    m_connections.clear();
    if (m_listener) {
        m_listener.reset();
        close(m_serverFd);
        m_serverFd = -1;
        unlink(QFile::encodeName(m_serverPath).constData());
    }
    if (m_lock && m_lock->isLocked())
        m_lock->unlock();
}

bool SingleInstance::Listen() {
    if (m_listener)
        return true;
    sockaddr_un address;
    if (!SocketAddress(m_serverPath, address))
        return false;
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return false;
    // A socket file left by an instance that ended would refuse the name. Only this user may
    // connect, and nobody can before it listens.
    unlink(address.sun_path);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || listen(fd, 8) != 0) {
        close(fd);
        return false;
    }
    m_serverFd = fd;
    m_listener = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_listener.get(), &QSocketNotifier::activated, this, &SingleInstance::OnNewConnection);
    return true;
}

void SingleInstance::OnNewConnection() {
    for (;;) {
        const int fd = accept4(m_serverFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            return;
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connection->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        Connection* raw = connection.get();
        connect(raw->notifier.get(), &QSocketNotifier::activated, this,
                [this, raw] { OnReadable(raw); });
        m_connections.push_back(std::move(connection));
    }
}

// The sender writes its text and closes; the text is complete at the end of the stream.
void SingleInstance::OnReadable(Connection* connection) {
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(connection->fd, buffer, sizeof buffer)) > 0) {
        connection->bytes.append(buffer, n);
        if (connection->bytes.size() > kMaxCommandLineBytes)
            break;
    }
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    const bool whole = n == 0;
    const QString text = Decode(connection->bytes);
    std::erase_if(m_connections, [connection](const auto& c) { return c.get() == connection; });
    if (whole)
        emit CommandLineReceived(text);
}

SingleInstance::Connection::~Connection() {
    // The connection ends from its notifier's own signal: the notifier goes when that returns.
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
    close(fd);
}
