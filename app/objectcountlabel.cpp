#include "app/objectcountlabel.h"

#include "model/drawingmodel.h"
#include "model/paintobject.h"

#include <QEvent>

ObjectCountLabel::ObjectCountLabel(QWidget* parent) : QLabel(parent)
{
    refresh();
}

ObjectCountLabel::~ObjectCountLabel() = default;

void ObjectCountLabel::watch(QWidget* canvas)
{
    canvas->installEventFilter(this);
}

QString ObjectCountLabel::countText(std::size_t shown, std::size_t total, std::size_t dimmed)
{
    QString text = shown == total ? (total == 1 ? QStringLiteral("1 object")
                                                : QStringLiteral("%1 objects").arg(total))
                                  : QStringLiteral("%1 of %2 shown").arg(shown).arg(total);
    if (dimmed > 0)
        text += QStringLiteral(", %1 dimmed").arg(dimmed);
    return text;
}

void ObjectCountLabel::refresh()
{
    const DrawingModel* model = DrawingModel::instance();
    if (model->sceneGeneration == countedGeneration && model->objects.size() == countedTotal)
        return;
    countedGeneration = model->sceneGeneration;
    countedTotal = model->objects.size();
    // A read of two flags an object: a few milliseconds at a million, once per change of the
    // scene, not per frame.
    std::size_t shown = 0;
    std::size_t dimmed = 0;
    for (const paintObject* object : model->objects) {
        shown += object->visible ? 1 : 0;
        dimmed += object->visible && object->dimmed ? 1 : 0;
    }
    setText(countText(shown, countedTotal, dimmed));
}

bool ObjectCountLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint)
        refresh();
    return QLabel::eventFilter(watched, event);
}
