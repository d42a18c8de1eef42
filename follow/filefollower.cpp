#include "follow/filefollower.h"

#include "script/seriesname.h"

#include <QDir>
#include <QFile>

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

FileFollower::FileFollower(QObject* parent) : QObject(parent)
{
    settleTimer.setSingleShot(true);
    settleTimer.setInterval(kSettleMilliseconds);
    connect(&settleTimer, &QTimer::timeout, this, &FileFollower::settle);
    connect(&watcher, &QFileSystemWatcher::fileChanged, this, &FileFollower::noteActivity);
    connect(&watcher, &QFileSystemWatcher::directoryChanged, this, &FileFollower::noteActivity);
}

void FileFollower::follow(const std::string& fileName, const std::optional<FileStamp>& shown)
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
    if (shown && *shown != seen) {
        seen = *shown;
        settleTimer.start();
    }
}

void FileFollower::acknowledge()
{
    seen = pending = FileStamp::of(followed);
    seenMember = pendingMember = offersMembers ? newestMember() : std::string();
    pendingMemberStamp = FileStamp::of(pendingMember);
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
    pending = FileStamp::of(followed);
    if (offersMembers) {
        pendingMember = newestMember();
        pendingMemberStamp = FileStamp::of(pendingMember);
        // Writes into the member itself do not touch the folder.
        if (!pendingMember.empty())
            watch(pendingMember, true);
    }
    settleTimer.start();
}

void FileFollower::settle()
{
    const FileStamp now = FileStamp::of(followed);
    const std::string member = offersMembers ? newestMember() : std::string();
    const FileStamp memberNow = FileStamp::of(member);
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
