#include "model/objectdescription.h"

#include "model/vertexlist.h"

#include <algorithm>
#include <limits>

QString ObjectDescription::text() const
{
    return firstLines(std::numeric_limits<qsizetype>::max());
}

QString ObjectDescription::firstLines(qsizetype maxLines) const
{
    QString text;
    qsizetype lines = 0;
    // Begins the next line; false once maxLines lines are there.
    const auto nextLine = [&] {
        if (lines >= maxLines)
            return false;
        if (lines++ > 0)
            text += QLatin1Char('\n');
        return true;
    };
    for (const QString& line : lead) {
        if (!nextLine())
            return text;
        text += line;
    }
    // The vertices came from a record's int count, so every index fits an int.
    for (qsizetype i = 0; i < vertices.size(); ++i) {
        if (!nextLine())
            return text;
        appendVertexLine(text, static_cast<int>(i), vertices[i]);
    }
    if (properties.isEmpty() && !nextLine())
        return text;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        if (!nextLine())
            return text;
        text += it.key();
        text += QLatin1Char('=');
        text += it.value();
    }
    if (comments.isEmpty() && !nextLine())
        return text;
    for (const QString& comment : comments) {
        if (!nextLine())
            return text;
        text += comment;
    }
    return text;
}

qsizetype ObjectDescription::lineCount() const
{
    return lead.size() + vertices.size() + std::max<qsizetype>(properties.size(), 1) +
           std::max<qsizetype>(comments.size(), 1);
}
