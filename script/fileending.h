#pragma once

#include "script/filestamp.h"

#include <string>

// The last bytes of a file as it is now: what tells a file that a writer is still writing from a
// whole one, when its stamp has stayed the same for a while. A write in progress leaves its last
// line without a line end, or, written over the file in place, leaves the end of the version
// before it as it was; a file truncated and written again is for a while a fraction of that
// version.
struct FileEnding {
    // Enough to hold the last few records of a file, so that two versions rarely end alike.
    static constexpr int kTailBytes = 256;
    // A file that looks unfinished is taken as whole once it has not changed for this long,
    // milliseconds (a file saved without a last line end, or a writer pausing longer).
    static constexpr int kUnfinishedQuietMilliseconds = 3000;

    // The file at the path; empty, with a stamp that does not exist, when it is no regular file.
    static FileEnding of(const std::string& path);

    // The file's last line has no line end.
    bool lineOpen() const { return !tail.empty() && tail.back() != '\n'; }
    // Whether this state of the file looks like a write in progress: its last line has no end,
    // or, compared with `before` (a version read whole earlier) and written in place, it still
    // ends exactly as `before` did though it changed, or it shrank to less than half of it.
    bool looksUnfinished(const FileEnding& before) const;
    // How long the file has not changed, by its modification time; milliseconds.
    qint64 quietMilliseconds() const;

    FileStamp stamp;
    // The last kTailBytes bytes of the file, or all of it when shorter.
    std::string tail;
};
