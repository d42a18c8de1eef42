#include "script/fileending.h"

#include <algorithm>

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

FileEnding FileEnding::of(const std::string& path)
{
    FileEnding ending;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return ending;
    ending.stamp = FileStamp::ofOpen(descriptor);
    if (ending.stamp.exists) {
        const qint64 from = std::max<qint64>(0, ending.stamp.size - kTailBytes);
        ending.tail.resize(static_cast<std::size_t>(ending.stamp.size - from));
        const ssize_t read = ::pread(descriptor, ending.tail.data(), ending.tail.size(), from);
        ending.tail.resize(read > 0 ? static_cast<std::size_t>(read) : 0);
    }
    ::close(descriptor);
    return ending;
}

// The same file (device and inode) is one written in place; a rename over it is a whole version.
bool FileEnding::looksUnfinished(const FileEnding& before) const
{
    if (lineOpen())
        return true;
    if (!before.stamp.exists || stamp == before.stamp || stamp.device != before.stamp.device ||
        stamp.inode != before.stamp.inode)
        return false;
    return (stamp.size == before.stamp.size && tail == before.tail) ||
           stamp.size * 2 < before.stamp.size;
}

qint64 FileEnding::quietMilliseconds() const
{
    struct timespec now {
    };
    ::clock_gettime(CLOCK_REALTIME, &now);
    return (qint64(now.tv_sec) * 1000000000 + now.tv_nsec - stamp.modified) / 1000000;
}
