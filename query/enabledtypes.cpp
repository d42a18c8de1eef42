// The drawing model's configuration from outside: the types enabled by config.ini and the
// property declarations of the loaded file's header.
#include "handlers/paintobjecthandler.h"
#include "model/drawingmodel.h"
#include "query/doublecomparator.h"
#include "query/stringcomparator.h"
#include "script/textfile.h"
#include "script/wordreader.h"
#include "storage/sharedrecordparts.h"

// Only the first word of each line counts; the last "typeusing" line wins. Its words up to the
// first one starting with "/" (a remark) are the enabled types.
void DrawingModel::readTypeUsing(const std::string& configPath,
                                 const std::vector<std::unique_ptr<paintObjectHandler>>& candidates)
{
    std::string typeLine;
    const std::optional<std::string> text = readTextFile(configPath, kMaxConfigBytes);
    if (text) {
        WordReader words(*text);
        std::string_view word;
        while (words.readWord(word)) {
            if (word == "typeusing")
                typeLine.assign(words.readRestOfLine());
            else
                words.skipLine();
        }
    }
    if (typeLine.empty()) {
        for (const auto& handler : candidates)
            typesInUse.insert(handler->typeKeyword());
        return;
    }
    WordReader words(typeLine);
    std::string type;
    while (words.readWord(type) && type[0] != '/')
        typesInUse.insert(type);
}

void DrawingModel::declareProperty(const std::string& keyword, const QString& name,
                                   const std::string& kind, const QString& defaultValue)
{
    SharedRecordParts::instance().clear();
    propertyDefaults[keyword][name] = defaultValue;
    if (kind == "string")
        comparators[keyword][name] = std::make_unique<StringComparator>();
    else if (kind == "double")
        comparators[keyword][name] = std::make_unique<DoubleComparator>();
}
