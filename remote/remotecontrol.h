#pragma once

#include "remote/remoterequests.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class QAction;
class QLocalServer;
class QLocalSocket;
class QMenu;
class QWidget;

// The window's side of remote control: a local socket that only its user can reach, at
// RemoteSocket::path(), on which scripts, debuggers and the dump libraries send requests, one line
// each. Requests are carried out one at a time, in order, clients in turn, each when the window is
// ready for it (RemoteRequests). Nothing listens unless asked: `vedra --listen`, or the File
// menu's "Listen for Remote Control", which is remembered. Bad clients cannot hold the window: a
// line is at most kMaxLineBytes, a client that says nothing for kIdleTimeoutMs is dropped, and at
// most kMaxClients are connected at once. docs/DESIGN.md, "Remote control".
class RemoteControl : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;
    static constexpr int kIdleTimeoutMs = 30000;
    static constexpr int kMaxClients = 32;

    // The toggle starts checked as remembered; nothing listens until startListening().
    explicit RemoteControl(QWidget* window);
    ~RemoteControl() override;

    // Adds "Listen for Remote Control" to the menu.
    void addFileMenuEntry(QMenu* menu);
    // Listens at RemoteSocket::path(); false, with the reason in the status bar and in `reason`,
    // when the folder is not safe, another window listens there, or the socket cannot be made.
    // A socket file that nothing answers on (a window that crashed) is replaced.
    bool startListening(QString* reason = nullptr);
    // Closes the socket (its file is removed) and drops every client.
    void stopListening();
    bool listening() const;
    // Where the window listens; empty when it does not.
    QString socketPath() const;

    // How long a client may say nothing before it is dropped; tests shorten it.
    void setIdleTimeout(int milliseconds) { idleTimeoutMs = milliseconds; }

private:
    // One connected client: its socket, the line being read and the complete requests not yet
    // carried out.
    struct Client {
        quint64 id = 0;
        // A child of the control, deleted later once the client is dropped.
        QLocalSocket* socket = nullptr;
        // A child of the socket.
        QTimer* idleTimer = nullptr;
        QByteArray partial;
        std::deque<QByteArray> requests;
        // The client left: requests it sent before are still carried out, without an answer.
        bool gone = false;
    };

    void toggled(bool on);
    void acceptClients();
    // Takes complete lines from the client's socket while it has no request waiting, as long as
    // what it has not yet read is small.
    void readFrom(Client& client);
    // Sends the error, if the client can still take it, and drops the client.
    void refuse(Client& client, const QString& reason);
    void drop(quint64 id);
    void clientLeft(quint64 id);
    Client* find(quint64 id);
    // Carries out the next request, taking clients in turn, once the window is ready.
    void serveSoon(int milliseconds = 0);
    void serveNext();
    // A background load ended: the request waiting for it answers, and the next may start.
    void loadEnded(bool handedOver);
    void answered(quint64 id, const QByteArray& answer);
    void restartIdleTimer(Client& client);

    QAction* listenAction = nullptr;
    std::unique_ptr<QLocalServer> server;
    // In turn order: the next request comes from the first client that has one.
    std::vector<std::unique_ptr<Client>> clients;
    quint64 lastId = 0;
    // The client whose request is being carried out (client ids count from 1); 0 when none is.
    quint64 servingId = 0;
    RemoteRequests requests;
    QTimer serveTimer;
    int idleTimeoutMs = kIdleTimeoutMs;
};
