#pragma once

#include "model/objectdescription.h"

#include <QString>
#include <QTextEdit>

#include <optional>

class QAction;

// The explorer's description box. A description of any length shows at once: laying out text
// costs time with every line and grows with the square of a line's length, so the box shows the
// first lines, long ones cut short, and then a line that says how many lines are not shown. Only
// those first lines are built, so a description of millions of lines shows as fast as a short
// one. The whole description stays one copy away, built when copied: "Copy Full Description"
// (context menu, Ctrl+Shift+C), or copying with everything selected. The box is read-only but
// selectable; text set into it any other way is shown and copied as a plain text edit would.
class DescriptionBox : public QTextEdit
{
    Q_OBJECT

public:
    explicit DescriptionBox(QWidget* parent = nullptr);

    // Shows the description (as plain text) and keeps it for copying.
    void showDescription(const ObjectDescription& shown);
    // The text of the description shown now, whole (built on each call); empty once the box's
    // text was changed in any other way.
    QString fullDescription() const;
    // Puts fullDescription() on the clipboard.
    void copyFullDescription() const;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    QMimeData* createMimeDataFromSelection() const override;

private:
    // Forgets the description when the text changes other than through showDescription().
    void forgetDescription();

    std::optional<ObjectDescription> description;
    // Whether the box shows only part of the description.
    bool shortened = false;
    QAction* copyFullAction = nullptr;
};
