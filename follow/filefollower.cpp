#include "follow/filefollower.h"

#include "script/seriesname.h"

#include <QFile>

#include <dirent.h>
#include <optional>
#include <sys/stat.h>
#include <utility>

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
    connect(this, &FileFollower::listingEnded, this, &FileFollower::takeListing,
            Qt::QueuedConnection);
}

FileFollower::~FileFollower()
{
    if (listing) {
        listing->stop.store(true, std::memory_order_relaxed);
        listing->thread.join();
    }
}

// Opening a file lists its folder once, here: which members exist when following begins decides
// whether newer ones are offered, and the opening reads the whole file anyway.
void FileFollower::follow(const std::string& fileName, const std::optional<FileStamp>& shown)
{
    settleTimer.stop();
    const QStringList watched = watcher.files() + watcher.directories();
    if (!watched.isEmpty())
        watcher.removePaths(watched);
    followed = fileName;
    series = Series();
    offersMembers = false;
    seenMember = pendingMember = newestAtOpen = std::string();
    pendingMemberStamp = FileStamp();
    if (listing)
        listing->stale = true;
    listAgain = false;
    if (followed.empty())
        return;
    if (splitSeriesName(followed, series.prefix, series.index, series.suffix)) {
        ++listingCount;
        newestAtOpen = newestMember(series, std::atomic<bool>(false));
        offersMembers = newestAtOpen.empty();
    }
    watch(splitFolder(followed).first, false);
    watch(followed, true);
    acknowledge();
    if (shown && *shown != seen) {
        seen = *shown;
        settleTimer.start();
    }
}

// The newest member known is the one the last settle found: one that came since makes the
// folder report, and the settle that follows finds it.
void FileFollower::acknowledge()
{
    seen = pending = FileStamp::of(followed);
    seenMember = pendingMember;
    pendingMemberStamp = FileStamp::of(pendingMember);
}

// Names are compared as bytes, without decoding, sorting or a look at each file: in a folder of
// many files, only the series' own names cost more than reading the name.
std::string FileFollower::newestMember(const Series& series, const std::atomic<bool>& stop)
{
    if (series.prefix.empty())
        return {};
    const auto [folderName, stem] = splitFolder(series.prefix);
    const std::string folderPart = series.prefix.substr(0, series.prefix.size() - stem.size());
    DIR* const folder = ::opendir(folderName.c_str());
    if (!folder)
        return {};
    qint64 newest = series.index;
    std::string chosen;
    while (const dirent* entry = ::readdir(folder)) {
        if (stop.load(std::memory_order_relaxed)) {
            chosen.clear();
            break;
        }
        const std::optional<qint64> index = seriesMemberIndex(entry->d_name, stem, series.suffix);
        if (!index || *index <= newest)
            continue;
        std::string name = folderPart + entry->d_name;
        struct stat status {
        };
        if (entry->d_type != DT_REG &&
            (::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)))
            continue;
        newest = *index;
        chosen = std::move(name);
    }
    ::closedir(folder);
    return chosen;
}

std::string FileFollower::newestMemberNow() const
{
    return newestMember(series, std::atomic<bool>(false));
}

void FileFollower::listFolder()
{
    if (listing) {
        listAgain = true;
        return;
    }
    ++listingCount;
    listing = std::make_unique<Listing>();
    listing->thread = std::thread([this, job = listing.get(), of = series] {
        job->newest = newestMember(of, job->stop);
        job->ended.store(true, std::memory_order_release);
        emit listingEnded();
    });
}

// The ended flag is stored after the thread's last write to the listing; joining the thread then
// makes the result visible here.
void FileFollower::takeListing()
{
    if (!listing || !listing->ended.load(std::memory_order_acquire))
        return;
    listing->thread.join();
    const std::unique_ptr<Listing> done = std::move(listing);
    // A settle since asked for a newer look; a listing of a series no longer followed is dropped.
    const bool again = std::exchange(listAgain, false);
    if (again || done->stale) {
        if (again && offersMembers)
            listFolder();
        return;
    }
    const std::string& member = done->newest;
    const FileStamp memberNow = FileStamp::of(member);
    if (member != pendingMember || memberNow != pendingMemberStamp) {
        pendingMember = member;
        pendingMemberStamp = memberNow;
        // Writes into the member itself do not touch the folder.
        if (!pendingMember.empty())
            watch(pendingMember, true);
        settleTimer.start();
        return;
    }
    if (member != seenMember) {
        seenMember = member;
        if (!member.empty() && memberNow.exists)
            emit newerMemberReady(QByteArray::fromStdString(member));
    }
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
    if (!pendingMember.empty()) {
        pendingMemberStamp = FileStamp::of(pendingMember);
        watch(pendingMember, true);
    }
    settleTimer.start();
}

// The file is settled here; the series once a listing of the folder finds the same newest member
// as the settle before.
void FileFollower::settle()
{
    const FileStamp now = FileStamp::of(followed);
    if (now != pending || FileStamp::of(pendingMember) != pendingMemberStamp) {
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
    if (offersMembers)
        listFolder();
}
