#include "remote/remotesocket.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace
{

const QString kSocketName = QStringLiteral("vedra.sock");

QString fallbackFolder()
{
    return QStringLiteral("/tmp/vedra-%1").arg(::getuid());
}

QString refusal(const QString& path, const QString& why)
{
    return QStringLiteral("refusing %1: %2").arg(path, why);
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// What is wrong with the owner and the permission bits of a path the user must own alone; none
// when nothing is.
std::optional<QString> whyNotOwnedAlone(const QString& path, const struct stat& status,
                                        const QString& alone)
{
    if (status.st_uid != ::getuid())
        return refusal(path, QStringLiteral("it belongs to %1, not to you")
                                 .arg(RemoteSocket::userText(status.st_uid)));
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return refusal(path, QStringLiteral("others can reach it (mode %1); %2")
                                 .arg(status.st_mode & 07777, 4, 8, QLatin1Char('0'))
                                 .arg(alone));
    return std::nullopt;
}

} // namespace

namespace RemoteSocket
{

QString path()
{
    const QString given = qEnvironmentVariable("VEDRA_SOCKET");
    if (!given.isEmpty())
        return given;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return QDir(runtime).filePath(kSocketName);
    return QDir(fallbackFolder()).filePath(kSocketName);
}

std::optional<QString> whyPathTooLong(const QString& socketPath)
{
    constexpr qsizetype kLongest = sizeof(sockaddr_un::sun_path) - 1;
    const qsizetype length = QFile::encodeName(socketPath).size();
    if (length <= kLongest)
        return std::nullopt;
    return QStringLiteral("the path is %1 bytes long, and a socket's path holds at most %2 bytes")
        .arg(length)
        .arg(kLongest);
}

std::optional<QString> whyFolderRefused(const QString& socketPath, bool makeFallback)
{
    const QString folder = QFileInfo(socketPath).path();
    const QByteArray name = QFile::encodeName(folder);
    if (makeFallback && folder == fallbackFolder() && ::mkdir(name.constData(), S_IRWXU) != 0 &&
        errno != EEXIST)
        return QStringLiteral("cannot make the folder %1: %2").arg(folder, systemReason());
    struct stat status;
    if (::lstat(name.constData(), &status) != 0) {
        if (errno == ENOENT)
            return QStringLiteral("the folder %1 does not exist").arg(folder);
        return QStringLiteral("cannot look at the folder %1: %2").arg(folder, systemReason());
    }
    if (S_ISLNK(status.st_mode))
        return refusal(folder, QStringLiteral("it is a link; the socket's folder must be a "
                                              "folder of your own"));
    if (!S_ISDIR(status.st_mode))
        return refusal(folder, QStringLiteral("it is not a folder"));
    return whyNotOwnedAlone(folder, status,
                            QStringLiteral("the socket's folder must be yours alone"));
}

std::optional<QString> whySocketRefused(const QString& socketPath, bool privateMode)
{
    struct stat status;
    if (::lstat(QFile::encodeName(socketPath).constData(), &status) != 0)
        return QStringLiteral("cannot look at %1: %2").arg(socketPath, systemReason());
    if (!S_ISSOCK(status.st_mode))
        return refusal(socketPath, QStringLiteral("it is not a socket"));
    if (!privateMode)
        status.st_mode &= ~(S_IRWXG | S_IRWXO);
    return whyNotOwnedAlone(socketPath, status, QStringLiteral("the socket must be yours alone"));
}

std::optional<uid_t> peerUser(int descriptor)
{
    struct ucred credentials {
    };
    socklen_t size = sizeof credentials;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0 ||
        size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

QString userText(uid_t uid)
{
    struct passwd entry {
    };
    struct passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QStringLiteral("user %1 (uid %2)")
            .arg(QString::fromLocal8Bit(found->pw_name))
            .arg(uid);
    return QStringLiteral("uid %1").arg(uid);
}

} // namespace RemoteSocket
