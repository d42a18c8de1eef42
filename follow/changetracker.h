#pragma once

#include "model/changeset.h"
#include "model/drawingmodel.h"

#include <QObject>

#include <cstddef>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

// Show Changes (View menu, key D): while it is on, each load is compared with the file shown
// before it, record by record (see ChangeSet), and the canvas marks what was added and outlines
// what was removed; the status bar says "+A −R since FILE", and the List Menu lists either side.
// Of the previous file only the record hashes and the removed objects are kept. Off, nothing is
// painted differently and a load only loads; the last comparison is kept, unshown, until then.
class ChangeTracker : public QObject
{
    Q_OBJECT

public:
    // Made once the explorer's List Menu exists: adds "Added Objects" and "Removed Objects" to it,
    // and the summary to the status bar.
    explicit ChangeTracker(QMainWindow* window);

    // What a load compares the new file with, taken on the GUI thread as each load starts (from
    // the drawing shown, so that a dropped load changes nothing), and what the comparison found,
    // worked out on the thread that loads: with Show Changes off, nothing.
    struct Comparison {
        bool tracking = false;
        bool compared = false;
        std::string previousName;
        // `after` is filled by the load itself, one hash per object it made.
        ChangeSet::Hashes before, after;
        std::vector<std::size_t> removed, added;
        // Once the new file is loaded whole: when there is a previous file, compares the two.
        void compare();
    };
    Comparison prepare() const;
    // Once the drawing model adopted the loaded file (`discarded` is what it replaced): the
    // removed objects are taken from what was discarded, the added ones marked, and the new
    // file's hashes kept for the next load. Nothing is shown when the load failed.
    void adopt(Comparison& comparison, DrawingModel::Discarded& discarded, bool loaded,
               const std::string& fileName);
    void addViewMenuEntry(QMenu* menu) const;

    QAction* showChangesAction = nullptr;
    // "+A −R since FILE"; hidden while there is nothing to compare.
    QLabel* summaryLabel = nullptr;

private:
    void setShown(bool shown);
    // Takes the current file's records as what the next load is compared with; false when they
    // do not match the drawing (the file changed since it was read, or cannot be read).
    bool takeBaseline();
    void showSummary();
    // Empties the explorer when it lists a side of the changes, which are about to go.
    void unlistChanges() const;
    void listSide(bool added) const;

    // The file that the drawing's record hashes come from; empty when there are none.
    std::string baselineName;
    bool hasBaseline = false;
};
