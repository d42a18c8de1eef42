#pragma once

#include "script/filestamp.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <thread>

// Watches the open file and its folder, and reports what happened to them once things have
// settled: new content (written in place, or another file renamed over it), the file gone, or a
// newer member of its numbered series. A file that is still being written keeps changing, so
// only a state that stayed the same for kSettleMilliseconds is reported, and each state once.
class FileFollower : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSettleMilliseconds = 300;

    explicit FileFollower(QObject* parent = nullptr);
    // Stops a listing of the folder still running and waits for its thread.
    ~FileFollower() override;

    // Watches the file named by these bytes; what it holds now counts as seen, or, when given,
    // the state it was in when the drawing shown was read (a change since is reported once it has
    // settled). Series members are offered only when none newer than it exists now. An empty name
    // stops watching.
    void follow(const std::string& fileName, const std::optional<FileStamp>& shown = {});
    // Takes the file and the series as they are now as seen: nothing is reported until they
    // change again.
    void acknowledge();
    // How many times the folder has been listed for series members since the start.
    std::size_t folderListings() const { return listingCount; }
    // The newest member of the followed file's series that is newer than it, when following
    // began; empty when there was none, or when the file is no series member.
    const std::string& newestWhenFollowed() const { return newestAtOpen; }
    // The same as the folder holds it now: a listing on the GUI thread, for a user's choice.
    std::string newestMemberNow() const;

signals:
    // The file has new content, or has come back after it was gone.
    void changed();
    void vanished();
    // The newest member of the series, newer than the followed file, has settled.
    void newerMemberReady(const QByteArray& fileName);
    // Sent by a listing's thread as it ends, delivered on the GUI thread.
    void listingEnded();

private:
    // The series of the followed file, as a listing reads it.
    struct Series {
        std::string prefix, suffix;
        qint64 index = 0;
    };
    // One listing of the folder on a thread of its own; docs/DESIGN.md, "Threads".
    struct Listing {
        std::thread thread;
        std::atomic<bool> stop{false};
        // Set by the thread once it has done with the listing.
        std::atomic<bool> ended{false};
        std::string newest;
        // GUI thread only: the series it was made for is no longer followed.
        bool stale = false;
    };
    // The member of the series with the largest index above its own; empty when there is none,
    // or when the stop flag was set. Reads only the folder's names: only a name of the series
    // is looked at further, to know it is a regular file.
    static std::string newestMember(const Series& series, const std::atomic<bool>& stop);
    // Lists the folder on a thread, or once the running listing has ended.
    void listFolder();
    // On the GUI thread: takes the ended listing's result and reports the member once settled.
    void takeListing();
    // Something moved in the folder or the file: the settling starts again from now.
    void noteActivity();
    // The settle time has passed: report what stayed as it was, or wait again.
    void settle();
    // Adds the path to the watcher if it exists; anew: also when the watcher holds it already.
    void watch(const std::string& name, bool anew);

    QFileSystemWatcher watcher;
    QTimer settleTimer;
    std::string followed;
    // The followed name is prefix + index + suffix; empty prefix when not a member.
    Series series;
    // Whether a member newer than the followed file may be offered: none existed when following
    // began.
    bool offersMembers = false;
    // The state last reported or acknowledged, and the one the running settle started from.
    FileStamp seen, pending;
    std::string seenMember, pendingMember;
    // The newest member when following began: one there means no newer one is offered.
    std::string newestAtOpen;
    FileStamp pendingMemberStamp;
    std::unique_ptr<Listing> listing;
    // A settle asked for a listing while one was running.
    bool listAgain = false;
    std::size_t listingCount = 0;
};
