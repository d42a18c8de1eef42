#include "commands/explorerfiller.h"

#include "commands/qwgtlistitemwithobj.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>

ExplorerFiller::ExplorerFiller(QListWidget* list) : QObject(list), list(list)
{
    chunkTimer.setSingleShot(true);
    chunkTimer.setInterval(0);
    connect(&chunkTimer, &QTimer::timeout, this, &ExplorerFiller::appendChunk);
}

void ExplorerFiller::fill(std::vector<paintObject*> objects)
{
    cancel();
    pending = std::move(objects);
    appendChunk();
}

void ExplorerFiller::cancel()
{
    chunkTimer.stop();
    pending.clear();
    pending.shrink_to_fit();
    next = 0;
    inputHold.release();
}

// The entries go in without a signal each; the view is told once per chunk, by a reset, which
// the list being filled from empty allows (no selection or current entry to keep).
void ExplorerFiller::appendChunk()
{
    const std::size_t end = std::min(pending.size(), next + kChunk);
    {
        const QSignalBlocker quiet(list->model());
        for (std::size_t i = next; i < end; ++i)
            new QwgtListItemWithObj(pending[i], list);
    }
    list->reset();
    next = end;
    if (next < pending.size()) {
        inputHold.hold(false);
        chunkTimer.start();
    } else {
        cancel();
    }
}
