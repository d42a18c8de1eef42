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

#include <algorithm>
#include <memory>
#include <new>

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
// The loader and the record hashes read through this one function, so both meet the same
// records in the same order; onColor, onProperty and onRecord are the effects. Once the file is
// read, it is looked at again: a file that changed meanwhile was not read as any one version.
template <typename OnColor, typename OnProperty, typename OnRecord>
ScriptRead readScript(const std::string& fileName, std::size_t blockBytes, LoadProgress* progress,
                      const OnColor& onColor, const OnProperty& onProperty,
                      const OnRecord& onRecord)
{
    ScriptRead outcome;
    ChunkedText file;
    if (!file.open(fileName, blockBytes))
        return outcome;
    outcome.stamp = file.openedStamp();
    WordReader words(file.text());
    bool& stopped = outcome.stopped;
    // Reports a block read; true when the reading is to stop.
    auto blockRead = [progress, &file, counted = qint64(0)]() mutable {
        if (!progress)
            return false;
        progress->bytesRead.fetch_add(file.bytesRead() - counted, std::memory_order_relaxed);
        counted = file.bytesRead();
        if (progress->onPause && progress->pauseAt >= 0 && counted >= progress->pauseAt) {
            progress->pauseAt = -1;
            progress->onPause();
        }
        return progress->stop.load(std::memory_order_relaxed);
    };
    // Runs `reads` until they no longer depend on text not read yet; returns their last result.
    // Every statement starts with a word, so the blanks before it are dropped first, at each
    // try: a long run of blank lines is then neither kept nor read again. A stop reads as the end.
    const auto readStatement = [&words, &file, &stopped, &blockRead](const auto& reads) {
        WordReader start = words;
        for (;;) {
            start.skipBlanks();
            words = start;
            const bool result = reads();
            if (!words.reachedEnd() || !file.readMore(start.position()))
                return result;
            if (blockRead()) {
                stopped = true;
                return false;
            }
            start.rebase(file.text(), 0);
        }
    };

    bool endOfHeader = false;
    while (!endOfHeader) {
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
            break;
        if (!words.failed() && word == "color")
            onColor(name, red, green, blue);
        else if (!words.failed() && word == "property")
            onProperty(type, name, kind, defaultValue);
        endOfHeader = word == "endheader";
    }
    outcome.headerEnded = endOfHeader;

    std::string keyword;
    std::string_view rest;
    while (readStatement([&] {
        if (!words.readWord(keyword))
            return false;
        rest = words.readRestOfLine();
        return true;
    }))
        onRecord(keyword, rest);
    if (!stopped)
        stopped = blockRead();
    outcome.changed = !stopped && !file.readWhole(fileName);
    return outcome;
}

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

ScriptRead loadScriptInBlocks(DrawingModel& model, const std::string& fileName,
                              std::map<std::string, QColor>& fileColors, std::size_t blockBytes,
                              LoadProgress* progress, std::vector<std::uint64_t>* recordHashes)
{
    fileColors.clear();
    model.clearPropertyDeclarations();
    model.clearObjects();
    if (recordHashes)
        recordHashes->clear();
    ObjectArena::startGeneration();
    // What the records share is forgotten when the load ends, however it ends.
    const auto forgetShared = [](SharedRecordParts* parts) { parts->clear(); };
    const std::unique_ptr<SharedRecordParts, decltype(forgetShared)> shared(
        &SharedRecordParts::instance(), forgetShared);
    RecordHasher hashRecord;
    const ScriptRead outcome = readScript(
        fileName, blockBytes, progress,
        [&fileColors](std::string_view name, int red, int green, int blue) {
            fileColors[std::string(name)] = QColor(
                std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
        },
        [&model](std::string_view type, std::string_view name, std::string_view kind,
                 std::string_view defaultValue) {
            model.declareProperty(std::string(type), latin1(name), std::string(kind),
                                  latin1(defaultValue));
        },
        [&](const std::string& keyword, std::string_view rest) {
            const std::size_t before = model.objects.size();
            model.addObjectFromRecord(keyword, rest);
            if (recordHashes && model.objects.size() != before)
                recordHashes->push_back(hashRecord(keyword, rest));
        });
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
    std::string lastKeyword;
    bool lastMakesObject = false;
    RecordHasher hashRecord;
    const ScriptRead outcome = readScript(
        fileName, kScriptBlockBytes, progress, [](std::string_view, int, int, int) {},
        [](std::string_view, std::string_view, std::string_view, std::string_view) {},
        [&](const std::string& keyword, std::string_view rest) {
            if (keyword != lastKeyword) {
                lastKeyword = keyword;
                lastMakesObject = model.handlers.count(keyword) != 0;
            }
            if (lastMakesObject)
                hashes.push_back(hashRecord(keyword, rest));
        });
    if (!outcome.whole() || (version && outcome.stamp != *version))
        hashes.clear();
    return hashes;
}
