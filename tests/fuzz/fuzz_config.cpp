// Arbitrary bytes as config.ini: the seven positional settings must always come out usable, and
// the "typeusing" reader must only ever enable known types.
#include "fuzzsupport.h"

#include "app/viewerapp.h"
#include "handlers/paintobjecthandler.h"
#include "model/drawingmodel.h"

#include <QApplication>

#include <set>
#include <string_view>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    ViewerApp* app = ViewerApp::instance();
    // Every input starts from the defaults, so that a finding reproduces from its input alone.
    app->ratio = 1.0;
    app->pointSize = 3;
    app->lineWidth = 1;
    app->infoFontSize = 3;
    app->readSettings(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!(app->ratio >= ViewerApp::kMinRatio && app->ratio <= ViewerApp::kMaxRatio))
        fuzzsupport::fail("ratio out of range");
    if (app->pointSize < 1 || app->lineWidth < 1 || app->infoFontSize < 1 ||
        app->toolButtonSize < 1)
        fuzzsupport::fail("a size below 1");
    if (app->pointSize > ViewerApp::kMaxPointSize || app->lineWidth > ViewerApp::kMaxLineWidth ||
        app->infoFontSize > 7)
        fuzzsupport::fail("a size beyond its bound");
    if (app->windowWidth < 200 || app->windowWidth > 16384 || app->windowHeight < 200 ||
        app->windowHeight > 16384)
        fuzzsupport::fail("window size out of range");
    if (app->toolButtonSize > 512 || !app->highlightColor.isValid())
        fuzzsupport::fail("tool button size or highlight colour unusable");

    static const std::set<std::string> known = {"pt", "line", "rect", "circle", "path", "polygon"};
    const DrawingModel model(fuzzsupport::writeScratchFile(data, size));
    for (const auto& entry : model.handlers) {
        if (known.count(entry.first) == 0 || entry.second->typeKeyword() != entry.first ||
            model.typesInUse.count(entry.first) == 0)
            fuzzsupport::fail("a handler that is not a known type in use");
    }
    return 0;
}
