#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

class QAction;

// Keeps the user's commands from the window while something they must not see half done is under
// way (a file loading, the explorer filling): clicks, keys, the wheel, shortcuts, context menus
// and drops are dropped, except on one exempt widget (a Cancel button's box) and for the passing
// actions, and Esc calls the given function. Repaints, resizes and pointer moves go on, and
// releases of a button pressed before go through.
class InputHold : public QObject
{
    Q_OBJECT

public:
    explicit InputHold(QObject* parent = nullptr);
    ~InputHold() override;

    // The widget (and its children) that still takes input while held.
    void setExempt(QWidget* widget) { exempt = widget; }
    // Called on Esc while held; without it, Esc is dropped like any key.
    void setOnEscape(std::function<void()> call) { onEscape = std::move(call); }
    // Commands that still run while held, by their keys, because they act only on what is shown
    // (moving the view while another drawing loads), and the widget whose wheel turns still
    // reach it. The actions and the widget outlive the hold.
    void setPassing(const QList<QAction*>& actions, QWidget* wheelTarget);

    // Starts holding, with a busy pointer when asked; again while held changes nothing.
    void hold(bool busyCursor);
    void release();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the event reaches one of the passing actions or the passing wheel's widget.
    bool passes(QObject* watched, const QEvent* event) const;

    QPointer<QWidget> exempt;
    QList<QAction*> passingActions;
    QPointer<QWidget> passingWheel;
    std::function<void()> onEscape;
    bool held = false;
    bool cursorSet = false;
};
