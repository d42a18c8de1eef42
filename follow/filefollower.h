#pragma once

#include "script/filestamp.h"

#include <QByteArray>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <optional>

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

    // Watches the file named by these bytes; what it holds now counts as seen, or, when given,
    // the state it was in when the drawing shown was read (a change since is reported once it has
    // settled). Series members are offered only when none newer than it exists now. An empty name
    // stops watching.
    void follow(const std::string& fileName, const std::optional<FileStamp>& shown = {});
    // Takes the file and the series as they are now as seen: nothing is reported until they
    // change again.
    void acknowledge();

signals:
    // The file has new content, or has come back after it was gone.
    void changed();
    void vanished();
    // The newest member of the series, newer than the followed file, has settled.
    void newerMemberReady(const QByteArray& fileName);

private:
    // The member of the followed file's series with the largest index above its own; empty when
    // there is none, or when the file is no series member.
    std::string newestMember() const;
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
    FileStamp seen, pending;
    std::string seenMember, pendingMember;
    FileStamp pendingMemberStamp;
};
