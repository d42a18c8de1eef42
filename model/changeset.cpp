#include "model/changeset.h"

#include "model/paintobject.h"

#include <algorithm>
#include <utility>

namespace
{

// Hash and index pairs sorted by hash, then by index.
std::vector<std::pair<std::uint64_t, std::size_t>> sortedByHash(const ChangeSet::Hashes& hashes)
{
    std::vector<std::pair<std::uint64_t, std::size_t>> pairs(hashes.size());
    for (std::size_t i = 0; i < hashes.size(); ++i)
        pairs[i] = {hashes[i], i};
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

} // namespace

ChangeSet::ChangeSet() = default;
ChangeSet::~ChangeSet() = default;

// Both sides sorted, one walk pairs equal hashes: whatever is left of a run of one hash on
// either side is that side's change.
void ChangeSet::compare(const Hashes& before, const Hashes& after,
                        std::vector<std::size_t>& removed, std::vector<std::size_t>& added)
{
    const auto old = sortedByHash(before);
    const auto now = sortedByHash(after);
    removed.clear();
    added.clear();
    std::size_t i = 0, j = 0;
    while (i < old.size() || j < now.size()) {
        if (j == now.size() || (i < old.size() && old[i].first < now[j].first)) {
            removed.push_back(old[i++].second);
        } else if (i == old.size() || now[j].first < old[i].first) {
            added.push_back(now[j++].second);
        } else {
            ++i;
            ++j;
        }
    }
    std::sort(removed.begin(), removed.end());
    std::sort(added.begin(), added.end());
}
