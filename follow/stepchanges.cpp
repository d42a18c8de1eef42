#include "follow/stepchanges.h"

#include "model/changeset.h"
#include "model/drawingmodel.h"
#include "script/textfile.h"

#include <algorithm>
#include <new>
#include <numeric>

#include <pthread.h>
#include <sched.h>

namespace
{

// The counting yields to every other thread of the system: the loads and painting of the steps
// it describes come first.
void lowerPriority()
{
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
}

} // namespace

StepChanges::StepChanges(QObject* parent) : QObject(parent)
{
    // Small members are counted by the thousand a second: the counts reach the bars in batches,
    // at most one every kDeliveryMs, so that the GUI thread spends little on them.
    deliveryTimer.setSingleShot(true);
    deliveryTimer.setInterval(kDeliveryMs);
    connect(&deliveryTimer, &QTimer::timeout, this, &StepChanges::take);
    connect(
        this, &StepChanges::counted, this,
        [this] {
            if (!deliveryTimer.isActive())
                deliveryTimer.start();
        },
        Qt::QueuedConnection);
}

StepChanges::~StepChanges()
{
    if (job) {
        job->progress.stop.store(true, std::memory_order_relaxed);
        job->thread.join();
    }
}

void StepChanges::setMembers(const std::vector<SeriesMember>& series, std::size_t from)
{
    startAt = from;
    if (series == members)
        return;
    members = series;
    // Indices are never negative, so a difference of neighbours fits the unsigned type.
    stride = 0;
    for (std::size_t i = 1; i < members.size(); ++i)
        stride = std::gcd(stride, quint64(members[i].index) - quint64(members[i - 1].index));
    stride = std::max<quint64>(stride, 1);
    std::map<Pair, StepCount> kept;
    for (std::size_t i = 1; i < members.size(); ++i) {
        const auto found = known.find({members[i - 1].name, members[i].name});
        if (found != known.end())
            kept.insert(*found);
    }
    known.swap(kept);
    if (job) {
        stop();
        startAgain = true;
    } else {
        start();
    }
}

quint64 StepChanges::missingBefore(std::size_t position) const
{
    if (position == 0)
        return 0;
    const quint64 apart = quint64(members[position].index) - quint64(members[position - 1].index);
    return apart == 0 ? 0 : apart / stride - 1;
}

void StepChanges::setActive(bool on)
{
    active = on;
    if (!on)
        stop();
    else if (job)
        startAgain = true;
    else
        start();
}

void StepChanges::note(const std::string& previous, const std::string& name, const StepCount& count)
{
    known[{previous, name}] = count;
    emit countsChanged();
}

std::optional<StepCount> StepChanges::count(std::size_t position) const
{
    if (position == 0 || position >= members.size())
        return std::nullopt;
    const auto found = known.find({members[position - 1].name, members[position].name});
    if (found == known.end())
        return std::nullopt;
    return found->second;
}

void StepChanges::stop()
{
    startAgain = false;
    if (job)
        job->progress.stop.store(true, std::memory_order_relaxed);
}

// From the member shown on to the last, then from the first: what a play reaches next is counted
// first.
void StepChanges::start()
{
    if (!active || job || members.size() < 2)
        return;
    std::vector<Pair> pairs;
    const std::size_t n = members.size();
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (startAt + k) % n;
        if (i > 0 && !known.count({members[i - 1].name, members[i].name}))
            pairs.emplace_back(members[i - 1].name, members[i].name);
    }
    if (pairs.empty())
        return;
    job = std::make_unique<Job>();
    job->types = DrawingModel::emptyLike(*DrawingModel::instance());
    job->pairs = std::move(pairs);
    job->thread = std::thread([this, running = job.get()] {
        run(*running);
        running->ended.store(true, std::memory_order_release);
        emit counted();
    });
}

// A member's hashes serve as the next pair's earlier side, so each file is read once in a run of
// neighbours. A member the thread cannot read, or has no memory for, fails the counts it is part
// of; the thread goes on with the next pair.
void StepChanges::run(Job& job)
{
    lowerPriority();
    std::string hashedName;
    ChangeSet::Hashes hashed;
    // Why the member hashed last could not be: empty when it was.
    QString hashedFailure;
    const auto hash = [&job](const std::string& name, ChangeSet::Hashes& hashes) {
        hashes.clear();
        if (const std::optional<QString> reason = whyNotRegularFile(name))
            return QStringLiteral("%1: %2").arg(displayName(name), *reason);
        try {
            hashes = hashScriptRecords(*job.types, name, nullptr, &job.progress);
        } catch (const std::bad_alloc&) {
            hashes = ChangeSet::Hashes();
            return QStringLiteral("not enough memory to read %1").arg(displayName(name));
        }
        return QString();
    };
    for (const auto& [previous, name] : job.pairs) {
        if (job.progress.stop.load(std::memory_order_relaxed))
            return;
        if (hashedName != previous) {
            hashedFailure = hash(previous, hashed);
            hashedName = previous;
        }
        ChangeSet::Hashes now;
        const QString failure = hash(name, now);
        if (job.progress.stop.load(std::memory_order_relaxed))
            return;
        StepCount count;
        count.failure = !hashedFailure.isEmpty() ? hashedFailure : failure;
        if (count.counted()) {
            std::vector<std::size_t> removed, added;
            ChangeSet::compare(hashed, now, removed, added);
            count.added = added.size();
            count.removed = removed.size();
        }
        bool firstWaiting = false;
        {
            const std::lock_guard<std::mutex> lock(job.mutex);
            job.results.push_back({{previous, name}, count});
            firstWaiting = job.results.size() == 1;
        }
        hashed.swap(now);
        hashedName = name;
        hashedFailure = failure;
        // Counts that wait already have a delivery on its way, which takes them all.
        if (firstWaiting)
            emit counted();
    }
}

void StepChanges::take()
{
    if (!job)
        return;
    std::vector<std::pair<Pair, StepCount>> results;
    {
        const std::lock_guard<std::mutex> lock(job->mutex);
        results.swap(job->results);
    }
    for (auto& [pair, count] : results)
        known[pair] = count;
    if (job->ended.load(std::memory_order_acquire)) {
        job->thread.join();
        job.reset();
        if (std::exchange(startAgain, false))
            start();
    }
    if (!results.empty())
        emit countsChanged();
}
