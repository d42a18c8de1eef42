#include "commands/qwgtlistitemwithobj.h"

#include "model/paintobject.h"

QwgtListItemWithObj::QwgtListItemWithObj(paintObject* object, QListWidget* list)
    : QListWidgetItem(object->icon(), object->briefText()), object(object)
{
    list->insertItem(list->count(), this);
}
