// Reading a script input (.las) into the drawing model.
#include "script/loadscript.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "script/chunkedtext.h"
#include "script/wordreader.h"
#include "storage/bytehash.h"
#include "storage/objectarena.h"
#include "storage/sharedrecordparts.h"

#include <QColor>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>

namespace
{

QString latin1(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// The header is a stream of words: each line's first word decides, the words it needs may run
// onto following lines, and the rest of the line where they end is dropped. A number that cannot
// be read ends the whole load. After "endheader" every line is a keyword and its record text.
//
// The text arrives in blocks, so each statement is first only read, from its first word to its
// end; if that ran into the end of the text read so far, more is read and the statement is read
// again from its start. Its effect follows once its reads are final, so it happens once.
//
// The loader and the record hashes read through this one reader, so both meet the same records in
// the same order; the callbacks are the effects. A reader reads a whole file, or a part of one
// that another reader has open: records are lines, so a part that starts and ends at line starts
// holds whole records, and the parts of a file one after the other hold its records in order.
class ScriptReader
{
public:
    // With progress, adds the bytes read to it at each block and stops once progress->stop is
    // set, or `abandon` when given.
    explicit ScriptReader(LoadProgress* progress, const std::atomic<bool>* abandon = nullptr)
        : progress(progress), abandon(abandon)
    {
    }

    bool open(const std::string& fileName, std::size_t blockBytes)
    {
        return file.open(fileName, blockBytes);
    }
    void openPart(const ScriptReader& whole, qint64 begin, qint64 end, std::size_t blockBytes)
    {
        file.openPart(whole.file, begin, end, blockBytes);
    }
    ChunkedText& text() { return file; }
    bool stopped() const { return halted; }

    // Reads the header; true when an endheader line ended it (the records follow).
    template <typename OnColor, typename OnProperty>
    bool readHeader(const OnColor& onColor, const OnProperty& onProperty)
    {
        for (;;) {
            std::string_view word, name, type, kind, defaultValue;
            int red = 0, green = 0, blue = 0;
            const bool statement = readStatement([&] {
                if (!words.readWord(word))
                    return false;
                if (word == "color") {
                    words.readWord(name);
                    words.readInt(red);
                    words.readInt(green);
                    words.readInt(blue);
                } else if (word == "property") {
                    words.readWord(type);
                    words.readWord(name);
                    words.readWord(kind);
                    words.readWord(defaultValue);
                }
                words.skipLine();
                return true;
            });
            if (!statement)
                return false;
            if (!words.failed() && word == "color")
                onColor(name, red, green, blue);
            else if (!words.failed() && word == "property")
                onProperty(type, name, kind, defaultValue);
            if (word == "endheader")
                return true;
        }
    }
    // Where the text not read yet starts in the file.
    qint64 readOffset() const { return file.offsetOf(words.position()); }

    // Reads the records to the end, then reports the bytes read once more.
    template <typename OnRecord> void readRecords(const OnRecord& onRecord)
    {
        std::string keyword;
        std::string_view rest;
        while (readStatement([&] {
            if (!words.readWord(keyword))
                return false;
            rest = words.readRestOfLine();
            return true;
        }))
            onRecord(keyword, rest);
        if (!halted)
            halted = blockRead();
    }
    // Takes back bytes reported as read that another reader reads again.
    void unreport(qint64 bytes)
    {
        if (progress)
            progress->bytesRead.fetch_sub(bytes, std::memory_order_relaxed);
    }

private:
    // Reports a block read; true when the reading is to stop.
    bool blockRead()
    {
        if (progress) {
            const qint64 total = progress->bytesRead.fetch_add(file.bytesRead() - counted,
                                                               std::memory_order_relaxed) +
                                 (file.bytesRead() - counted);
            counted = file.bytesRead();
            if (progress->onPause && progress->pauseAt >= 0 && total >= progress->pauseAt &&
                !progress->paused.exchange(true))
                progress->onPause();
            if (progress->stop.load(std::memory_order_relaxed))
                return true;
        }
        return abandon && abandon->load(std::memory_order_relaxed);
    }
    // Runs `reads` until they no longer depend on text not read yet; returns their last result.
    // Every statement starts with a word, so the blanks before it are dropped first, at each
    // try: a long run of blank lines is then neither kept nor read again. A stop reads as the
    // end.
    template <typename Reads> bool readStatement(const Reads& reads)
    {
        WordReader start = words;
        for (;;) {
            start.skipBlanks();
            words = start;
            const bool result = reads();
            if (!words.reachedEnd() || !file.readMore(start.position()))
                return result;
            if (blockRead()) {
                halted = true;
                return false;
            }
            start.rebase(file.text(), 0);
        }
    }

    LoadProgress* progress;
    const std::atomic<bool>* abandon;
    ChunkedText file;
    WordReader words{std::string_view()};
    bool halted = false;
    qint64 counted = 0;
};

// The hash of one record under the key of its keyword (see hashScriptRecords), which is derived
// once per run of records of one keyword.
class RecordHasher
{
public:
    std::uint64_t operator()(const std::string& keyword, std::string_view rest)
    {
        if (keyword != lastKeyword) {
            lastKeyword = keyword;
            keywordKey = recordHashKey();
            keywordKey.k0 ^= keyedHashBytes(recordHashKey(), keyword);
        }
        const std::size_t end = rest.find_last_not_of(" \t\r");
        return keyedHashBytes(keywordKey, rest.substr(0, end + 1));
    }

private:
    std::string lastKeyword;
    HashKey keywordKey;
};

} // namespace

// Whatever runs out of memory while a file is read, the objects read so far are each in the model
// or already freed, so dropping the drawing frees them all.
bool ViewerApp::loadScript()
{
    DrawingModel* model = DrawingModel::instance();
    try {
        fileStamp = loadScriptInBlocks(*model, fileName, fileColors, kScriptBlockBytes).stamp;
        return true;
    } catch (const std::bad_alloc&) {
        fileColors.clear();
        model->clearObjects();
        model->clearPropertyDeclarations();
        return false;
    }
}

const HashKey& recordHashKey()
{
    static const HashKey key = [] {
        HashKey drawn;
        drawn.k0 = QRandomGenerator::system()->generate64();
        drawn.k1 = QRandomGenerator::system()->generate64();
        return drawn;
    }();
    return key;
}

int loadThreadCount()
{
    bool given = false;
    const int forced = qEnvironmentVariableIntValue("VEDRA_LOAD_THREADS", &given);
    const int count = given ? forced : QThread::idealThreadCount();
    return std::clamp(count, 1, kMostLoadThreads);
}

namespace
{

// A part of the file's records read on one of several threads, into a batch of its own.
struct RecordPart {
    qint64 begin = 0;
    qint64 end = 0;
    std::unique_ptr<DrawingModel::Batch> batch;
    std::vector<std::uint64_t> hashes;
    // Set, under the parts' lock, once the part is read to its end or given up.
    bool done = false;
};

// Cuts the records from `begin` to the end of the file into parts for `threads` threads, each
// part starting at a line start; none when the records are too few bytes to be worth a thread.
std::vector<RecordPart> cutRecords(ChunkedText& file, qint64 begin, std::size_t blockBytes,
                                   int threads)
{
    const qint64 end = file.openedStamp().size;
    // A part is at least a few blocks, so that each thread's start costs little next to its work.
    const qint64 leastPart =
        blockBytes > std::size_t(1) << 40 ? qint64(1) << 43 : static_cast<qint64>(blockBytes) * 8;
    if (threads < 2 || end - begin < 2 * leastPart)
        return {};
    // Four parts a thread, taken in turn, so that a thread held up by other work on the machine
    // leaves its share to the rest.
    const qint64 count = std::min<qint64>(4 * threads, (end - begin) / leastPart);
    std::vector<RecordPart> parts(static_cast<std::size_t>(count));
    qint64 cut = begin;
    for (qint64 i = 0; i < count; ++i) {
        RecordPart& part = parts[static_cast<std::size_t>(i)];
        part.begin = cut;
        cut = i + 1 == count
                  ? end
                  : std::max(cut, file.lineStartFrom(begin + (end - begin) * (i + 1) / count));
        part.end = cut;
    }
    return parts;
}

// Reads the parts on `threads` threads (the calling one among them), each from a reader of its
// own over the file `whole` has open, with its own arena generation and its own shared record
// parts; the calling one frees the previous drawing first, and appends the parts to the model in
// file order as they are done, while the others still read (each part's batch and hashes are
// freed once appended). True when every part was read to its end and appended; false when the
// load is to stop. What a thread throws stops the others and is thrown here once all have ended.
bool readParts(std::vector<RecordPart>& parts, std::unique_ptr<DrawingModel::Discarded> previous,
               DrawingModel& model, ScriptReader& whole, std::size_t blockBytes,
               LoadProgress* progress, std::vector<std::uint64_t>* recordHashes, int threads,
               bool& shortenedFile)
{
    std::atomic<bool> shortened{false};
    std::atomic<std::size_t> nextPart{0};
    std::atomic<bool> abandon{false};
    std::atomic<bool> stopped{false};
    std::mutex partsLock;
    std::condition_variable partDone;
    std::exception_ptr failure;
    const auto fail = [&] {
        const std::lock_guard<std::mutex> guard(partsLock);
        if (!failure)
            failure = std::current_exception();
        abandon = true;
        partDone.notify_all();
    };
    const auto finish = [&](RecordPart& part) {
        const std::lock_guard<std::mutex> guard(partsLock);
        part.done = true;
        partDone.notify_all();
    };
    // The calling thread's appending, between its parts and after them: every part that is done
    // and follows the last appended; with `wait`, until all are appended or the load stops.
    std::size_t appended = 0;
    const auto appendDone = [&](bool wait) {
        while (appended < parts.size()) {
            RecordPart& part = parts[appended];
            {
                std::unique_lock<std::mutex> guard(partsLock);
                if (wait)
                    partDone.wait(guard, [&] { return part.done || abandon; });
                if (!part.done || abandon)
                    return;
            }
            model.append(*part.batch);
            part.batch.reset();
            if (recordHashes)
                recordHashes->insert(recordHashes->end(), part.hashes.begin(), part.hashes.end());
            std::vector<std::uint64_t>().swap(part.hashes);
            ++appended;
        }
    };
    using Defaults = std::shared_ptr<const DrawingModel::Batch::Defaults>;
    const auto work = [&](bool appending, const Defaults& defaults) {
        try {
            const ObjectArena::ThreadGeneration generation;
            const auto forgetShared = [](SharedRecordParts* shared) { shared->clear(); };
            const std::unique_ptr<SharedRecordParts, decltype(forgetShared)> shared(
                &SharedRecordParts::instance(), forgetShared);
            for (std::size_t i = nextPart++; i < parts.size() && !abandon; i = nextPart++) {
                RecordPart& part = parts[i];
                part.batch = std::make_unique<DrawingModel::Batch>(model, defaults);
                ScriptReader reader(progress, &abandon);
                reader.openPart(whole, part.begin, part.end, blockBytes);
                RecordHasher hashRecord;
                reader.readRecords([&](const std::string& keyword, std::string_view rest) {
                    if (part.batch->addObjectFromRecord(keyword, rest) && recordHashes)
                        part.hashes.push_back(hashRecord(keyword, rest));
                });
                if (reader.stopped()) {
                    stopped = true;
                    abandon = true;
                }
                if (reader.text().endedShort())
                    shortened = true;
                finish(part);
                if (appending)
                    appendDone(false);
            }
            if (appending)
                appendDone(true);
        } catch (...) {
            fail();
        }
    };
    // Each thread's copy of the declared defaults is made here, before any thread starts: the
    // appending changes the model's maps while the others read.
    std::vector<Defaults> defaults;
    for (int i = 0; i < threads; ++i)
        defaults.push_back(std::make_shared<const DrawingModel::Batch::Defaults>(
            DrawingModel::Batch::copyDefaults(model)));
    std::vector<std::thread> helpers;
    helpers.reserve(static_cast<std::size_t>(threads - 1));
    for (int i = 1; i < threads; ++i) {
        try {
            helpers.emplace_back(work, false, std::cref(defaults[static_cast<std::size_t>(i)]));
        } catch (const std::system_error&) {
            // Fewer threads read the parts: the result is the same.
            break;
        }
    }
    // The helpers read while this thread frees what it made itself, for the most part, and so
    // waits on no other thread's allocator.
    previous.reset();
    work(true, defaults.front());
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    shortenedFile = shortened;
    return !stopped && appended == parts.size();
}

} // namespace

// On several threads, what the objects are is decided apart (each part's) and put together in the
// order of the parts, which is the file's: the same objects, lists, bounds and hashes as reading
// the records one after the other. A stopped load drops every part's objects, those already put
// together among them.
ScriptRead loadScriptInBlocks(DrawingModel& model, const std::string& fileName,
                              std::map<std::string, QColor>& fileColors, std::size_t blockBytes,
                              LoadProgress* progress, std::vector<std::uint64_t>* recordHashes,
                              int threads)
{
    fileColors.clear();
    model.clearPropertyDeclarations();
    // Freed once it is known whether the records are read on several threads: then one of them
    // frees the previous drawing while the others read.
    auto previous = std::make_unique<DrawingModel::Discarded>();
    model.releaseObjects(*previous);
    if (recordHashes)
        recordHashes->clear();
    ObjectArena::startGeneration();
    // What the records share is forgotten when the load ends, however it ends.
    const auto forgetShared = [](SharedRecordParts* parts) { parts->clear(); };
    const std::unique_ptr<SharedRecordParts, decltype(forgetShared)> shared(
        &SharedRecordParts::instance(), forgetShared);
    ScriptRead outcome;
    ScriptReader reader(progress);
    if (!reader.open(fileName, blockBytes))
        return outcome;
    outcome.stamp = reader.text().openedStamp();
    outcome.headerEnded = reader.readHeader(
        [&fileColors](std::string_view name, int red, int green, int blue) {
            fileColors[std::string(name)] = QColor(
                std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
        },
        [&model](std::string_view type, std::string_view name, std::string_view kind,
                 std::string_view defaultValue) {
            model.declareProperty(std::string(type), latin1(name), std::string(kind),
                                  latin1(defaultValue));
        });
    const int threadCount = threads > 0 ? threads : loadThreadCount();
    std::vector<RecordPart> parts;
    if (outcome.headerEnded && !reader.stopped())
        parts = cutRecords(reader.text(), reader.readOffset(), blockBytes, threadCount);
    bool shortened = false;
    if (parts.empty()) {
        previous.reset();
        RecordHasher hashRecord;
        reader.readRecords([&](const std::string& keyword, std::string_view rest) {
            const std::size_t before = model.objects.size();
            model.addObjectFromRecord(keyword, rest);
            if (recordHashes && model.objects.size() != before)
                recordHashes->push_back(hashRecord(keyword, rest));
        });
        outcome.stopped = reader.stopped();
    } else {
        // The parts read the records again from their start.
        reader.unreport(reader.text().bytesRead() - reader.readOffset());
        outcome.stopped = !readParts(parts, std::move(previous), model, reader, blockBytes,
                                     progress, recordHashes, threadCount, shortened);
        if (outcome.stopped) {
            model.clearObjects();
            if (recordHashes)
                recordHashes->clear();
        }
    }
    outcome.changed = !outcome.stopped && (shortened || !reader.text().readWhole(fileName));
    // Indexed now, as part of the load, rather than by whichever paint or pick comes first.
    if (outcome.whole())
        model.boundsIndex();
    return outcome;
}

// Blanks at the end of a record say nothing; the keyword and the text are hashed apart, so that
// moving a blank between them makes another hash.
std::vector<std::uint64_t> hashScriptRecords(const DrawingModel& model, const std::string& fileName,
                                             const FileStamp* version, LoadProgress* progress)
{
    std::vector<std::uint64_t> hashes;
    ScriptReader reader(progress);
    if (!reader.open(fileName, kScriptBlockBytes))
        return hashes;
    reader.readHeader(
        [](std::string_view, int, int, int) {},
        [](std::string_view, std::string_view, std::string_view, std::string_view) {});
    std::string lastKeyword;
    bool lastMakesObject = false;
    RecordHasher hashRecord;
    reader.readRecords([&](const std::string& keyword, std::string_view rest) {
        if (keyword != lastKeyword) {
            lastKeyword = keyword;
            lastMakesObject = model.handlers.count(keyword) != 0;
        }
        if (lastMakesObject)
            hashes.push_back(hashRecord(keyword, rest));
    });
    const bool whole = !reader.stopped() && reader.text().readWhole(fileName);
    if (!whole || (version && reader.text().openedStamp() != *version))
        hashes.clear();
    return hashes;
}
