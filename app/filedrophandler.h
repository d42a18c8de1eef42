#pragma once

#include <QObject>
#include <QString>

class QDropEvent;
class QWidget;

// Lets a widget take one script input dropped on it from a file manager: accepts the drag only
// when it carries exactly one local file whose name ends in ".las" (in any letter case, as the
// desktop's file type matches it) and reports the drop with fileDropped. Other drags are left
// to the widget, so that a main window keeps moving its docks and toolbars.
class FileDropHandler : public QObject
{
    Q_OBJECT

public:
    // Installs itself on the target, which becomes its parent, and makes it accept drops.
    explicit FileDropHandler(QWidget* target);

signals:
    void fileDropped(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The script input the drag carries, or an empty string when it is not one.
    static QString scriptInputOf(const QDropEvent* event);
};
