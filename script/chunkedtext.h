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

    // The complete lines read and not yet dropped; everything left once the file is all in.
    std::string_view text() const { return std::string_view(buffer).substr(0, complete); }
    // Drops the first `consumed` bytes of text() and reads the next block, or as many bytes as
    // are kept if that is more: a reader that runs again over the text it kept, until a long line
    // is all in, then reads each byte a bounded number of times. False, with nothing changed,
    // once the file is all in.
    bool readMore(std::size_t consumed);
    // The bytes read from the file so far.
    qint64 bytesRead() const { return opened - unread; }
    // The file as it was when opened.
    const FileStamp& openedStamp() const { return stamp; }
    // Whether what was read is one whole version of the file the path names: the file ended no
    // earlier than its size at opening, and the path still names it unchanged (not replaced,
    // written, truncated or grown since it was opened).
    bool readWhole(const std::string& path) const;

private:
    QFile file;
    std::size_t blockBytes = 1;
    // The size seen at opening, and that less what has been read.
    qint64 opened = 0;
    qint64 unread = 0;
    bool allIn = true;
    bool endedEarly = false;
    FileStamp stamp;
    std::string buffer;
    // The length of text(): up to the last line feed, or all of buffer once allIn.
    std::size_t complete = 0;
};
