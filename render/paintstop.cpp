#include "render/paintstop.h"

namespace
{

thread_local const std::atomic<bool>* threadFlag = nullptr;

} // namespace

PaintStop::Scope::Scope(const std::atomic<bool>* flag) : previous(threadFlag)
{
    threadFlag = flag;
}

PaintStop::Scope::~Scope()
{
    threadFlag = previous;
}

bool PaintStop::requested()
{
    return threadFlag && threadFlag->load(std::memory_order_relaxed);
}
