#include "app/inputhold.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>

InputHold::InputHold(QObject* parent) : QObject(parent)
{
}

InputHold::~InputHold()
{
    release();
}

void InputHold::setPassing(const QList<QAction*>& actions, QWidget* wheelTarget)
{
    passingActions = actions;
    passingWheel = wheelTarget;
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

bool InputHold::passes(QObject* watched, const QEvent* event) const
{
    if (event->type() == QEvent::Shortcut)
        return passingActions.contains(qobject_cast<QAction*>(watched));
    return event->type() == QEvent::Wheel && passingWheel && watched == passingWheel;
}

// A key is first offered as a shortcut override: accepting it keeps every shortcut from firing,
// and the key then comes as a key press, to be dropped. Where some actions pass, the other keys
// go on to the shortcut they name, which reaches its action only when that action passes; Esc is
// always kept from its shortcut, so that it comes as a key press and calls onEscape.
//
// The window system's events reach the top-level window (a QWindow) first, which hands them to the
// widget under the pointer or with the focus: they are judged there, where the exempt Cancel button
// and the passing canvas can be told apart, not at the window, where every one looks alike.
bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    if (watched->isWindowType() && event->type() != QEvent::ShortcutOverride &&
        event->type() != QEvent::Shortcut)
        return false;
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        if (!passingActions.isEmpty() && static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape)
            return false;
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
        if (passes(watched, event))
            return false;
        const auto* widget = qobject_cast<const QWidget*>(watched);
        return !(widget && exempt && (widget == exempt || exempt->isAncestorOf(widget)));
    }
    default:
        return false;
    }
}
