#pragma once

#include "script/filestamp.h"

#include <QFile>

#include <string>
#include <string_view>

// A file read one block at a time by a reader that consumes it from the front, so that only the
// unconsumed rest of the last block or two is in memory. Until the whole file is in, text() ends
// after the last line feed read: a reader never sees part of a line as if it were all of it.
//
// The file is read up to the size it had when opened (a dump still being written is read as it
// was then); one that shrinks or fails while being read ends where the reading stopped.
class ChunkedText
{
public:
    // False, with nothing to read, when the path is no regular file or cannot be opened.
    bool open(const std::string& path, std::size_t blockBytes);
    // Reads the bytes [begin, end) of the file that `whole` has open, as open() reads a whole
    // file, each block read at its place (so that several threads may read parts of one open
    // file, each with a ChunkedText of its own). `whole` must stay open meanwhile; `end` is at most
    // its size at opening.
    void openPart(const ChunkedText& whole, qint64 begin, qint64 end, std::size_t blockBytes);

    // The complete lines read and not yet dropped; everything left once the file is all in.
    std::string_view text() const { return std::string_view(buffer).substr(0, complete); }
    // Drops the first `consumed` bytes of text() and reads the next block, or as many bytes as
    // are kept if that is more: a reader that runs again over the text it kept, until a long line
    // is all in, then reads each byte a bounded number of times. False, with nothing changed,
    // once the file is all in.
    bool readMore(std::size_t consumed);
    // The bytes read from the file (or the part) so far.
    qint64 bytesRead() const { return (opened - begin) - unread; }
    // The place in the file of text()'s byte at `position`.
    qint64 offsetOf(std::size_t position) const
    {
        return opened - unread - static_cast<qint64>(buffer.size() - position);
    }
    // The first place at or after `at` (at least 1) where a line starts: right after a line feed,
    // or the size at opening when no line feed follows. Reads the file there, not the text.
    qint64 lineStartFrom(qint64 at) const;
    // The file as it was when opened.
    const FileStamp& openedStamp() const { return stamp; }
    // Whether what was read is one whole version of the file the path names: the file ended no
    // earlier than its size at opening, and the path still names it unchanged (not replaced,
    // written, truncated or grown since it was opened).
    bool readWhole(const std::string& path) const;
    // Whether the file ended before the end seen at opening: it shrank, or failed, while read.
    bool endedShort() const { return endedEarly; }

private:
    // Reads at the place, into `into`; what read() gives (-1 on an error).
    qint64 readAt(qint64 place, char* into, qint64 bytes) const;

    QFile file;
    // The descriptor read from: the file's own, or that of the ChunkedText this reads a part of.
    int descriptor = -1;
    std::size_t blockBytes = 1;
    // The first byte read, the end of what is read (the size seen at opening for a whole file),
    // and that end less what has been read.
    qint64 begin = 0;
    qint64 opened = 0;
    qint64 unread = 0;
    bool allIn = true;
    bool endedEarly = false;
    FileStamp stamp;
    std::string buffer;
    // The length of text(): up to the last line feed, or all of buffer once allIn.
    std::size_t complete = 0;
};
