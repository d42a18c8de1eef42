#pragma once

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <string>

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

    // Watches the file named by these bytes; what it holds now counts as seen, and series members
    // are offered only when none newer than it exists now. An empty name stops watching.
    void follow(const std::string& fileName);
    // Takes the file and the series as they are now as seen: nothing is reported until they
    // change again.
    void acknowledge();
    // The member of the followed file's series with the largest index above its own; empty when
    // there is none, or when the file is no series member.
    std::string newestMember() const;

signals:
    // The file has new content, or has come back after it was gone.
    void changed();
    void vanished();
    // The newest member of the series, newer than the followed file, has settled.
    void newerMemberReady(const QByteArray& fileName);

private:
    // What tells one state of a file from another: a rename over it changes the inode, a write
    // in place the size or the modification time (nanoseconds).
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        qint64 modified = 0;
        quint64 inode = 0;
        bool operator==(const Stamp& other) const;
        bool operator!=(const Stamp& other) const { return !(*this == other); }
    };
    static Stamp stampOf(const std::string& name);
    // Something moved in the folder or the file: the settling starts again from now.
    void noteActivity();
    // The settle time has passed: report what stayed as it was, or wait again.
    void settle();
    // Adds the path to the watcher if it exists; anew: also when the watcher holds it already.
    void watch(const std::string& name, bool anew);

    QFileSystemWatcher watcher;
    QTimer settleTimer;
    std::string followed;
    // The series: the followed name is prefix + index + suffix; empty prefix when not a member.
    std::string seriesPrefix, seriesSuffix;
    qint64 seriesIndex = 0;
    // Whether a member newer than the followed file may be offered: none existed when following
    // began.
    bool offersMembers = false;
    // The state last reported or acknowledged, and the one the running settle started from.
    Stamp seen, pending;
    std::string seenMember, pendingMember;
    Stamp pendingMemberStamp;
};
