#pragma once

#include <QList>
#include <QMap>
#include <QPointF>
#include <QString>
#include <QStringList>

// An object's description as the parts it is made of, copied out of the object so that it stays
// whole after the object is gone (a reload keeps what the description box shows). Its lines, in
// order: the lead (the kind's header line and coordinate lines), one "[%2d] %f %f" line per
// vertex, the properties as "name=value" in name order (one empty line when there are none), the
// comments (one empty line when there are none). Copying one is cheap: its parts are implicitly
// shared.
//
// Names, values and comments hold no line feed (each comes from one record line), so lineCount()
// is a sum of counts, and firstLines() builds only the lines it returns: a view that shows the
// start of a description of millions of lines takes as long as for a short one.
class ObjectDescription
{
public:
    // The whole text: the lines joined with "\n". Time and memory grow with its length.
    QString text() const;
    // The first maxLines lines of text(), without the line feed after the last of them; the
    // whole text when it has no more lines. Time grows with maxLines, not with the description.
    QString firstLines(qsizetype maxLines) const;
    // The number of lines of text(): its line feeds plus one.
    qsizetype lineCount() const;

    // Each line without its line feed.
    QStringList lead;
    // World units, listed after the lead with their index from 0.
    QList<QPointF> vertices;
    QMap<QString, QString> properties;
    QStringList comments;
};
