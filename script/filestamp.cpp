#include "script/filestamp.h"

#include <sys/stat.h>

namespace
{

FileStamp fromStatus(const struct stat& status)
{
    FileStamp stamp;
    if (!S_ISREG(status.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.size = status.st_size;
    stamp.modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    return stamp;
}

} // namespace

FileStamp FileStamp::of(const std::string& path)
{
    struct stat status {
    };
    if (path.empty() || ::stat(path.c_str(), &status) != 0)
        return {};
    return fromStatus(status);
}

FileStamp FileStamp::ofOpen(int descriptor)
{
    struct stat status {
    };
    if (descriptor < 0 || ::fstat(descriptor, &status) != 0)
        return {};
    return fromStatus(status);
}

bool FileStamp::operator==(const FileStamp& other) const
{
    return exists == other.exists && size == other.size && modified == other.modified &&
           device == other.device && inode == other.inode;
}
