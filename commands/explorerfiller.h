#pragma once

#include "app/inputhold.h"

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <vector>

class QListWidget;
class paintObject;

// Fills the explorer list with the entries of many objects without keeping the window waiting:
// the first kChunk entries at once, the rest kChunk at a time from the event loop. The user's
// commands are held until the list is whole, so that none sees it half filled. A million entries
// take about a tenth of a second in all, and no event more than a few milliseconds of it.
class ExplorerFiller : public QObject
{
    Q_OBJECT

public:
    static constexpr std::size_t kChunk = 20000;

    // Fills the list, whose child it becomes.
    explicit ExplorerFiller(QListWidget* list);

    // Appends an entry for each object, in order, to the list, which is empty.
    void fill(std::vector<paintObject*> objects);
    // Drops the entries not appended yet.
    void cancel();
    bool busy() const { return !pending.empty(); }

private:
    void appendChunk();

    QListWidget* list;
    std::vector<paintObject*> pending;
    std::size_t next = 0;
    QTimer chunkTimer;
    InputHold inputHold;
};
