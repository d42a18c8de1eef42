#pragma once

#include <QColor>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

class DrawingModel;

// The block a load reads at a time: large enough that reading costs little next to parsing,
// small enough that a block read from the file is still in the processor's cache when it is
// parsed.
inline constexpr std::size_t kScriptBlockBytes = std::size_t(1) << 17;

// What a load on another thread shares with the thread that waits for it: the bytes read so far
// (of every pass over the file), and whether it is to stop.
struct LoadProgress {
    std::atomic<std::int64_t> bytesRead{0};
    std::atomic<bool> stop{false};
};

// Reads the script input at fileName into the model, emptied first, as ViewerApp::loadScript()
// does, and its header's colours into fileColors (emptied first), taking the file blockBytes at a
// time. The block size bounds the memory the text takes and nothing else: the model is the same
// for every size. With progress, adds the bytes read to it at each block and stops there, false,
// once progress->stop is set; the objects read so far stay in the model.
bool loadScriptInBlocks(DrawingModel& model, const std::string& fileName,
                        std::map<std::string, QColor>& fileColors, std::size_t blockBytes,
                        LoadProgress* progress = nullptr);

// One hash per record of the script input at fileName that the loader would make an object of in
// the model, in the loader's order, from the record's text (keyword and the rest of its line,
// blanks at its end left out): records that say the same have the same hash. Reads the file
// without parsing the records; nothing in the model changes. Empty when the file cannot be read,
// or when progress->stop is set (progress as for the load).
std::vector<std::uint64_t> hashScriptRecords(const DrawingModel& model, const std::string& fileName,
                                             LoadProgress* progress = nullptr);
