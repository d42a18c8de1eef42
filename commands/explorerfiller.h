#pragma once

#include "app/inputhold.h"

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <vector>

class QListWidget;
class paintObject;

// Fills the explorer list with the entries of many objects without keeping the window waiting:
// the first kFirstChunk entries at once, the rest kChunk at a time from the event loop. The user's
// commands are held until the list is whole, so that none sees it half filled. A million entries
// take about a tenth of a second in all, and no event more than a few milliseconds of it.
class ExplorerFiller : public QObject
{
    Q_OBJECT

public:
    // Few enough to go in with whatever the command emptied the list of; then larger chunks, each
    // interleaved with a batch of the view's layout.
    static constexpr std::size_t kFirstChunk = 20000;
    static constexpr std::size_t kChunk = 100000;

    // Fills the list, whose child it becomes.
    explicit ExplorerFiller(QListWidget* list);

    // Appends an entry for each object, in order, to the list, which is empty.
    void fill(std::vector<paintObject*> objects);
    // Drops the entries not appended yet, and returns the objects of those that were: what the
    // list holds, without asking it entry by entry.
    std::vector<paintObject*> cancel();
    bool busy() const { return next < objects.size(); }

private:
    void appendChunk();

    QListWidget* list;
    // The objects being listed, and how many of them have their entries.
    std::vector<paintObject*> objects;
    std::size_t next = 0;
    QTimer chunkTimer;
    InputHold inputHold;
};
