#pragma once

#include <QString>
#include <QTextEdit>

class QAction;

// The explorer's description box. A description of any length shows at once: laying out text
// costs time with every line and grows with the square of a line's length, so the box shows the
// first lines, long ones cut short, and then a line that says how many lines are not shown. The
// whole description stays one copy away: "Copy Full Description" (context menu, Ctrl+Shift+C),
// or copying with everything selected. The box is read-only but selectable; text set into it
// any other way is shown and copied as a plain text edit would.
class DescriptionBox : public QTextEdit
{
    Q_OBJECT

public:
    explicit DescriptionBox(QWidget* parent = nullptr);

    // Shows the description (as plain text); an empty one empties the box.
    void showDescription(const QString& text);
    // The description shown now, whole; empty once the box's text was changed in any other way.
    const QString& fullDescription() const { return description; }
    // Puts fullDescription() on the clipboard.
    void copyFullDescription() const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    // Forgets the description when the text changes other than through showDescription().
    void forgetDescription();

    QString description;
    // Whether the box shows only part of the description.
    bool shortened = false;
    QAction* copyFullAction = nullptr;
};
