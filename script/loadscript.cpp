// Reading a script input (.las) into the drawing model.
#include "script/loadscript.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "script/chunkedtext.h"
#include "script/wordreader.h"

#include <QColor>

#include <algorithm>
#include <new>

namespace
{

// Large enough that reading costs little next to parsing, small enough that a block read from
// the file is still in the processor's cache when it is parsed.
constexpr std::size_t kBlockBytes = std::size_t(1) << 17;

QString latin1(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

// Whatever runs out of memory while a file is read, the objects read so far are each in the model
// or already freed, so dropping the drawing frees them all.
bool ViewerApp::loadScript()
{
    try {
        loadScriptInBlocks(fileName, fileColors, kBlockBytes);
        return true;
    } catch (const std::bad_alloc&) {
        fileColors.clear();
        DrawingModel* model = DrawingModel::instance();
        model->clearObjects();
        model->clearPropertyDeclarations();
        return false;
    }
}

// The header is a stream of words: each line's first word decides, the words it needs may run
// onto following lines, and the rest of the line where they end is dropped. A number that cannot
// be read ends the whole load. After "endheader" every line is a keyword and its record text.
//
// The text arrives in blocks, so each statement is first only read, from its first word to its
// end; if that ran into the end of the text read so far, more is read and the statement is read
// again from its start. Its effect follows once its reads are final, so it happens once.
void loadScriptInBlocks(const std::string& fileName, std::map<std::string, QColor>& fileColors,
                        std::size_t blockBytes)
{
    fileColors.clear();
    DrawingModel* model = DrawingModel::instance();
    model->clearPropertyDeclarations();
    model->clearObjects();

    ChunkedText file;
    if (!file.open(fileName, blockBytes))
        return;
    WordReader words(file.text());
    // Runs `reads` until they no longer depend on text not read yet; returns their last result.
    // Every statement starts with a word, so the blanks before it are dropped first, at each
    // try: a long run of blank lines is then neither kept nor read again.
    const auto readStatement = [&words, &file](const auto& reads) {
        WordReader start = words;
        for (;;) {
            start.skipBlanks();
            words = start;
            const bool result = reads();
            if (!words.reachedEnd() || !file.readMore(start.position()))
                return result;
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
            fileColors[std::string(name)] = QColor(
                std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
        else if (!words.failed() && word == "property")
            model->declareProperty(std::string(type), latin1(name), std::string(kind),
                                   latin1(defaultValue));
        endOfHeader = word == "endheader";
    }

    std::string keyword;
    std::string_view rest;
    while (readStatement([&] {
        if (!words.readWord(keyword))
            return false;
        rest = words.readRestOfLine();
        return true;
    }))
        model->addObjectFromRecord(keyword, rest);
    // Indexed now, as part of the load, rather than by whichever paint or pick comes first.
    model->boundsIndex();
}
