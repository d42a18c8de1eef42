#pragma once

#include <QColor>
#include <QDockWidget>
#include <QString>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

class DisplayFilter;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QProgressBar;
class QTreeWidget;
class QTreeWidgetItem;

// The "Layers" dock: one row per colour the drawing uses, with its swatch, name, object count and
// a check box that shows or hides the objects of that colour, and above them the display filter's
// field. Colours are hidden by their words: a row stands for one word that resolves to a colour,
// or for every word that resolves to none. The field shows the filter in force, or says that what
// it shows is not in force yet (typed, or unusable); emptying it takes the filter off at once.
class LayersDock : public QDockWidget
{
    Q_OBJECT

public:
    // One row: its name as shown, its colour (invalid for the words that resolve to none), the
    // words it stands for and how many objects have one of them.
    struct Layer {
        QString name;
        QColor color;
        std::vector<std::string> words;
        std::size_t count = 0;
    };
    // The name of the row of the words that resolve to no colour.
    static const QString kNoColorName;
    enum Column { NameColumn, CountColumn };

    // The layers of the drawing, as the controller resolves colours now: named rows in the order
    // of their words, then the row of unresolved words, if any.
    static std::vector<Layer> countLayers();

    explicit LayersDock(QMainWindow* window);
    ~LayersDock() override;

    // The dock's entry (key L) and Display Filter (Ctrl+Shift+F, which shows the dock and puts
    // the cursor in the field).
    void addViewMenuEntries(QMenu* view);
    // After a load: the rows counted anew; the hidden colours and the filter are kept when the
    // investigation is, and dropped otherwise. The caller repaints, once for the whole load.
    void afterLoad(bool kept);

    // Shows or hides the objects of the row's colour, as its check box does.
    void setLayerShown(const QString& name, bool shown);
    void showAll();
    void hideAll();
    void invert();

    QTreeWidget* table() const { return rows; }
    QLineEdit* filterField() const { return field; }
    QCheckBox* dimTheRestBox() const { return dimBox; }
    QLabel* filterProblem() const { return problem; }
    QLabel* filterPending() const { return pending; }
    QProgressBar* filterProgress() const { return progress; }
    DisplayFilter* displayFilter() const { return filter; }

private:
    // The layers counted for the drawing shown, unless they are already.
    void countIfStale();
    void fillRows();
    // Hands the hidden words to the model.
    void handOverHidden();
    // The same, and repaints.
    void applyHidden();
    void rowChanged(QTreeWidgetItem* item, int column);
    void showRowMenu(const QPoint& position);
    // Lists the row's objects that are shown.
    void listRow(const QString& name);
    void focusFilter();
    // Says whether the field's text is unusable, or usable but not the filter in force; an
    // emptied field takes the filter off.
    void fieldEdited(const QString& text);
    void showFieldState();
    // Puts the filter in force back in the field, over text that is not.
    void revertField();
    // Widens the dock to its field's hint and heightens it to show a useful number of rows,
    // where it opened smaller.
    void giveRoom();
    const Layer* layerNamed(const QString& name) const;

    std::vector<Layer> layers;
    bool layersStale = true;
    // The rows hidden, by name: kept across a load, so that a colour hidden stays hidden when
    // the new file still uses it.
    std::set<QString> hiddenNames;
    QTreeWidget* rows = nullptr;
    QLineEdit* field = nullptr;
    QCheckBox* dimBox = nullptr;
    QLabel* problem = nullptr;
    QLabel* pending = nullptr;
    QProgressBar* progress = nullptr;
    DisplayFilter* filter = nullptr;
};
