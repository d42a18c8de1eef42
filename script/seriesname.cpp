#include "script/seriesname.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <charconv>

// The pattern is searched, not anchored, and its first group is greedy, so the prefix is all that
// comes before the index: folder, tabs and line breaks included. The name is read in the local
// encoding; a name that is not valid in it is read byte by byte as Latin-1, so that its pieces
// turn back into the same bytes.
bool splitSeriesName(const std::string& name, std::string& prefix, qint64& index,
                     std::string& suffix)
{
    static const QRegularExpression pattern(QStringLiteral("(.*\\.)(\\d+)(\\.las)"),
                                            QRegularExpression::DotMatchesEverythingOption);
    const QByteArray bytes = QByteArray::fromStdString(name);
    QString text = QFile::decodeName(bytes);
    const bool local = QFile::encodeName(text) == bytes;
    if (!local)
        text = QString::fromLatin1(bytes);
    const auto toBytes = [local](const QString& piece) {
        return (local ? QFile::encodeName(piece) : piece.toLatin1()).toStdString();
    };
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    bool fits = false;
    const qint64 number = match.captured(2).toLongLong(&fits, 10);
    if (!fits)
        return false;
    prefix = toBytes(match.captured(1));
    index = number;
    suffix = toBytes(match.captured(3));
    return true;
}

std::optional<qint64> seriesMemberIndex(std::string_view fileName, std::string_view stem,
                                        std::string_view suffix)
{
    if (fileName.size() <= stem.size() + suffix.size() || fileName.substr(0, stem.size()) != stem ||
        fileName.substr(fileName.size() - suffix.size()) != suffix)
        return std::nullopt;
    const std::string_view digits =
        fileName.substr(stem.size(), fileName.size() - stem.size() - suffix.size());
    if (digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    qint64 index = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return index;
}

bool sameFileOrSeries(const std::string& shown, const std::string& next)
{
    if (shown.empty() || next.empty())
        return false;
    const auto absolute = [](const std::string& name) {
        return QFile::encodeName(
                   QDir::cleanPath(QFileInfo(QFile::decodeName(name.c_str())).absoluteFilePath()))
            .toStdString();
    };
    const std::string from = absolute(shown), to = absolute(next);
    if (from == to)
        return true;
    std::string fromPrefix, fromSuffix, toPrefix, toSuffix;
    qint64 fromIndex = 0, toIndex = 0;
    return splitSeriesName(from, fromPrefix, fromIndex, fromSuffix) &&
           splitSeriesName(to, toPrefix, toIndex, toSuffix) && fromPrefix == toPrefix &&
           fromSuffix == toSuffix;
}
