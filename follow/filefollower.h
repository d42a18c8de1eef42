#pragma once

#include "follow/seriesmembers.h"
#include "script/fileending.h"
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
#include <vector>

// Watches the open file and its folder, and reports what happened to them once things have
// settled: new content (written in place, or another file renamed over it), the file gone, or a
// newer member of its numbered series. A file that is still being written keeps changing, so
// only a state that stayed the same for the settle time is reported, and each state once.
//
// The settle time is kSettleMilliseconds until the file shows a writer that pauses: a state that
// settled and then went on being written in place (grew, or changed and still ends as it did).
// From then on a state must stay the same for twice the longest such pause (pauses vary), at
// most kLongestSettleMilliseconds, while the same file or series is followed.
class FileFollower : public QObject
{
    Q_OBJECT

public:
    static constexpr int kSettleMilliseconds = 300;
    static constexpr int kLongestSettleMilliseconds = FileEnding::kUnfinishedQuietMilliseconds;

    explicit FileFollower(QObject* parent = nullptr);
    // Stops a listing of the folder still running and waits for its thread.
    ~FileFollower() override;

    // Which newer members of the series a follow reports: only when none newer than the file
    // exists now (the user went back to an older member), or the newest whatever exists (Follow
    // Latest reached this member and goes on).
    enum class NewerMembers { WhenNoneNewer, Always };

    // Watches the file named by these bytes; what it holds now counts as seen, or, when given,
    // the state it was in when the drawing shown was read (a change since is reported once it has
    // settled). An empty name stops watching.
    void follow(const std::string& fileName, const std::optional<FileStamp>& shown = {},
                NewerMembers newerMembers = NewerMembers::WhenNoneNewer);
    // Takes the file and the series as they are now as seen: nothing is reported until they
    // change again.
    void acknowledge();
    // How many times the folder has been listed for series members since the start.
    std::size_t folderListings() const { return listingCount; }
    // The members of the followed file's series on disk, in order, as the last listing found
    // them; empty when the file is no member.
    const std::vector<SeriesMember>& seriesMembers() const { return members; }
    // The known member with the largest index above the followed file's; empty when none.
    std::string newestMember() const;
    // How long a state of the file must stay the same to count as settled: what the followed
    // file's writer has shown of its pace, kSettleMilliseconds for any other file.
    int settleMilliseconds(const std::string& fileName) const;

signals:
    // The file has new content, or has come back after it was gone.
    void changed();
    void vanished();
    // The newest member of the series, newer than the followed file, has settled.
    void newerMemberReady(const QByteArray& fileName);
    // A listing found other members than the one before it, or another series is followed.
    void membersChanged();
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
        std::vector<SeriesMember> found;
        // GUI thread only: the series it was made for is no longer followed.
        bool stale = false;
    };
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
    // The followed file changed after it had settled: when the change goes on writing the state
    // that settled, the pause before it is learned.
    void learnPause(const FileStamp& now);

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
    FileStamp pendingMemberStamp;
    // The series' members as last listed; a step within the series keeps them, so that it does
    // not list the folder again.
    std::vector<SeriesMember> members;
    std::unique_ptr<Listing> listing;
    // A settle asked for a listing while one was running.
    bool listAgain = false;
    std::size_t listingCount = 0;
    // The longest pause of the followed file's writer, milliseconds; 0 when none was seen.
    qint64 longestPause = 0;
    // The state that settled last, while no change has come since; empty stamp otherwise.
    FileEnding settledEnding;
};
