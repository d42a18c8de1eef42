// Reading a script input (.las) into the drawing model.
#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "script/textfile.h"
#include "script/wordreader.h"

#include <QColor>

#include <algorithm>
#include <limits>

namespace
{

// Larger files cannot be held in memory with their objects on any machine Vedra runs on.
constexpr long long kMaxScriptBytes = std::numeric_limits<long long>::max() / 2;

QString latin1(std::string_view bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

// The header is a stream of words: each line's first word decides, the words it needs may run
// onto following lines, and the rest of the line where they end is dropped. A number that cannot
// be read ends the whole load. After "endheader" every line is a keyword and its record text.
void ViewerApp::loadScript()
{
    fileColors.clear();
    DrawingModel* model = DrawingModel::instance();
    model->clearPropertyDeclarations();
    model->clearObjects();

    const std::optional<std::string> text = readTextFile(fileName, kMaxScriptBytes);
    if (!text)
        return;
    WordReader words(*text);

    std::string_view word;
    while (words.readWord(word)) {
        if (word == "color") {
            std::string_view name;
            int red = 0, green = 0, blue = 0;
            words.readWord(name);
            words.readInt(red);
            words.readInt(green);
            words.readInt(blue);
            if (!words.failed())
                fileColors[std::string(name)] = QColor(
                    std::clamp(red, 0, 255), std::clamp(green, 0, 255), std::clamp(blue, 0, 255));
        } else if (word == "property") {
            std::string_view type, name, kind, defaultValue;
            words.readWord(type);
            words.readWord(name);
            words.readWord(kind);
            words.readWord(defaultValue);
            if (!words.failed())
                model->declareProperty(std::string(type), latin1(name), std::string(kind),
                                       latin1(defaultValue));
        }
        const bool endOfHeader = word == "endheader";
        words.skipLine();
        if (endOfHeader)
            break;
    }

    std::string keyword;
    while (words.readWord(keyword))
        model->addObjectFromRecord(keyword, words.readRestOfLine());
}
