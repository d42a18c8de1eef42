// Arbitrary text as a query: parsed as the Conditional Pick parses it, then run against a small
// model with string, double and other properties, and as a related search that highlights.
#include "fuzzsupport.h"

#include "app/viewerapp.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "query/query.h"

#include <QListWidget>

#include <memory>

namespace
{

const char kModel[] = "property pt net string none\n"
                      "property pt w double 0\n"
                      "property rect w double 0\n"
                      "property rect cell string U0\n"
                      "property line kind other 1\n"
                      "endheader\n"
                      "pt 1 2 red 0 net a1 w 3.5\n"
                      "pt 3 4 blue 5 net clk w nan\n"
                      "pt -1 -2 red 1 w 1e308 extra 7\n"
                      "rect 0 0 2 3 navy w inf cell U1\n"
                      "rect 1 1 4 4 teal w -0 cell \xe9t\xe9\n"
                      "line 0 0 1 1 red kind 3\n"
                      "path 2 0 0 1 1 navy net a1 w 2\n"
                      "circle 0 0 1 green\n";

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzzsupport::startApplication();
    ViewerApp* app = ViewerApp::instance();
    app->fileName =
        fuzzsupport::writeScratchFile(reinterpret_cast<const uint8_t*>(kModel), sizeof kModel - 1);
    app->loadScript();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();

    QString typeName;
    if (const std::unique_ptr<Query> query = app->commands.parseQuery(text, typeName)) {
        if (typeName.contains(QLatin1Char(':')))
            fuzzsupport::fail("a query type with a colon");
        query->isWellFormed();
    }
    // Every object against every type's comparators, including types it does not belong to.
    const Query query(text);
    query.isWellFormed();
    for (const auto& comparators : model->comparators) {
        for (const paintObject* object : model->objects)
            query.matches(*object, comparators.second);
    }

    // As a related search that the explorer highlights on a press.
    app->relatedList->clear();
    app->relatedList->addItem(text);
    QListWidgetItem* item = app->relatedList->item(0);
    item->setSelected(true);
    app->commands.doHighlightItemRelatedSearch(item);
    fuzzsupport::deliverPostedEvents();
    return 0;
}
