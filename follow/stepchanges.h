#pragma once

#include "follow/seriesmembers.h"
#include "script/loadscript.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class DrawingModel;

// What one step of a series changed: the objects it added and removed, or why it was not counted
// (a member that could not be read, or no memory to hold it).
struct StepCount {
    std::size_t added = 0;
    std::size_t removed = 0;
    // Empty when counted.
    QString failure;

    bool counted() const { return failure.isEmpty(); }
    std::size_t total() const { return added + removed; }
};

// How many objects each member of a series added and removed since the member before it, compared
// record by record as Show Changes compares a step. The counts of pairs not yet shown are worked
// out on one thread of the lowest priority, one member's file read at a time, so that a step never
// waits for them; docs/DESIGN.md, "Threads". A count is kept for a pair of file names, so that it
// survives members appearing and vanishing around it.
class StepChanges : public QObject
{
    Q_OBJECT

public:
    // The longest a count waits on the GUI thread before the bars show it.
    static constexpr int kDeliveryMs = 100;

    explicit StepChanges(QObject* parent = nullptr);
    // Stops the counting and waits for its thread, which stops within one block of the file read.
    ~StepChanges() override;

    // The members to count, in order; counting starts at `from` and goes round. Counts of pairs no
    // longer neighbours are forgotten.
    void setMembers(const std::vector<SeriesMember>& series, std::size_t from);
    // Counting runs only while active (Show Changes on).
    void setActive(bool on);
    bool isActive() const { return active; }
    // A count found by a step's own comparison.
    void note(const std::string& previous, const std::string& name, const StepCount& count);
    std::size_t memberCount() const { return members.size(); }
    // The member at the position; the position must be below memberCount().
    const SeriesMember& member(std::size_t position) const { return members[position]; }
    // How far apart the numbers of the members are meant to be: the greatest common divisor of
    // the differences of neighbours (1 with fewer than two numbers), so that a series dumped every
    // 100 iterations has no gaps, and one that lacks a member has one.
    quint64 numberStride() const { return stride; }
    // How many numbers, at numberStride() apart, are missing between the member at the position
    // and the one before it; 0 for the first member. The position must be below memberCount().
    quint64 missingBefore(std::size_t position) const;
    // The count of the member at the position, or why it has none; none for the first member and
    // while not counted yet.
    std::optional<StepCount> count(std::size_t position) const;
    // Whether the background counting is running now.
    bool counting() const { return job != nullptr; }

signals:
    // Sent by the counting thread when a count waits where none waited, and as it ends; delivered
    // on the GUI thread, where it starts the delivery timer.
    void counted();
    // New counts are known: at most once every kDeliveryMs while counting runs.
    void countsChanged();

private:
    using Pair = std::pair<std::string, std::string>;
    struct Job {
        std::thread thread;
        // The types whose records count, as the drawing model makes objects of them.
        std::unique_ptr<DrawingModel> types;
        std::vector<Pair> pairs;
        LoadProgress progress;
        std::atomic<bool> ended{false};
        std::mutex mutex;
        // Guarded by the mutex: counts not yet taken by the GUI thread.
        std::vector<std::pair<Pair, StepCount>> results;
    };
    // The counting thread's work; sends counted() after each count. A member that cannot be read
    // or held gives its pairs a failure instead of a count, and the thread goes on.
    void run(Job& job);
    // Starts counting the pairs not known yet, unless a count runs or there is nothing to count.
    void start();
    // On the GUI thread: takes the counts made so far; joins an ended thread.
    void take();
    void stop();

    std::vector<SeriesMember> members;
    quint64 stride = 1;
    std::size_t startAt = 0;
    bool active = false;
    std::map<Pair, StepCount> known;
    std::unique_ptr<Job> job;
    // The members changed while a count ran: start again once it has ended.
    bool startAgain = false;
    // Takes the waiting counts when it times out.
    QTimer deliveryTimer;
};
