#include "app/releasethread.h"

#include <QCoreApplication>

#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

namespace
{

struct Queue {
    std::mutex lock;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    bool ending = false;
    std::thread thread;
};

// Never destroyed: finish() ends the thread before the objects it frees are gone.
Queue& queue()
{
    static Queue* const instance = new Queue;
    return *instance;
}

void run(Queue& shared)
{
    std::unique_lock<std::mutex> held(shared.lock);
    for (;;) {
        shared.wake.wait(held, [&shared] { return shared.ending || !shared.jobs.empty(); });
        if (shared.jobs.empty())
            return;
        std::function<void()> job = std::move(shared.jobs.front());
        shared.jobs.pop_front();
        held.unlock();
        job();
        job = nullptr;
        held.lock();
    }
}

} // namespace

void ReleaseThread::release(std::function<void()> job)
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
    shared.jobs.push_back(std::move(job));
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
