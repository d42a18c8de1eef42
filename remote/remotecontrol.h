#pragma once

#include "remote/remotelistener.h"
#include "remote/remoterequests.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>
#include <vector>

class PauseBar;
class QAction;
class QLocalSocket;
class QMenu;
class QWidget;

// The window's side of remote control (remote/PROTOCOL.md): a local socket that only its user can
// reach, at RemoteSocket::path(), on which scripts, debuggers and the dump libraries send
// requests, one line each. Requests are carried out one at a time, in order, clients in turn,
// each when the window is ready for it (RemoteRequests); `display FILE` is answered as soon as it
// is read and opened in turn. Nothing listens unless asked: `vedra --listen`, or the File menu's
// "Listen for Remote Control", which is remembered. Only the user's own processes are served, and
// bad clients cannot hold the window: a line is at most kMaxLineBytes, a request has
// kIdleTimeoutMs from its first byte to its line end and as long again after an answer to begin,
// and at most kMaxClients are connected at once. docs/DESIGN.md, "Remote control".
class RemoteControl : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kMaxLineBytes = qsizetype(1) << 20;
    static constexpr int kIdleTimeoutMs = 30000;
    static constexpr int kMaxClients = 32;
    // A client let go is read for this long, its input dropped, before the connection closes: a
    // socket closed with input unread is reset, and the client would not read its error.
    static constexpr int kDrainMs = 1000;

    // The toggle starts checked as remembered; nothing listens until startListening().
    explicit RemoteControl(QWidget* window);
    ~RemoteControl() override;

    // Adds "Listen for Remote Control" to the menu.
    void addFileMenuEntry(QMenu* menu);
    // Listens at RemoteSocket::path(); false, with the reason in the status bar, on standard error
    // and in `reason`, when the path is too long, the folder or a socket file there is not
    // trusted, another window listens there, or the socket cannot be made. A socket file of the
    // user's that nothing answers on (a window that crashed) is replaced.
    bool startListening(QString* reason = nullptr);
    // Closes the socket (its file is removed while it is still the one made) and drops every
    // client. Also done when the application quits.
    void stopListening();
    bool listening() const { return listener.isListening(); }
    // Where the window listens; empty when it does not.
    QString socketPath() const { return listener.path(); }

    // How many clients are connected (at most kMaxClients).
    std::size_t clientCount() const { return clients.size(); }
    // A request's time limits (kIdleTimeoutMs); tests shorten them.
    void setIdleTimeout(int milliseconds) { idleTimeoutMs = milliseconds; }

private:
    // A complete request line, and whether a client waits for its answer (not for the open that
    // a `display` left to be carried out in turn).
    struct Request {
        QByteArray line;
        bool answered = true;
    };
    // One connected client: its socket, the line being read and the complete requests not yet
    // carried out.
    struct Client {
        quint64 id = 0;
        // A child of the control, deleted later once the client is let go.
        QLocalSocket* socket = nullptr;
        // Runs while the client has no request waiting: from the last answer (or the connection)
        // to the next line's first byte, then from that byte to the line's end. A child of the
        // socket.
        QTimer* timeLimit = nullptr;
        QByteArray partial;
        std::deque<Request> requests;
        // The client left: requests it sent before are still carried out, without an answer.
        bool gone = false;
        // The client waits in a pause for the user: nothing more is read from it meanwhile.
        bool paused = false;
    };
    // A program waiting in `pause TEXT` until the user lets it go on.
    struct Pause {
        quint64 clientId = 0;
        QString text;
    };

    void toggled(bool on);
    void acceptClients();
    // Takes complete lines from the client's socket while it has no request waiting, as long as
    // what it has not yet read is small. False when the client was dropped.
    bool readFrom(Client& client);
    // A complete line: answered at once, or queued.
    void take(Client& client, QByteArray line);
    // Sends the error, if the client can still take it, and drops the client.
    void refuse(Client& client, const QString& reason);
    void drop(quint64 id, const QByteArray& errorLine = QByteArray());
    // Closes a connection that is no client (any more): the error line first, when given, then
    // its input is dropped for up to kDrainMs, so that the client can finish writing and read it.
    void letGo(QLocalSocket* socket, const QByteArray& errorLine = QByteArray());
    void clientLeft(quint64 id);
    Client* find(quint64 id);
    // The client waits for its next request's first byte (nothing when it left).
    void awaitRequest(Client& client);
    void timeRanOut(quint64 id);
    // Carries out the next request, taking clients in turn, once the window is ready.
    void serveSoon(int milliseconds = 0);
    void serveNext();
    // A background load ended: the request waiting for it answers, and the next may start.
    void loadEnded(bool handedOver);
    void answered(quint64 id, bool wanted, const QByteArray& answer);
    // `pause TEXT`: the client waits, outside the turn of requests, until the user continues.
    void startPause(Client& client, const QString& text);
    // The user let the program of the first pause go on.
    void continuePause(bool skipSite);
    // Forgets the pauses of a client that left or was dropped.
    void forgetPauses(quint64 id);
    void showFirstPause();

    QAction* listenAction = nullptr;
    RemoteListener listener;
    // In turn order: the next request comes from the first client that has one.
    std::vector<std::unique_ptr<Client>> clients;
    quint64 lastId = 0;
    // The client whose request is being carried out (client ids count from 1); 0 when none is.
    quint64 servingId = 0;
    RemoteRequests requests;
    // Oldest first; the bar shows the first.
    std::deque<Pause> pauses;
    // A child of the window.
    QPointer<PauseBar> pauseBar;
    QTimer serveTimer;
    int idleTimeoutMs = kIdleTimeoutMs;
};
