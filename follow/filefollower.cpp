#include "follow/filefollower.h"

#include "script/seriesname.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace
{

// The folder part of a name (up to its last '/', or "." when it has none) and the rest.
std::pair<std::string, std::string> splitFolder(const std::string& name)
{
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos)
        return {".", name};
    return {slash == 0 ? std::string("/") : name.substr(0, slash), name.substr(slash + 1)};
}

} // namespace

bool FileFollower::Stamp::operator==(const Stamp& other) const
{
    return exists == other.exists && size == other.size && modified == other.modified &&
           inode == other.inode;
}

FileFollower::FileFollower(QObject* parent) : QObject(parent)
{
    settleTimer.setSingleShot(true);
    settleTimer.setInterval(kSettleMilliseconds);
    connect(&settleTimer, &QTimer::timeout, this, &FileFollower::settle);
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &FileFollower::noteActivity);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &FileFollower::noteActivity);
}

// Only regular files count: a pipe or a folder of the same name is not the drawing's file.
FileFollower::Stamp FileFollower::stampOf(const std::string& name)
{
    struct stat status {
    };
    Stamp stamp;
    if (name.empty() || ::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return stamp;
    stamp.exists = true;
    stamp.size = status.st_size;
    stamp.modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    stamp.inode = status.st_ino;
    return stamp;
}

void FileFollower::follow(const std::string& fileName)
{
    settleTimer.stop();
    const QStringList watched = watcher.files() + watcher.directories();
    if (!watched.isEmpty())
        watcher.removePaths(watched);
    followed = fileName;
    seriesPrefix.clear();
    seriesSuffix.clear();
    offersMembers = false;
    if (followed.empty())
        return;
    if (splitSeriesName(followed, seriesPrefix, seriesIndex, seriesSuffix))
        offersMembers = newestMember().empty();
    watch(splitFolder(followed).first, false);
    watch(followed, true);
    acknowledge();
}

void FileFollower::acknowledge()
{
    seen = pending = stampOf(followed);
    seenMember = pendingMember = offersMembers ? newestMember() : std::string();
    pendingMemberStamp = stampOf(pendingMember);
}

std::string FileFollower::newestMember() const
{
    if (seriesPrefix.empty())
        return {};
    const auto [folder, stem] = splitFolder(seriesPrefix);
    const QStringList entries =
        QDir(QFile::decodeName(QByteArray::fromStdString(folder))).entryList(QDir::Files);
    qint64 newest = seriesIndex;
    std::string chosen;
    for (const QString& entry : entries) {
        const std::string bytes = QFile::encodeName(entry).toStdString();
        const std::optional<qint64> index = seriesMemberIndex(bytes, stem, seriesSuffix);
        if (index && *index > newest) {
            newest = *index;
            chosen = seriesPrefix.substr(0, seriesPrefix.size() - stem.size()) + bytes;
        }
    }
    return chosen;
}

// A file replaced by a rename keeps its place in the watcher's list but no longer reports, so a
// file is watched anew at each look; the folder stays watched.
void FileFollower::watch(const std::string& name, bool anew)
{
    const QString path = QFile::decodeName(QByteArray::fromStdString(name));
    const bool held = watcher.files().contains(path) || watcher.directories().contains(path);
    if (held && !anew)
        return;
    if (held)
        watcher.removePath(path);
    if (QFile::exists(path))
        watcher.addPath(path);
}

void FileFollower::noteActivity()
{
    if (followed.empty())
        return;
    watch(followed, true);
    pending = stampOf(followed);
    if (offersMembers) {
        pendingMember = newestMember();
        pendingMemberStamp = stampOf(pendingMember);
        // Writes into the member itself do not touch the folder.
        if (!pendingMember.empty())
            watch(pendingMember, true);
    }
    settleTimer.start();
}

void FileFollower::settle()
{
    const Stamp now = stampOf(followed);
    const std::string member = offersMembers ? newestMember() : std::string();
    const Stamp memberNow = stampOf(member);
    if (now != pending || member != pendingMember || memberNow != pendingMemberStamp) {
        noteActivity();
        return;
    }
    if (now != seen) {
        seen = now;
        if (now.exists)
            emit changed();
        else
            emit vanished();
    }
    if (member != seenMember) {
        seenMember = member;
        if (!member.empty() && memberNow.exists)
            emit newerMemberReady(QByteArray::fromStdString(member));
    }
}
