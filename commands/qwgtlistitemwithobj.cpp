#include "commands/qwgtlistitemwithobj.h"

#include "model/paintobject.h"
#include "storage/cellpool.h"

namespace
{

// Never destroyed: the list may free its entries after static destruction has begun.
CellPool& entryPool()
{
    static CellPool* const pool = new CellPool(sizeof(QwgtListItemWithObj));
    return *pool;
}

} // namespace

QwgtListItemWithObj::QwgtListItemWithObj(paintObject* object, QListWidget* list)
    : QListWidgetItem(nullptr, UserType), object(object)
{
    list->insertItem(list->count(), this);
}

QVariant QwgtListItemWithObj::data(int role) const
{
    switch (role) {
    case Qt::DisplayRole:
        return object->briefText();
    case Qt::DecorationRole:
        return object->icon();
    default:
        return QListWidgetItem::data(role);
    }
}

// A class derived from the entry may be larger than the pool's cells.
void* QwgtListItemWithObj::operator new(std::size_t bytes)
{
    return bytes == sizeof(QwgtListItemWithObj) ? entryPool().allocate() : ::operator new(bytes);
}

void QwgtListItemWithObj::operator delete(void* memory, std::size_t bytes)
{
    if (bytes == sizeof(QwgtListItemWithObj))
        entryPool().release(memory);
    else
        ::operator delete(memory);
}
