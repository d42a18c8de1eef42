#pragma once

#include "app/inputhold.h"
#include "model/drawingmodel.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class PreparedQuery;
class Query;

// "Show only what matches": a text of clauses "type:conditions", one per kind and separated by
// ";", each in the conditional pick's query language. An object is shown when its kind has a
// clause and the clause holds for it; every other object is hidden, or drawn dimmed while
// `dimTheRest` is on. The objects are tested through prepared queries a chunk per event, the
// user's input held meanwhile but for the passing view commands and wheel, which act on the
// drawing as shown (Esc cancels, leaving the filter in force as it was), and the outcome goes to
// the drawing model in one change.
class DisplayFilter : public QObject
{
    Q_OBJECT

public:
    // Condition tests per chunk: a few milliseconds' work.
    static constexpr std::size_t kTestsPerChunk = std::size_t(1) << 16;

    explicit DisplayFilter(QObject* parent = nullptr);
    ~DisplayFilter() override;

    // Empty when the text is usable as a filter (an empty text is: it means none); otherwise
    // why not: a kind with two clauses, a condition on a property its kind does not declare
    // (which would never hold, hiding the whole kind), or else the words the conditional pick
    // warns with.
    static QString problemWith(const QString& text);

    // Starts testing the objects against the text, which becomes the filter in force once every
    // object is tested. An unusable text changes nothing and returns false. An empty text takes
    // the filter off at once.
    bool apply(const QString& text);
    void setDimTheRest(bool dim);
    bool dimsTheRest() const { return dim; }
    // The filter in force; empty for none.
    const QString& text() const { return inForce; }
    bool busy() const { return next < objectCount; }
    // Stops a run; the filter in force stays as it was.
    void cancel();
    // The view commands whose keys, and the widget whose wheel, still act during a run.
    void letPass(const QList<QAction*>& actions, QWidget* wheelTarget)
    {
        inputHold.setPassing(actions, wheelTarget);
    }
    // After a load: the filter in force is tested on the new drawing when it is kept and usable
    // there, and dropped otherwise.
    void afterLoad(bool kept);

signals:
    // The filter in force, or what it shows, changed; the canvas has been repainted.
    void changed();
    // A run has tested `tested` of its `total` objects; sent after each chunk while more remain.
    void progressed(std::size_t tested, std::size_t total);
    // Esc stopped a run; the filter in force is as it was.
    void stopped();

private:
    struct Clause;
    // Tests a chunk of the objects; applies the outcome when none is left.
    void testChunk();
    void finish();

    QString inForce;
    bool dim = false;
    // The run: its text, clauses and the objects shown so far, counted over the clauses'
    // objects one after the other.
    QString running;
    std::vector<std::unique_ptr<Clause>> clauses;
    DrawingModel::ObjectList shown;
    std::size_t next = 0;
    std::size_t objectCount = 0;
    QTimer chunkTimer;
    InputHold inputHold;
};
