#pragma once

#include <QObject>

#include <string>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

// Show Changes (View menu, key D): while it is on, each load is compared with the file shown
// before it, record by record (see ChangeSet), and the canvas marks what was added and outlines
// what was removed; the status bar says "+A −R since FILE", and the List Menu lists either side.
// Of the previous file only the record hashes and the removed objects are kept. Off, a load is
// loadScript() and nothing else, and nothing is painted differently.
class ChangeTracker : public QObject
{
    Q_OBJECT

public:
    // Made once the explorer's List Menu exists: adds "Added Objects" and "Removed Objects" to it,
    // and the summary to the status bar.
    explicit ChangeTracker(QMainWindow* window);

    // Loads the controller's current file as loadScript() does (false when memory ran out) and,
    // with Show Changes on, works out what changed since the file loaded before.
    bool load();
    void addViewMenuEntry(QMenu* menu) const;

    QAction* showChangesAction = nullptr;
    // "+A −R since FILE"; hidden while there is nothing to compare.
    QLabel* summaryLabel = nullptr;

private:
    void setShown(bool shown);
    // Takes the current file's records as what the next load is compared with; false when they
    // do not match the drawing (the file changed since it was loaded, or cannot be read).
    bool takeBaseline();
    void showSummary();
    // Empties the explorer when it lists a side of the changes, which are about to go.
    void unlistChanges() const;
    void listSide(bool added) const;

    // The file that the drawing's record hashes come from; empty when there are none.
    std::string baselineName;
    bool hasBaseline = false;
};
