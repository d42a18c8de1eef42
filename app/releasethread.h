#pragma once

#include <functional>

// Lets go of large things on a thread of its own, so that the GUI thread does not wait while they
// are freed: a replaced drawing of millions of objects, or the last reference to a description's
// million strings. One thread, started on first use, runs the jobs in order and destroys each job
// (and what it captured) there. It ends, after the last job, when the application is about to
// quit or the program exits. Its locks are the standard library's, which sanitizers see.
//
// What a job frees can be given back to the system, but not at once: a series stepped through
// or played frees one drawing as the next is loaded into memory of the same size, and memory
// given back between two steps would be faulted in again, page by page, by the next load. So it
// is given back once the thread has had nothing to do for kGiveBackAfterMs, or as it ends.
class ReleaseThread
{
public:
    enum class Memory { Keep, GiveBack };
    static constexpr int kGiveBackAfterMs = 1000;

    // Runs `job` on the release thread, then destroys it there; with GiveBack, the process's free
    // memory is given back to the system later, as above.
    static void release(std::function<void()> job, Memory memory = Memory::Keep);
    // Waits for every job given so far, gives memory back if a job asked for it, and ends the
    // thread; a later job starts it again.
    static void finish();
};
