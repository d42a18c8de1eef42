#include "app/inputhold.h"

#include <QApplication>
#include <QKeyEvent>

InputHold::InputHold(QObject* parent) : QObject(parent)
{
}

InputHold::~InputHold()
{
    release();
}

void InputHold::hold(bool busyCursor)
{
    if (held)
        return;
    held = true;
    QCoreApplication::instance()->installEventFilter(this);
    cursorSet = busyCursor;
    if (cursorSet)
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

void InputHold::release()
{
    if (!held)
        return;
    held = false;
    QCoreApplication::instance()->removeEventFilter(this);
    if (cursorSet)
        QApplication::restoreOverrideCursor();
    cursorSet = false;
}

// A key is first offered as a shortcut override: accepting it keeps every shortcut from firing,
// and the key then comes as a key press.
bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (onEscape && key == Qt::Key_Escape) {
            onEscape();
            return true;
        }
        // A modifier alone commands nothing, and its release gets through: the press must too,
        // or the window would take the modifier for still held.
        if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
            key == Qt::Key_Meta || key == Qt::Key_AltGr)
            return false;
    }
        [[fallthrough]];
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop: {
        const auto* widget = qobject_cast<const QWidget*>(watched);
        return !(widget && exempt && (widget == exempt || exempt->isAncestorOf(widget)));
    }
    default:
        return false;
    }
}
