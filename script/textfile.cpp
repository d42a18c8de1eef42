#include "script/textfile.h"

#include <QFile>
#include <QFileInfo>

std::optional<std::string> readTextFile(const std::string& path, long long maxBytes)
{
    const QString name = QFile::decodeName(path.c_str());
    if (!QFileInfo(name).isFile())
        return std::nullopt;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = file.size();
    if (size > maxBytes)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    if (got < 0)
        return std::nullopt;
    // The file may have shrunk while it was read (a dump still being written).
    bytes.resize(static_cast<std::size_t>(got));
    return bytes;
}
