#pragma once

#include "model/changeset.h"
#include "model/drawingmodel.h"

#include <QObject>

#include <cstddef>
#include <string>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMainWindow;
class QMenu;

// Show Changes (View menu, key D): while it is on, each reload or step is compared with the
// drawing shown before it (an Open of another file is not), record by record (see ChangeSet), and
// the canvas marks what was added and outlines what was removed; the status bar says "+A −R since
// FILE", and the List Menu lists either side. Of the previous drawing only the record hashes and
// the removed objects are kept. Every load keeps its drawing's record hashes, so that turning Show
// Changes on compares the next load with what is shown, whatever the file on disk has become
// meanwhile. Off, nothing is painted differently; the last comparison is kept, unshown, until the
// next load. The View menu's Changes entries choose how the unchanged objects are drawn (plainly,
// dimmed or not at all) and the colours of the marks, both remembered.
class ChangeTracker : public QObject
{
    Q_OBJECT

public:
    // Made once the explorer's List Menu exists: adds "Added Objects" and "Removed Objects" to it,
    // and the summary to the status bar; gives the drawing model the remembered look and colours.
    explicit ChangeTracker(QMainWindow* window);

    // What a load compares the new file with, taken on the GUI thread as each load starts (from
    // the drawing shown, so that a dropped load changes nothing), and what the comparison found,
    // worked out on the thread that loads: with Show Changes off, nothing. Only a later version
    // of the file shown is compared: the file itself or a member of its series; any other file
    // is shown without a comparison.
    struct Comparison {
        bool tracking = false;
        bool compared = false;
        std::string previousName;
        // `after` is filled by every load itself, one hash per object it made.
        ChangeSet::Hashes before, after;
        std::vector<std::size_t> removed, added;
        // Once the new file is loaded whole: when there is a previous file, compares the two.
        void compare();
    };
    Comparison prepare(const std::string& nextFile) const;
    // Once the drawing model adopted the loaded file (`discarded` is what it replaced): the new
    // file's hashes are kept for the next load and, when it was compared, the removed objects are
    // taken from what was discarded and the added ones marked. Nothing is kept when it failed.
    void adopt(Comparison& comparison, DrawingModel::Discarded& discarded, bool loaded,
               const std::string& fileName);
    void addViewMenuEntry(QMenu* menu) const;

    QAction* showChangesAction = nullptr;
    // The View menu's "Changes" entries: one look of the unchanged objects ("Marks Only",
    // "Dim Unchanged", "Changes Only") and one set of colours are checked at a time.
    QActionGroup* lookGroup = nullptr;
    QActionGroup* colorGroup = nullptr;
    // "+A −R since FILE"; hidden while there is nothing to compare.
    QLabel* summaryLabel = nullptr;

private:
    void setShown(bool shown);
    // Whether the drawing shown has its record hashes (every load through the file loader keeps
    // them; a drawing loaded in place has none).
    bool holdsBaseline() const;
    // Takes the current file's records as what the next load is compared with, for a drawing
    // loaded in place; false when they do not match the drawing (the file changed since it was
    // read, or cannot be read).
    bool takeBaseline();
    void chooseLook(QAction* choice) const;
    void chooseColors(QAction* choice) const;
    void showSummary();
    // Empties the explorer when it lists a side of the changes, which are about to go.
    void unlistChanges() const;
    void listSide(bool added) const;

    // The file that the drawing's record hashes come from; empty when there are none.
    std::string baselineName;
    bool hasBaseline = false;
};
