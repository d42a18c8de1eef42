#include "remote/remotesocket.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString kSocketName = QStringLiteral("vedra.sock");

QString fallbackFolder()
{
    return QStringLiteral("/tmp/vedra-%1").arg(::getuid());
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

// Only the fallback folder is the window's to make and check: $VEDRA_SOCKET is the caller's
// choice, and the runtime folder is the system's, made for the user alone.
std::optional<QString> prepareFolder(const QString& socketPath)
{
    const QString folder = QFileInfo(socketPath).path();
    if (folder != fallbackFolder())
        return std::nullopt;
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), S_IRWXU) != 0 && errno != EEXIST)
        return QStringLiteral("cannot make %1: %2")
            .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
    struct stat status;
    if (::lstat(name.constData(), &status) != 0 || !S_ISDIR(status.st_mode))
        return QStringLiteral("%1 is not a folder").arg(folder);
    if (status.st_uid != ::getuid())
        return QStringLiteral("%1 belongs to another user").arg(folder);
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0)
        return QStringLiteral("%1 is open to other users").arg(folder);
    return std::nullopt;
}

} // namespace RemoteSocket
