#pragma once

#include <QObject>
#include <QString>

#include <QByteArray>

#include <memory>
#include <vector>

class QLockFile;
class QSocketNotifier;

// One running player per executable path: a lock file and a Unix socket in the runtime folder
// ($XDG_RUNTIME_DIR, else the temporary folder), both named from a hash of the module path.
// The first instance holds the lock and listens; a later one hands its command line to it.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& modulePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance: the lock is taken and the socket listens.
    bool Acquire();
    // Hands the command line to the running instance: up to three attempts a second apart.
    // False when no running instance took it.
    bool HandOver(const QString& commandLine);
    // Starts listening although the lock is held elsewhere (the holder could not be reached).
    bool TakeOver();
    // Stops listening and gives the lock up.
    void Release();

    QString ServerPath() const { return m_serverPath; }
    QString LockPath() const { return m_lockPath; }

    // Folder of the lock and the socket.
    static QString RuntimeFolder();
    // The name both are derived from: "sonvale-" and a hash of the path.
    static QString NameFor(const QString& modulePath);

signals:
    // The command line of a later instance.
    void CommandLineReceived(const QString& commandLine);

private:
    // A later instance's connection while its text comes in.
    struct Connection {
        ~Connection();
        int fd = -1;
        std::unique_ptr<QSocketNotifier> notifier;
        QByteArray bytes;
    };

    bool Listen();
    void OnNewConnection();
    void OnReadable(Connection* connection);

    QString m_lockPath;
    QString m_serverPath;
    std::unique_ptr<QLockFile> m_lock;
    int m_serverFd = -1;
    std::unique_ptr<QSocketNotifier> m_listener;
    std::vector<std::unique_ptr<Connection>> m_connections;
};
