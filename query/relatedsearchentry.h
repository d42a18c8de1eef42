#pragma once

#include <QString>

class QListWidget;
class QListWidgetItem;

// An entry of the explorer's related list. A search of many conditions is shown shortened, with
// its length: the list would lay out, and measure at every repaint, the whole text of one line,
// seconds for a few megabytes. The whole search is kept in the entry for running it.
class RelatedSearchEntry
{
public:
    // Longer searches show this many characters and their length.
    static constexpr qsizetype kShownCharacters = 200;

    static void append(QListWidget* list, const QString& search);
    // The whole search of an entry; an entry made otherwise runs its text.
    static QString searchOf(const QListWidgetItem& item);
};
