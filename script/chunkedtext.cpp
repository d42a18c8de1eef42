#include "script/chunkedtext.h"

#include "script/textfile.h"

#include <algorithm>

bool ChunkedText::open(const std::string& path, std::size_t blockBytes)
{
    // Unbuffered: blocks go straight into the buffer, with no copy through QFile's own.
    if (!openRegularFile(file, path, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return false;
    this->blockBytes = std::max<std::size_t>(blockBytes, 1);
    stamp = FileStamp::ofOpen(file.handle());
    opened = stamp.size;
    unread = opened;
    allIn = false;
    return true;
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
        wanted > 0 ? file.read(buffer.data() + kept, static_cast<qint64>(wanted)) : 0;
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
