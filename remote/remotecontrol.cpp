#include "remote/remotecontrol.h"

#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "follow/fileloader.h"
#include "remote/pausebar.h"
#include "remote/remotesocket.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLocalSocket>
#include <QMenu>
#include <QSignalBlocker>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// What Qt reads ahead from a client's socket: enough for many short requests, small beside a line.
constexpr qint64 kReadAheadBytes = 64 * 1024;
// A client that does not read its answers gets no more of them until this much has gone out.
constexpr qint64 kMaxUnsentBytes = 64 * 1024;
// While a modal dialog is open, waiting requests look again this often; a load's end is told.
constexpr int kBusyRetryMs = 100;
const QString kOwnUserOnly = QStringLiteral("this window takes requests from its own user only");

QByteArray errorLine(const QString& reason)
{
    return QStringLiteral("error: %1\n").arg(reason).toUtf8();
}

// In the status bar and on standard error: a window started by a program has no one watching
// its status bar, but its log keeps what it wrote there.
void tell(const QString& message)
{
    ViewerApp::instance()->showMessage(message.left(1).toUpper() + message.mid(1));
    std::fprintf(stderr, "vedra: %s\n", message.toLocal8Bit().constData());
}

} // namespace

RemoteControl::RemoteControl(QWidget* window) : QObject(window)
{
    listenAction = new QAction(QStringLiteral("Listen for Remote Control"), window);
    listenAction->setCheckable(true);
    listenAction->setToolTip(QStringLiteral(
        "Take requests from vedra --remote and from programs that write dumps (remembered)"));
    connect(listenAction, &QAction::toggled, this, &RemoteControl::toggled);
    connect(&listener, &RemoteListener::connectionWaiting, this, &RemoteControl::acceptClients);
    serveTimer.setSingleShot(true);
    connect(&serveTimer, &QTimer::timeout, this, &RemoteControl::serveNext);
    pauseBar = new PauseBar(window);
    connect(pauseBar, &PauseBar::continued, this, &RemoteControl::continuePause);
    // The socket file must not outlive the window that made it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &RemoteControl::stopListening);
}

// The clients' sockets, children of the control, must not tell it of their end while it goes;
// the listener removes the socket file.
RemoteControl::~RemoteControl()
{
    for (const std::unique_ptr<Client>& client : clients)
        client->socket->disconnect(this);
}

void RemoteControl::addFileMenuEntry(QMenu* menu)
{
    menu->addAction(listenAction);
}

void RemoteControl::toggled(bool on)
{
    RememberedState::setListenForRemoteControl(on);
    if (on)
        startListening();
    else
        stopListening();
}

bool RemoteControl::startListening(QString* reason)
{
    if (listening())
        return true;
    const QString path = RemoteSocket::path();
    const auto fail = [&](const QString& why) {
        tell(QStringLiteral("not listening for remote control at %1: %2").arg(path, why));
        if (reason)
            *reason = why;
        const QSignalBlocker blocker(listenAction);
        listenAction->setChecked(false);
        return false;
    };
    if (const std::optional<QString> tooLong = RemoteSocket::whyPathTooLong(path))
        return fail(*tooLong);
    if (const std::optional<QString> unsafe = RemoteSocket::whyFolderRefused(path, true))
        return fail(*unsafe);
    // A socket file of the user's left by a window that crashed answers no one and may go; a
    // live one is another window's.
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::lstat(name.constData(), &status) == 0) {
        if (const std::optional<QString> refused = RemoteSocket::whySocketRefused(path, false))
            return fail(*refused);
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.state() != QLocalSocket::UnconnectedState) {
            probe.abort();
            return fail(QStringLiteral("another Vedra window listens there"));
        }
        if (probe.error() != QLocalSocket::ConnectionRefusedError)
            return fail(probe.errorString());
        ::unlink(name.constData());
    }
    if (const std::optional<QString> failed = listener.listen(path))
        return fail(*failed);
    connect(ViewerApp::instance()->fileLoader, &FileLoader::loadEnded, this,
            &RemoteControl::loadEnded,
            Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
    const QSignalBlocker blocker(listenAction);
    listenAction->setChecked(true);
    ViewerApp::instance()->showMessage(
        QStringLiteral("Listening for remote control at %1").arg(path));
    return true;
}

void RemoteControl::stopListening()
{
    while (!clients.empty())
        drop(clients.front()->id);
    listener.close();
    const QSignalBlocker blocker(listenAction);
    listenAction->setChecked(false);
}

