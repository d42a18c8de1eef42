#include "script/outputfile.h"

#include "script/textfile.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Pictures are written in blocks of this size: large enough that a million small writes of a
// PDF's or SVG's drawing commands cost a few hundred system calls.
constexpr std::size_t kBufferBytes = std::size_t(1) << 20;
// A writer waiting for a FIFO's reader looks this often whether the export was abandoned.
constexpr int kAbandonCheckMs = 100;
// Links followed before a path is taken as a loop, as the system itself gives up.
constexpr int kMostLinks = 40;

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The name the picture takes while it is written: short, so that it fits wherever the
// destination's name does, and hidden.
const char kTemporaryName[] = ".vedra-XXXXXX";

} // namespace

OutputFile::OutputFile(std::string path, FifoReader fifoReader)
    : path(std::move(path)), fifoReader(fifoReader)
{
}

OutputFile::~OutputFile()
{
    discard();
}

std::string OutputFile::realPath(const std::string& path)
{
    char* const resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved)
        return path;
    std::string real(resolved);
    std::free(resolved);
    return real;
}

std::string OutputFile::resolvedPath(const std::string& path)
{
    std::string resolved = path;
    for (int link = 0; link < kMostLinks; ++link) {
        struct stat status;
        if (::lstat(resolved.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return resolved;
        std::string target(static_cast<std::size_t>(status.st_size) + 1, '\0');
        const ssize_t length = ::readlink(resolved.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            return resolved;
        target.resize(static_cast<std::size_t>(length));
        resolved = target.front() == '/' ? target : directoryOf(resolved) + target;
    }
    return resolved;
}

std::string OutputFile::destinationOf(const std::string& path)
{
    struct stat status;
    if (::stat(path.c_str(), &status) == 0)
        return realPath(path);
    const std::string resolved = resolvedPath(path);
    const std::string folder = directoryOf(resolved);
    char* const real = ::realpath(folder.empty() ? "." : folder.c_str(), nullptr);
    if (!real)
        return resolved;
    std::string destination(real);
    std::free(real);
    if (destination.back() != '/')
        destination += '/';
    return destination + resolved.substr(folder.size());
}

std::optional<QString> OutputFile::whyNotOverwritten(const std::string& output,
                                                     const std::vector<std::string>& readFiles)
{
    struct stat written;
    if (::stat(output.c_str(), &written) != 0)
        return std::nullopt;
    for (const std::string& read : readFiles) {
        struct stat status;
        if (::stat(read.c_str(), &status) == 0 && status.st_dev == written.st_dev &&
            status.st_ino == written.st_ino)
            return QStringLiteral("%1 is the file %2, which this run reads: not overwritten")
                .arg(displayName(output), displayName(read));
    }
    return std::nullopt;
}

bool OutputFile::open(OpenMode mode)
{
    if ((mode & ReadOnly) || !(mode & WriteOnly) || isOpen()) {
        setErrorString(QStringLiteral("can only be opened once, for writing"));
        return false;
    }
    // The system follows the links of what exists, those of /proc/self/fd included, whose
    // targets ("pipe:[123]") are no paths; only a link to nothing is followed here.
    struct stat status;
    const bool exists = ::stat(path.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) {
        // A device or a FIFO takes the picture as it comes. Opening a FIFO waits for its reader
        // unless one must be there already; the writes then wait for it as usual.
        const bool noWaiting = S_ISFIFO(status.st_mode) && fifoReader == FifoReader::MustBeThere;
        target = path;
        descriptor =
            ::open(target.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (noWaiting ? O_NONBLOCK : 0));
        if (descriptor < 0 && noWaiting && errno == ENXIO) {
            setErrorString(QStringLiteral("nothing is reading it"));
            return false;
        }
        // A FIFO opened without waiting is also written without waiting, so that a reader that
        // holds it without reading holds the writer only until the export is abandoned.
        nonBlocking = descriptor >= 0 && noWaiting;
    } else {
        target = exists ? realPath(path) : resolvedPath(path);
        temporary = directoryOf(target) + kTemporaryName;
        descriptor = ::mkstemp(temporary.data());
        if (descriptor < 0) {
            temporary.clear();
        } else {
            // The permissions the file has, or those a new file gets.
            mode_t permissions = 0;
            if (exists) {
                permissions = status.st_mode & 07777;
            } else {
                const mode_t mask = ::umask(0);
                ::umask(mask);
                permissions = 0666 & ~mask;
            }
            ::fchmod(descriptor, permissions);
        }
    }
    if (descriptor < 0) {
        setErrorString(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    buffer.reserve(kBufferBytes);
    return QIODevice::open(mode | Unbuffered);
}

qint64 OutputFile::readData(char*, qint64)
{
    return -1;
}

qint64 OutputFile::writeData(const char* data, qint64 size)
{
    if (abandoned.load(std::memory_order_relaxed))
        fail(ECANCELED);
    if (firstError != 0)
        return -1;
    buffer.append(data, static_cast<std::size_t>(size));
    if (buffer.size() >= kBufferBytes && !flushBuffer())
        return -1;
    return size;
}

bool OutputFile::flushBuffer()
{
    std::size_t written = 0;
    while (firstError == 0 && written < buffer.size()) {
        const ssize_t count = ::write(descriptor, buffer.data() + written, buffer.size() - written);
        if (count > 0)
            written += static_cast<std::size_t>(count);
        else if (count < 0 && nonBlocking && errno == EAGAIN)
            waitUntilWritable();
        else if (count < 0 && errno != EINTR)
            fail(errno);
        else if (count == 0)
            fail(EIO);
    }
    buffer.clear();
    return firstError == 0;
}

void OutputFile::waitUntilWritable()
{
    pollfd writable{descriptor, POLLOUT, 0};
    while (!abandoned.load(std::memory_order_relaxed)) {
        if (::poll(&writable, 1, kAbandonCheckMs) != 0)
            return;
    }
    fail(ECANCELED);
}

void OutputFile::fail(int errorNumber)
{
    if (firstError == 0) {
        firstError = errorNumber;
        setErrorString(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

bool OutputFile::commit()
{
    if (descriptor < 0)
        return false;
    flushBuffer();
    // Only a regular file is synced: a full disk or a failing device may tell only now.
    if (firstError == 0 && !temporary.empty() && ::fsync(descriptor) != 0)
        fail(errno);
    if (::close(descriptor) != 0 && firstError == 0)
        fail(errno);
    descriptor = -1;
    QIODevice::close();
    if (firstError == 0 && !temporary.empty()) {
        if (::rename(temporary.c_str(), target.c_str()) != 0)
            fail(errno);
        else
            temporary.clear();
    }
    discard();
    return firstError == 0;
}

void OutputFile::discard()
{
    if (descriptor >= 0) {
        ::close(descriptor);
        descriptor = -1;
    }
    if (!temporary.empty()) {
        ::unlink(temporary.c_str());
        temporary.clear();
    }
    if (isOpen())
        QIODevice::close();
}
