#include "remote/remotecontrol.h"

#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "follow/fileloader.h"
#include "remote/remotesocket.h"

#include <QAction>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QMenu>
#include <QSignalBlocker>
#include <QWidget>

#include <algorithm>
#include <sys/stat.h>

namespace
{

// What Qt reads ahead from a client's socket: enough for many short requests, small beside a line.
constexpr qint64 kReadAheadBytes = 64 * 1024;
// A client that does not read its answers gets no more of them until this much has gone out.
constexpr qint64 kMaxUnsentBytes = 64 * 1024;
// While a modal dialog is open, waiting requests look again this often; a load's end is told.
constexpr int kBusyRetryMs = 100;

} // namespace

RemoteControl::RemoteControl(QWidget* window) : QObject(window)
{
    listenAction = new QAction(QStringLiteral("Listen for Remote Control"), window);
    listenAction->setCheckable(true);
    listenAction->setToolTip(QStringLiteral(
        "Take requests from vedra --remote and from programs that write dumps (remembered)"));
    connect(listenAction, &QAction::toggled, this, &RemoteControl::toggled);
    serveTimer.setSingleShot(true);
    connect(&serveTimer, &QTimer::timeout, this, &RemoteControl::serveNext);
}

// The clients' sockets, children of the control, must not tell it of their end while it goes; the
// server's own destructor removes the socket file.
RemoteControl::~RemoteControl()
{
    for (const std::unique_ptr<Client>& client : clients)
        client->socket->disconnect(this);
}

void RemoteControl::addFileMenuEntry(QMenu* menu)
{
    menu->addAction(listenAction);
}

bool RemoteControl::listening() const
{
    return server != nullptr;
}

QString RemoteControl::socketPath() const
{
    return server ? server->fullServerName() : QString();
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
    if (server)
        return true;
    const QString path = RemoteSocket::path();
    const auto fail = [&](const QString& why) {
        ViewerApp::instance()->showMessage(
            QStringLiteral("Not listening for remote control: %1").arg(why));
        if (reason)
            *reason = why;
        const QSignalBlocker blocker(listenAction);
        listenAction->setChecked(false);
        return false;
    };
    if (const std::optional<QString> unsafe = RemoteSocket::prepareFolder(path))
        return fail(*unsafe);
    // A socket file left by a window that crashed answers no one and may go; a live one is
    // another window's.
    const QByteArray name = QFile::encodeName(path);
    struct stat status;
    if (::lstat(name.constData(), &status) == 0) {
        if (!S_ISSOCK(status.st_mode))
            return fail(QStringLiteral("%1 is there and is no socket").arg(path));
        QLocalSocket probe;
        probe.connectToServer(path);
        if (probe.state() != QLocalSocket::UnconnectedState) {
            probe.abort();
            return fail(QStringLiteral("another Vedra window listens at %1").arg(path));
        }
        if (probe.error() != QLocalSocket::ConnectionRefusedError)
            return fail(QStringLiteral("%1: %2").arg(path, probe.errorString()));
        QLocalServer::removeServer(path);
    }
    auto listener = std::make_unique<QLocalServer>();
    listener->setSocketOptions(QLocalServer::UserAccessOption);
    if (!listener->listen(path))
        return fail(QStringLiteral("%1: %2").arg(path, listener->errorString()));
    // Qt gives the owner every permission bit; a socket needs only reading and writing.
    ::chmod(name.constData(), S_IRUSR | S_IWUSR);
    connect(listener.get(), &QLocalServer::newConnection, this, &RemoteControl::acceptClients);
    server = std::move(listener);
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
    server.reset();
    const QSignalBlocker blocker(listenAction);
    listenAction->setChecked(false);
}

