#pragma once

#include <QListWidgetItem>

#include <cstddef>

class paintObject;

// An Item Explorer entry: the object's icon and brief text, and the object it stands for. The
// text and icon are made from the object when the list asks for them, not kept: a list of a
// million entries then holds little more than the pointers.
class QwgtListItemWithObj : public QListWidgetItem
{
public:
    // Appends the entry for the object to the list.
    QwgtListItemWithObj(paintObject* object, QListWidget* list);

    QVariant data(int role) const override;

    // Entries come from a pool of their own (GUI thread only, as the list is): a listing of
    // millions then costs neither an allocator header each nor the general allocator's work to
    // make and free them one by one.
    static void* operator new(std::size_t bytes);
    static void operator delete(void* memory, std::size_t bytes);

    // Borrowed from the drawing model; valid until the next load, which empties the list first.
    paintObject* object = nullptr;
};
