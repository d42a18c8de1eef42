#pragma once

#include "script/filestamp.h"
#include "storage/bytehash.h"

#include <QColor>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class DrawingModel;

// The block a load reads at a time: large enough that reading costs little next to parsing,
// small enough that a block read from the file is still in the processor's cache when it is
// parsed.
inline constexpr std::size_t kScriptBlockBytes = std::size_t(1) << 17;

// What a load on another thread shares with the thread that waits for it: the bytes read so far,
// and whether it is to stop.
struct LoadProgress {
    std::atomic<std::int64_t> bytesRead{0};
    std::atomic<bool> stop{false};
    // A stop point for tests: once the bytes read reach pauseAt, onPause is called on the loading
    // thread, once, before the next block is read (so that a test can change the file at a known
    // point of a load). Set before the load starts.
    std::int64_t pauseAt = -1;
    std::function<void()> onPause;
    // Set by the thread that calls onPause, so that of several loading threads only one does.
    std::atomic<bool> paused{false};
};

// The most threads a load reads a file on.
inline constexpr int kMostLoadThreads = 16;
// The threads a load reads a file on: the environment's VEDRA_LOAD_THREADS when set (for tests and
// measurements), else one per core, from 1 to kMostLoadThreads.
int loadThreadCount();

// How a read of a file ended, besides what it made.
struct ScriptRead {
    // progress->stop ended it.
    bool stopped = false;
    // The file changed while it was read (written, replaced, truncated or grown): what was read
    // is no one version of it.
    bool changed = false;
    // An endheader line was read; without one the whole file is header, and there are no objects.
    bool headerEnded = false;
    // The file as it was opened; not existing when it could not be.
    FileStamp stamp;
    bool whole() const { return !stopped && !changed; }
};

// The key of the record hashes, random for each run of the program, so that no file can be made
// whose records hash alike without being alike.
const HashKey& recordHashKey();

// Reads the script input at fileName into the model, emptied first, as ViewerApp::loadScript()
// does, and its header's colours into fileColors (emptied first), taking the file blockBytes at a
// time. The records are read on `threads` threads (0: loadThreadCount()) when they are many
// blocks long, each thread reading parts of them that start at line starts, and put together in
// file order. Neither the block size nor the threads change the model; the block size bounds the
// memory each thread's text takes. With progress, adds the bytes read to it at each block and
// stops there once progress->stop is set; on one thread the objects read so far stay in the
// model, on several none do. With recordHashes, fills it in the same pass with one hash per
// object made, index for index (see hashScriptRecords).
ScriptRead loadScriptInBlocks(DrawingModel& model, const std::string& fileName,
                              std::map<std::string, QColor>& fileColors, std::size_t blockBytes,
                              LoadProgress* progress = nullptr,
                              std::vector<std::uint64_t>* recordHashes = nullptr, int threads = 0);

// One hash per record of the script input at fileName that the loader would make an object of in
// the model, in the loader's order, from the record's text (keyword and the rest of its line,
// blanks at its end left out) under recordHashKey(): records that say the same have the same
// hash. Reads the file without parsing the records; nothing in the model changes. Empty unless
// the file was read whole and, when `version` is given, is still that version; empty too when
// progress->stop is set (progress as for the load).
std::vector<std::uint64_t> hashScriptRecords(const DrawingModel& model, const std::string& fileName,
                                             const FileStamp* version = nullptr,
                                             LoadProgress* progress = nullptr);