void RemoteControl::acceptClients()
{
    for (int descriptor = listener.takeConnection(); descriptor >= 0;
         descriptor = listener.takeConnection()) {
        const std::optional<uid_t> peer = RemoteSocket::peerUser(descriptor);
        auto* socket = new QLocalSocket(this);
        socket->setSocketDescriptor(descriptor);
        if (peer != ::getuid()) {
            tell(QStringLiteral("refused a remote-control client of %1: %2")
                     .arg(peer ? RemoteSocket::userText(*peer) : QStringLiteral("an unknown user"),
                          kOwnUserOnly));
            letGo(socket, errorLine(kOwnUserOnly));
            continue;
        }
        if (clients.size() >= static_cast<std::size_t>(kMaxClients)) {
            letGo(socket, errorLine(QStringLiteral("too many clients at once")));
            continue;
        }
        auto client = std::make_unique<Client>();
        const quint64 id = ++lastId;
        client->id = id;
        client->socket = socket;
        socket->setReadBufferSize(kReadAheadBytes);
        client->timeLimit = new QTimer(socket);
        client->timeLimit->setSingleShot(true);
        connect(client->timeLimit, &QTimer::timeout, this, [this, id] { timeRanOut(id); });
        connect(socket, &QLocalSocket::readyRead, this, [this, id] {
            if (Client* talking = find(id))
                readFrom(*talking);
        });
        connect(socket, &QLocalSocket::bytesWritten, this, [this, id] {
            if (Client* reading = find(id))
                readFrom(*reading);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, id] { clientLeft(id); });
        clients.push_back(std::move(client));
        awaitRequest(*clients.back());
        readFrom(*clients.back());
    }
}

bool RemoteControl::readFrom(Client& client)
{
    QLocalSocket* socket = client.socket;
    while (client.requests.empty() && !client.paused && socket->bytesToWrite() < kMaxUnsentBytes &&
           socket->bytesAvailable() > 0) {
        const bool lineStarts = client.partial.isEmpty();
        // Up to the line feed, and no further than a line of kMaxLineBytes and its line feed.
        const qint64 room = kMaxLineBytes + 1 - client.partial.size();
        const QByteArray ahead = socket->peek(std::min(socket->bytesAvailable(), room));
        const qsizetype end = ahead.indexOf('\n');
        client.partial += socket->read(end < 0 ? ahead.size() : end + 1);
        if (client.partial.endsWith('\n')) {
            client.partial.chop(1);
            if (client.partial.endsWith('\r'))
                client.partial.chop(1);
            client.timeLimit->stop();
            take(client, std::exchange(client.partial, QByteArray()));
        } else if (client.partial.size() > kMaxLineBytes) {
            refuse(client, QStringLiteral("a request is longer than %1 bytes").arg(kMaxLineBytes));
            return false;
        } else if (lineStarts && !client.gone) {
            // The line's time runs from its first byte; bytes that trickle in do not extend it.
            client.timeLimit->start(idleTimeoutMs);
        }
    }
    return true;
}

void RemoteControl::take(Client& client, QByteArray line)
{
    if (line == "pause" || line.startsWith("pause ")) {
        startPause(client, RemoteRequests::printable(QString::fromUtf8(line.mid(6))));
        return;
    }
    const std::optional<RemoteRequests::TakenAtOnce> atOnce = RemoteRequests::takeAtOnce(line);
    if (!atOnce) {
        client.requests.push_back({std::move(line), true});
        serveSoon();
        return;
    }
    if (client.socket->state() == QLocalSocket::ConnectedState)
        client.socket->write(atOnce->answer);
    if (atOnce->later.isEmpty()) {
        awaitRequest(client);
        return;
    }
    client.requests.push_back({atOnce->later, false});
    serveSoon();
}

void RemoteControl::refuse(Client& client, const QString& reason)
{
    drop(client.id, errorLine(reason));
}

void RemoteControl::drop(quint64 id, const QByteArray& errorLine)
{
    const auto entry = std::find_if(clients.begin(), clients.end(),
                                    [id](const std::unique_ptr<Client>& c) { return c->id == id; });
    if (entry == clients.end())
        return;
    QLocalSocket* socket = (*entry)->socket;
    clients.erase(entry);
    forgetPauses(id);
    letGo(socket, errorLine);
}

// The socket goes once the client has left, or kDrainMs after it was let go once its last answer
// is out; one that does not read that answer is cut off kDrainMs + the time limit after.
void RemoteControl::letGo(QLocalSocket* socket, const QByteArray& errorLine)
{
    socket->disconnect(this);
    if (socket->state() != QLocalSocket::ConnectedState) {
        socket->deleteLater();
        return;
    }
    socket->write(errorLine);
    socket->readAll();
    connect(socket, &QLocalSocket::readyRead, socket, [socket] { socket->readAll(); });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kDrainMs, socket, [socket] { socket->disconnectFromServer(); });
    QTimer::singleShot(kDrainMs + idleTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
}

