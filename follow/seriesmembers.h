#pragma once

#include <QtGlobal>

#include <atomic>
#include <string>
#include <utility>
#include <vector>

// One file of a numbered series found on disk: its index and its name as bytes, folder included.
struct SeriesMember {
    qint64 index = 0;
    std::string name;
    bool operator==(const SeriesMember& other) const
    {
        return index == other.index && name == other.name;
    }
};

// The folder part of a name (up to its last '/', or "." when it has none) and the rest.
std::pair<std::string, std::string> splitFolderName(const std::string& name);

// Every regular file of the folder named prefix + digits + suffix (the digits read as a 64-bit
// index, any number of them, leading zeros included), ordered by index and, for one index written
// two ways (f.7.las and f.007.las), by name. Reads the folder's names as bytes; only a name of
// the series is looked at further, when the folder does not say it is a regular file. Empty when
// the folder cannot be read, or once stop is set.
std::vector<SeriesMember> listSeriesMembers(const std::string& prefix, const std::string& suffix,
                                            const std::atomic<bool>& stop);
