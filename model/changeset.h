#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class paintObject;

// What changed from one file to the next: the objects of the new file that the previous one did
// not have, and the objects of the previous file that the new one does not have. Records are
// compared by their hashes (see hashScriptRecords) as a multiset: order does not matter, and a
// record written three times where it was written twice is one added object.
class ChangeSet
{
public:
    using Hashes = std::vector<std::uint64_t>;

    ChangeSet();
    ~ChangeSet();
    ChangeSet(const ChangeSet&) = delete;
    ChangeSet& operator=(const ChangeSet&) = delete;

    // The indices, in load order, of the records of `before` that have no equal record left in
    // `after` (removed) and of those of `after` that have none in `before` (added). Of equal
    // records, the first ones pair up. Time n log n in the larger count.
    static void compare(const Hashes& before, const Hashes& after,
                        std::vector<std::size_t>& removed, std::vector<std::size_t>& added);

    // The file compared with, as the user knows it.
    std::string previousName;
    // The new file's objects that are new; borrowed from the drawing model until its next load.
    std::vector<paintObject*> added;
    // The previous file's objects that are gone, kept for their ghosts and descriptions.
    std::vector<std::unique_ptr<paintObject>> removed;
};
