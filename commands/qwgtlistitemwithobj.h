#pragma once

#include <QListWidgetItem>

class paintObject;

// An Item Explorer entry: the object's icon and brief text, and the object it stands for.
class QwgtListItemWithObj : public QListWidgetItem
{
public:
    // Appends the entry for the object to the list.
    QwgtListItemWithObj(paintObject* object, QListWidget* list);

    // Borrowed from the drawing model; valid until the next load, which empties the list first.
    paintObject* object = nullptr;
};
