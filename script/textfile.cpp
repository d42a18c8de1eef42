#include "script/textfile.h"

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
