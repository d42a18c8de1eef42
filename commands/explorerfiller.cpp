#include "commands/explorerfiller.h"

#include "commands/qwgtlistitemwithobj.h"

#include <QListWidget>
#include <QSignalBlocker>

#include <algorithm>
#include <utility>

ExplorerFiller::ExplorerFiller(QListWidget* list) : QObject(list), list(list)
{
    chunkTimer.setSingleShot(true);
    chunkTimer.setInterval(0);
    connect(&chunkTimer, &QTimer::timeout, this, &ExplorerFiller::appendChunk);
}

void ExplorerFiller::fill(std::vector<paintObject*> listed)
{
    cancel();
    objects = std::move(listed);
    appendChunk();
}

std::vector<paintObject*> ExplorerFiller::cancel()
{
    chunkTimer.stop();
    inputHold.release();
    objects.resize(next);
    next = 0;
    return std::exchange(objects, {});
}

// The entries go in without a signal each. The view is told by a reset, which the list being
// filled from empty allows (no selection or current entry to keep): after the first chunk, so
// that it shows at once, and after the last. Each reset starts the view's layout of the entries
// anew, which costs more than making them (it asks every entry for its text and icon).
void ExplorerFiller::appendChunk()
{
    const bool first = next == 0;
    const std::size_t end = std::min(objects.size(), next + (first ? kFirstChunk : kChunk));
    {
        const QSignalBlocker quiet(list->model());
        for (std::size_t i = next; i < end; ++i)
            new QwgtListItemWithObj(objects[i], list);
    }
    if (first || end == objects.size())
        list->reset();
    next = end;
    if (busy()) {
        inputHold.hold(false);
        chunkTimer.start();
    } else {
        inputHold.release();
    }
}
