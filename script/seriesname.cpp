#include "script/seriesname.h"

#include <QByteArray>
#include <QFile>
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
