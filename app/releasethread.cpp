#include "app/releasethread.h"

#include "storage/objectarena.h"

#include <QCoreApplication>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace
{

struct Queue {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::pair<std::function<void()>, ReleaseThread::Memory>> jobs;
    bool ending = false;
    // A job asked for memory to be given back, and it has not been yet.
    bool giveBackPending = false;
    std::thread thread;
};

// Never destroyed: finish() ends the thread before the objects it frees are gone.
Queue& queue()
{
    static Queue* const instance = new Queue;
    return *instance;
}

void giveBack(Queue& shared, std::unique_lock<std::mutex>& held)
{
    shared.giveBackPending = false;
    held.unlock();
    ObjectArena::giveBackSpareBlocks();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    held.lock();
}

void run(Queue& shared)
{
    std::unique_lock<std::mutex> held(shared.lock);
    const auto woken = [&shared] { return shared.ending || !shared.jobs.empty(); };
    for (;;) {
        if (!shared.giveBackPending) {
            shared.wake.wait(held, woken);
        } else if (!shared.wake.wait_for(
                       held, std::chrono::milliseconds(ReleaseThread::kGiveBackAfterMs), woken)) {
            giveBack(shared, held);
            continue;
        }
        if (shared.jobs.empty()) {
            if (shared.giveBackPending)
                giveBack(shared, held);
            return;
        }
        auto [job, memory] = std::move(shared.jobs.front());
        shared.jobs.pop_front();
        held.unlock();
        job();
        job = nullptr;
        held.lock();
        if (memory == ReleaseThread::Memory::GiveBack)
            shared.giveBackPending = true;
    }
}

} // namespace

void ReleaseThread::release(std::function<void()> job, Memory memory)
{
    static const bool endsWithTheProgram = [] {
        // Registered after the drawing model's own exit handler, so it runs before it.
        std::atexit(&ReleaseThread::finish);
        if (QCoreApplication* application = QCoreApplication::instance())
            QObject::connect(application, &QCoreApplication::aboutToQuit, &ReleaseThread::finish);
        return true;
    }();
    Q_UNUSED(endsWithTheProgram);
    Queue& shared = queue();
    const std::lock_guard<std::mutex> held(shared.lock);
    shared.jobs.emplace_back(std::move(job), memory);
    if (!shared.thread.joinable())
        shared.thread = std::thread(run, std::ref(shared));
    shared.wake.notify_one();
}

void ReleaseThread::finish()
{
    Queue& shared = queue();
    std::thread ending;
    {
        const std::lock_guard<std::mutex> held(shared.lock);
        if (!shared.thread.joinable())
            return;
        shared.ending = true;
        ending = std::move(shared.thread);
        shared.wake.notify_one();
    }
    ending.join();
    const std::lock_guard<std::mutex> held(shared.lock);
    shared.ending = false;
}