// What the client sent in full before it left is still carried out.
void RemoteControl::clientLeft(quint64 id)
{
    Client* client = find(id);
    if (!client)
        return;
    client->gone = true;
    client->timeLimit->stop();
    // A program that ended, or was stopped, while it waited is waited for no more.
    client->paused = false;
    forgetPauses(id);
    if (readFrom(*client) && client->requests.empty() && servingId != id)
        drop(id);
}

RemoteControl::Client* RemoteControl::find(quint64 id)
{
    for (const std::unique_ptr<Client>& client : clients) {
        if (client->id == id)
            return client.get();
    }
    return nullptr;
}

void RemoteControl::awaitRequest(Client& client)
{
    if (!client.gone)
        client.timeLimit->start(idleTimeoutMs);
}

void RemoteControl::timeRanOut(quint64 id)
{
    Client* client = find(id);
    if (!client)
        return;
    const int seconds = idleTimeoutMs / 1000;
    refuse(*client, client->partial.isEmpty()
                        ? QStringLiteral("no request within %1 s").arg(seconds)
                        : QStringLiteral("a request's line did not end within %1 s").arg(seconds));
}

void RemoteControl::serveSoon(int milliseconds)
{
    if (!serveTimer.isActive() || milliseconds == 0)
        serveTimer.start(milliseconds);
}

void RemoteControl::loadEnded(bool handedOver)
{
    requests.loadEnded(handedOver);
    serveSoon();
}

void RemoteControl::serveNext()
{
    if (servingId != 0)
        return;
    const auto next =
        std::find_if(clients.begin(), clients.end(),
                     [](const std::unique_ptr<Client>& c) { return !c->requests.empty(); });
    if (next == clients.end())
        return;
    if (!RemoteRequests::windowReady()) {
        serveSoon(kBusyRetryMs);
        return;
    }
    // The client served goes to the back of the turn.
    std::rotate(next, next + 1, clients.end());
    Client& client = *clients.back();
    const Request request = std::move(client.requests.front());
    client.requests.pop_front();
    servingId = client.id;
    requests.carryOut(request.line,
                      [this, id = client.id, wanted = request.answered](const QByteArray& answer) {
                          answered(id, wanted, answer);
                      });
}

void RemoteControl::answered(quint64 id, bool wanted, const QByteArray& answer)
{
    servingId = 0;
    // The view may have moved under a pointer that stands still.
    ViewerApp::instance()->showPointerUnderCursor();
    if (Client* client = find(id)) {
        if (wanted && client->socket->state() == QLocalSocket::ConnectedState)
            client->socket->write(answer);
        if (client->requests.empty())
            awaitRequest(*client);
        if (readFrom(*client) && client->requests.empty() && client->gone)
            drop(id);
    }
    serveSoon();
}

// A pause is answered when the user continues, not in the turn of requests: other programs'
// requests go on meanwhile, and the window stays whole for the user to look.
void RemoteControl::startPause(Client& client, const QString& text)
{
    client.paused = true;
    client.timeLimit->stop();
    pauses.push_back({client.id, text.isEmpty() ? QStringLiteral("A program paused") : text});
    showFirstPause();
}

void RemoteControl::continuePause(bool skipSite)
{
    if (pauses.empty())
        return;
    const quint64 id = pauses.front().clientId;
    pauses.pop_front();
    if (Client* client = find(id)) {
        client->paused = false;
        if (client->socket->state() == QLocalSocket::ConnectedState)
            client->socket->write(skipSite ? QByteArrayLiteral("continued: skip-site\nok\n")
                                           : QByteArrayLiteral("continued: once\nok\n"));
        awaitRequest(*client);
        readFrom(*client);
    }
    showFirstPause();
}

void RemoteControl::forgetPauses(quint64 id)
{
    const auto kept = std::remove_if(pauses.begin(), pauses.end(),
                                     [id](const Pause& pause) { return pause.clientId == id; });
    if (kept == pauses.end())
        return;
    pauses.erase(kept, pauses.end());
    showFirstPause();
}

void RemoteControl::showFirstPause()
{
    if (!pauseBar)
        return;
    if (pauses.empty())
        pauseBar->clear();
    else
        pauseBar->showPause(pauses.front().text, static_cast<int>(pauses.size()) - 1);
}
