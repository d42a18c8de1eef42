#include "commands/qwgtlistitemwithobj.h"

#include "model/paintobject.h"

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
