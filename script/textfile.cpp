#include "script/textfile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool openRegularFile(QFile& file, const std::string& path, QIODevice::OpenMode mode)
{
    // Without blocking, so that opening a pipe returns at once; regular files ignore the flag.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return false;
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) ||
        !file.open(descriptor, mode, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    return true;
}

QString displayName(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::optional<QString> whyNotRegularFile(const std::string& path)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (descriptor < 0) {
        const int error = errno;
        if (error == ENOENT)
            return QStringLiteral("no such file");
        if (error == EACCES)
            return QStringLiteral("permission denied");
        return QString::fromLocal8Bit(std::strerror(error));
    }
    struct stat status;
    const bool known = ::fstat(descriptor, &status) == 0;
    ::close(descriptor);
    if (!known || S_ISDIR(status.st_mode))
        return QStringLiteral("it is a directory");
    if (!S_ISREG(status.st_mode))
        return QStringLiteral("not a regular file");
    return std::nullopt;
}

std::optional<std::string> readTextFile(const std::string& path, long long maxBytes)
{
    QFile file;
    if (!openRegularFile(file, path, QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size > maxBytes)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    if (got < 0)
        return std::nullopt;
    // The file may have shrunk while it was read (a dump still being written).
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}
