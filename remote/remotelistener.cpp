#include "remote/remotelistener.h"

#include <QFile>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{

// Connections the system keeps waiting until they are taken: the window takes them at once, and
// turns away those beyond its limit itself.
constexpr int kBacklog = 64;

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

RemoteListener::RemoteListener(QObject* parent) : QObject(parent)
{
}

RemoteListener::~RemoteListener()
{
    close();
}

std::optional<QString> RemoteListener::listen(const QString& path)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path)
        return QStringLiteral("the path is too long for a socket");
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int made = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (made < 0)
        return QStringLiteral("cannot make a socket: %1").arg(systemReason());
    struct stat status;
    // The folder is the user's alone, so nobody can reach the file between bind and chmod.
    if (::bind(made, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(name.constData(), S_IRUSR | S_IWUSR) != 0 ||
        ::lstat(name.constData(), &status) != 0 || ::listen(made, kBacklog) != 0) {
        const QString reason = systemReason();
        ::close(made);
        return reason;
    }
    descriptor = made;
    socketPath = path;
    device = status.st_dev;
    inode = status.st_ino;
    notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &RemoteListener::connectionWaiting);
    return std::nullopt;
}

void RemoteListener::close()
{
    if (descriptor < 0)
        return;
    notifier.reset();
    ::close(descriptor);
    descriptor = -1;
    const QByteArray name = QFile::encodeName(socketPath);
    struct stat status;
    if (::lstat(name.constData(), &status) == 0 && status.st_dev == device &&
        status.st_ino == inode)
        ::unlink(name.constData());
    socketPath.clear();
}

int RemoteListener::takeConnection()
{
    if (descriptor < 0)
        return -1;
    return ::accept4(descriptor, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
}