void RemoteControl::acceptClients()
{
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        socket->setParent(this);
        if (clients.size() >= static_cast<std::size_t>(kMaxClients)) {
            socket->write("error: too many clients at once\n");
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            continue;
        }
        auto client = std::make_unique<Client>();
        const quint64 id = ++lastId;
        client->id = id;
        client->socket = socket;
        socket->setReadBufferSize(kReadAheadBytes);
        client->idleTimer = new QTimer(socket);
        client->idleTimer->setSingleShot(true);
        connect(client->idleTimer, &QTimer::timeout, this, [this, id] {
            if (Client* silent = find(id))
                refuse(*silent, QStringLiteral("no request within %1 s").arg(idleTimeoutMs / 1000));
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, id] {
            if (Client* talking = find(id)) {
                if (talking->requests.empty())
                    restartIdleTimer(*talking);
                readFrom(*talking);
            }
        });
        connect(socket, &QLocalSocket::bytesWritten, this, [this, id] {
            if (Client* reading = find(id))
                readFrom(*reading);
        });
        connect(socket, &QLocalSocket::disconnected, this, [this, id] { clientLeft(id); });
        clients.push_back(std::move(client));
        restartIdleTimer(*clients.back());
        readFrom(*clients.back());
    }
}

void RemoteControl::readFrom(Client& client)
{
    QLocalSocket* socket = client.socket;
    while (client.requests.empty() && socket->bytesToWrite() < kMaxUnsentBytes &&
           socket->bytesAvailable() > 0) {
        // Up to the line feed, and no further than a line of kMaxLineBytes and its line feed.
        const qint64 room = kMaxLineBytes + 1 - client.partial.size();
        const QByteArray ahead = socket->peek(std::min(socket->bytesAvailable(), room));
        const qsizetype end = ahead.indexOf('\n');
        client.partial += socket->read(end < 0 ? ahead.size() : end + 1);
        if (client.partial.endsWith('\n')) {
            client.partial.chop(1);
            if (client.partial.endsWith('\r'))
                client.partial.chop(1);
            client.requests.push_back(std::move(client.partial));
            client.partial = QByteArray();
            client.idleTimer->stop();
            serveSoon();
        } else if (client.partial.size() > kMaxLineBytes) {
            refuse(client, QStringLiteral("a request is longer than %1 bytes").arg(kMaxLineBytes));
            return;
        }
    }
}

void RemoteControl::refuse(Client& client, const QString& reason)
{
    if (client.socket->state() == QLocalSocket::ConnectedState)
        client.socket->write(QStringLiteral("error: %1\n").arg(reason).toUtf8());
    drop(client.id);
}

// The socket goes once its last answer is out; a client that does not read it is cut off.
void RemoteControl::drop(quint64 id)
{
    const auto entry = std::find_if(clients.begin(), clients.end(),
                                    [id](const std::unique_ptr<Client>& c) { return c->id == id; });
    if (entry == clients.end())
        return;
    QLocalSocket* socket = (*entry)->socket;
    clients.erase(entry);
    socket->disconnect(this);
    if (socket->state() == QLocalSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(idleTimeoutMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
    socket->disconnectFromServer();
}

// What the client sent in full before it left is still carried out.
void RemoteControl::clientLeft(quint64 id)
{
    Client* client = find(id);
    if (!client)
        return;
    client->gone = true;
    client->idleTimer->stop();
    readFrom(*client);
    if (client->requests.empty() && servingId != id)
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

void RemoteControl::restartIdleTimer(Client& client)
{
    if (!client.gone)
        client.idleTimer->start(idleTimeoutMs);
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
    const QByteArray line = std::move(client.requests.front());
    client.requests.pop_front();
    servingId = client.id;
    requests.carryOut(line,
                      [this, id = client.id](const QByteArray& answer) { answered(id, answer); });
}

void RemoteControl::answered(quint64 id, const QByteArray& answer)
{
    servingId = 0;
    if (Client* client = find(id)) {
        if (client->socket->state() == QLocalSocket::ConnectedState)
            client->socket->write(answer);
        readFrom(*client);
        if (client->requests.empty()) {
            if (client->gone)
                drop(id);
            else
                restartIdleTimer(*client);
        }
    }
    serveSoon();
}
