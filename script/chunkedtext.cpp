#include "script/chunkedtext.h"

#include "script/textfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

bool ChunkedText::open(const std::string& path, std::size_t blockBytes)
{
    // Unbuffered: blocks go straight into the buffer, with no copy through QFile's own.
    if (!openRegularFile(file, path, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    this->blockBytes = std::max<std::size_t>(blockBytes, 1);
    descriptor = file.handle();
    stamp = FileStamp::ofOpen(descriptor);
    opened = stamp.size;
    unread = opened;
    allIn = false;
    return true;
}

void ChunkedText::openPart(const ChunkedText& whole, qint64 partBegin, qint64 partEnd,
                           std::size_t partBlockBytes)
{
    descriptor = whole.descriptor;
    blockBytes = std::max<std::size_t>(partBlockBytes, 1);
    stamp = whole.stamp;
    begin = partBegin;
    opened = partEnd;
    unread = partEnd - partBegin;
    allIn = false;
}

qint64 ChunkedText::readAt(qint64 place, char* into, qint64 bytes) const
{
    for (;;) {
        const ssize_t got = ::pread(descriptor, into, static_cast<std::size_t>(bytes), place);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

qint64 ChunkedText::lineStartFrom(qint64 at) const
{
    char window[1 << 16];
    for (qint64 place = at - 1; place < opened;) {
        const qint64 got = readAt(
            place, window, std::min<qint64>(static_cast<qint64>(sizeof window), opened - place));
        if (got <= 0)
            break;
        const void* lineFeed = std::memchr(window, '\n', static_cast<std::size_t>(got));
        if (lineFeed)
            return place + (static_cast<const char*>(lineFeed) - window) + 1;
        place += got;
    }
    return opened;
}

bool ChunkedText::readMore(std::size_t consumed)
{
    if (allIn)
        return false;
    buffer.erase(0, consumed);
    const std::size_t kept = buffer.size();
    const std::size_t wanted =
        std::min(std::max(blockBytes, kept), static_cast<std::size_t>(unread));
    buffer.resize(kept + wanted);
    const qint64 got =
        wanted > 0 ? readAt(opened - unread, buffer.data() + kept, static_cast<qint64>(wanted)) : 0;
    buffer.resize(kept + static_cast<std::size_t>(std::max<qint64>(got, 0)));
    unread -= std::max<qint64>(got, 0);
    // Reading nothing before the size seen at opening means the file shrank or became unreadable.
    endedEarly = unread > 0 && got <= 0;
    allIn = unread <= 0 || got <= 0;
    if (allIn) {
        complete = buffer.size();
    } else {
        const std::size_t lineFeed = std::string_view(buffer).substr(kept).rfind('\n');
        complete = lineFeed == std::string_view::npos ? complete - consumed : kept + lineFeed + 1;
    }
    return true;
}

bool ChunkedText::readWhole(const std::string& path) const
{
    return !endedEarly && FileStamp::of(path) == stamp;
}
