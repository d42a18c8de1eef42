#pragma once

#include <atomic>
#include <cstddef>

// Lets the painting of one long object (a path or polygon of a million vertices) see that its
// frame is no longer wanted, so that a frame stops within milliseconds of being asked whatever its
// objects. The scene painter names its stop flag for the painting thread while it paints; the
// loops over a shape's lines ask between runs of kLinesPerLook lines.
class PaintStop
{
public:
    // Lines drawn between two looks at the flag: well under a millisecond of drawing.
    static constexpr std::size_t kLinesPerLook = 1024;

    // Names the flag for this thread until the scope ends; none (null) means never stop.
    class Scope
    {
    public:
        explicit Scope(const std::atomic<bool>* flag);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        const std::atomic<bool>* const previous;
    };

    // Whether the frame painted on this thread was asked to stop.
    static bool requested();
    // The same, looked at only once every kLinesPerLook lines: true when the line at `index` is
    // one to look at and the frame was asked to stop.
    static bool requestedAt(std::size_t index)
    {
        return index % kLinesPerLook == kLinesPerLook - 1 && requested();
    }
};
