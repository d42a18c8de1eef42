#include "follow/seriesmembers.h"

#include "script/seriesname.h"

#include <algorithm>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>

std::pair<std::string, std::string> splitFolderName(const std::string& name)
{
    const std::size_t slash = name.rfind('/');
    if (slash == std::string::npos)
        return {".", name};
    return {slash == 0 ? std::string("/") : name.substr(0, slash), name.substr(slash + 1)};
}

// Names are compared as bytes, without decoding: in a folder of many files, only the series' own
// names cost more than reading the name.
std::vector<SeriesMember> listSeriesMembers(const std::string& prefix, const std::string& suffix,
                                            const std::atomic<bool>& stop)
{
    std::vector<SeriesMember> members;
    if (prefix.empty())
        return members;
    const auto [folderName, stem] = splitFolderName(prefix);
    const std::string folderPart = prefix.substr(0, prefix.size() - stem.size());
    DIR* const folder = ::opendir(folderName.c_str());
    if (!folder)
        return members;
    while (const dirent* entry = ::readdir(folder)) {
        if (stop.load(std::memory_order_relaxed)) {
            members.clear();
            break;
        }
        const std::optional<qint64> index = seriesMemberIndex(entry->d_name, stem, suffix);
        if (!index)
            continue;
        std::string name = folderPart + entry->d_name;
        struct stat status {
        };
        if (entry->d_type != DT_REG &&
            (::stat(name.c_str(), &status) != 0 || !S_ISREG(status.st_mode)))
            continue;
        members.push_back({*index, std::move(name)});
    }
    ::closedir(folder);
    std::sort(members.begin(), members.end(), [](const SeriesMember& a, const SeriesMember& b) {
        return a.index != b.index ? a.index < b.index : a.name < b.name;
    });
    return members;
}
