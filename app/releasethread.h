#pragma once

#include <functional>

// Lets go of large things on a thread of its own, so that the GUI thread does not wait while they
// are freed: a replaced drawing of millions of objects, or the last reference to a description's
// million strings. One thread, started on first use, runs the jobs in order and destroys each job
// (and what it captured) there. It ends, after the last job, when the application is about to
// quit or the program exits. Its locks are the standard library's, which sanitizers see.
class ReleaseThread
{
public:
    // Runs `job` on the release thread, then destroys it there.
    static void release(std::function<void()> job);
    // Waits for every job given so far and ends the thread; a later job starts it again.
    static void finish();
};
