#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <optional>
#include <sys/types.h>

class QSocketNotifier;

// A listening local socket that the window made itself, rather than QLocalServer's, for two
// reasons: the socket file is made with mode 0600 in a folder already checked, and on close the
// file is removed only while it is still the one made here (same device and inode), never another
// window's that took the path since.
class RemoteListener : public QObject
{
    Q_OBJECT

public:
    explicit RemoteListener(QObject* parent = nullptr);
    // Closes the socket, as close() does.
    ~RemoteListener() override;

    // Makes the socket file at the path and listens on it; why it cannot, none when it listens.
    // The path must be free (no file there) and fit a socket address.
    std::optional<QString> listen(const QString& path);
    // Stops listening and removes the socket file if it is still ours.
    void close();
    bool isListening() const { return descriptor >= 0; }
    // Where it listens; empty when it does not.
    QString path() const { return socketPath; }
    // A connection waiting to be taken, as a non-blocking descriptor the caller then owns; -1
    // when none waits.
    int takeConnection();

signals:
    // One or more connections wait (takeConnection()).
    void connectionWaiting();

private:
    int descriptor = -1;
    QString socketPath;
    // The socket file as made.
    dev_t device = 0;
    ino_t inode = 0;
    std::unique_ptr<QSocketNotifier> notifier;
};
