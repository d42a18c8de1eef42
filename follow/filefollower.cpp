#include "follow/filefollower.h"

#include "script/seriesname.h"

#include <QFile>

#include <algorithm>
#include <utility>

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

// Opening a file of another series lists its folder once, here: which members exist when following
// begins decides whether newer ones are offered, and the opening reads the whole file anyway. A
// step within the series takes the members the folder's watch keeps current instead.
void FileFollower::follow(const std::string& fileName, const std::optional<FileStamp>& shown,
                          NewerMembers newerMembers)
{
    settleTimer.stop();
    const QStringList watched = watcher.files() + watcher.directories();
    if (!watched.isEmpty())
        watcher.removePaths(watched);
    const Series before = series;
    const bool sameFile = fileName == followed;
    followed = fileName;
    series = Series();
    offersMembers = false;
    seenMember = pendingMember = std::string();
    pendingMemberStamp = FileStamp();
    if (!followed.empty())
        splitSeriesName(followed, series.prefix, series.index, series.suffix);
    const bool sameSeries =
        !series.prefix.empty() && series.prefix == before.prefix && series.suffix == before.suffix;
    // A writer's pace holds for the file it writes, and for the members of its series; a reload
    // of the file keeps what settled, so that a write going on after it is learned from.
    if (!sameFile)
        settledEnding = FileEnding();
    if (!sameFile && !sameSeries) {
        longestPause = 0;
        settleTimer.setInterval(kSettleMilliseconds);
    }
    if (!sameSeries) {
        if (listing)
            listing->stale = true;
        listAgain = false;
        std::vector<SeriesMember> found;
        if (!series.prefix.empty()) {
            ++listingCount;
            found = listSeriesMembers(series.prefix, series.suffix, std::atomic<bool>(false));
        }
        if (found != members || series.prefix != before.prefix) {
            members = std::move(found);
            emit membersChanged();
        }
    }
    if (followed.empty())
        return;
    offersMembers =
        !series.prefix.empty() && (newerMembers == NewerMembers::Always || newestMember().empty());
    watch(splitFolderName(followed).first, false);
    watch(followed, true);
    acknowledge();
    if (shown && *shown != seen) {
        seen = *shown;
        settleTimer.start();
    }
    // Members that came before this follow made the folder report already: look for them.
    if (offersMembers && newerMembers == NewerMembers::Always)
        settleTimer.start();
}

// The newest member known is the one the last settle found: one that came since makes the
// folder report, and the settle that follows finds it.
void FileFollower::acknowledge()
{
    seen = pending = FileStamp::of(followed);
    seenMember = pendingMember;
    pendingMemberStamp = FileStamp::of(pendingMember);
}

std::string FileFollower::newestMember() const
{
    if (members.empty() || members.back().index <= series.index)
        return {};
    return members.back().name;
}

int FileFollower::settleMilliseconds(const std::string& fileName) const
{
    return fileName == followed ? settleTimer.interval() : kSettleMilliseconds;
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
        job->found = listSeriesMembers(of.prefix, of.suffix, job->stop);
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
    if (!done->stale && done->found != members) {
        members = std::move(done->found);
        emit membersChanged();
    }
    if (again || done->stale) {
        if (again && !series.prefix.empty())
            listFolder();
        return;
    }
    if (!offersMembers)
        return;
    const std::string member = newestMember();
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
    learnPause(pending);
    if (!pendingMember.empty()) {
        pendingMemberStamp = FileStamp::of(pendingMember);
        watch(pendingMember, true);
    }
    settleTimer.start();
}

// The pause is the time between the last write before the settle and the first after it, by the
// file's modification times. A file truncated, replaced or rewritten with another end began a
// new version instead; a pause too long to wait for says nothing of the writer's pace.
void FileFollower::learnPause(const FileStamp& now)
{
    if (!settledEnding.stamp.exists || now == settledEnding.stamp)
        return;
    const FileEnding before = std::exchange(settledEnding, FileEnding());
    if (now.device != before.stamp.device || now.inode != before.stamp.inode ||
        now.size < before.stamp.size ||
        (now.size == before.stamp.size && FileEnding::of(followed).tail != before.tail))
        return;
    const qint64 pause = (now.modified - before.stamp.modified) / 1000000;
    if (pause >= kLongestSettleMilliseconds || pause <= longestPause)
        return;
    longestPause = pause;
    settleTimer.setInterval(static_cast<int>(
        std::clamp<qint64>(pause * 2, kSettleMilliseconds, kLongestSettleMilliseconds)));
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
    const FileEnding ending = FileEnding::of(followed);
    settledEnding = ending.stamp == now ? ending : FileEnding();
    if (now != seen) {
        seen = now;
        if (now.exists)
            emit changed();
        else
            emit vanished();
    }
    // The members are listed for the timeline even when no newer one is offered.
    if (!series.prefix.empty())
        listFolder();
}
