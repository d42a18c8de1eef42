#include "follow/investigation.h"

#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "commands/qwgtlistitemwithobj.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "query/relatedsearchentry.h"
#include "script/seriesname.h"

#include <QListWidget>

#include <algorithm>

bool Investigation::Described::matches(const paintObject& object) const
{
    return object.minX == minX && object.minY == minY && object.maxX == maxX &&
           object.maxY == maxY && object.colorName == colorName &&
           object.relatedSearches == relatedSearches && object.description() == description;
}

std::optional<Investigation> Investigation::captureIfKept(const std::string& nextFile)
{
    const ViewerApp* app = ViewerApp::instance();
    if (!RememberedState::keepInvestigation() || !sameFileOrSeries(app->fileName, nextFile))
        return std::nullopt;
    Investigation kept;
    const DrawingModel* model = DrawingModel::instance();
    kept.hiddenTypes = model->hiddenTypes();
    // The list shows a query's matches, a type's objects, or objects picked otherwise (those are
    // not kept: a rubber band means nothing in another file).
    kept.listedQuery = app->listedQuery;
    if (kept.listedQuery.isEmpty() && model->handlers.count(app->listedName) != 0)
        kept.listedType = app->listedName;
    kept.describing = !app->itemText->toPlainText().isEmpty();
    // The box describes the current entry's object only while that entry is selected; otherwise
    // what it shows stands for no entry, and nothing is looked for in the new file.
    const QListWidgetItem* current = app->itemList->currentItem();
    if (kept.describing && current && current->isSelected()) {
        const paintObject& object = *static_cast<const QwgtListItemWithObj*>(current)->object;
        kept.described =
            Described{object.minX,      object.minY,          object.maxX,           object.maxY,
                      object.colorName, object.description(), object.relatedSearches};
    }
    return kept;
}

void Investigation::restoreVisibility() const
{
    DrawingModel* model = DrawingModel::instance();
    for (const std::string& type : hiddenTypes)
        model->setTypeVisible(type, 0);
}

void Investigation::restoreListing() const
{
    ViewerApp* app = ViewerApp::instance();
    if (!listedQuery.isEmpty())
        app->commands.runConditionalPick(listedQuery);
    else if (!listedType.empty())
        app->commands.doListAnItemType(listedType);
    // The load emptied the description and the related searches: an object still there is
    // shown again.
    const DrawingModel::ObjectList& objects = DrawingModel::instance()->objects;
    const auto found = described ? std::find_if(objects.begin(), objects.end(),
                                                [this](const paintObject* object) {
                                                    return described->matches(*object);
                                                })
                                 : objects.end();
    if (found == objects.end())
        return;
    if (describing) {
        app->itemText->showDescription((*found)->describe());
        for (const QString& search : (*found)->relatedSearches)
            RelatedSearchEntry::append(app->relatedList, search);
    }
    selectDescribed();
}

// Among the entries listed at once (a listing longer than the filler's first chunk gets the
// rest later, and those are not looked at): the first that says the same as the object described
// becomes the current, selected entry, which highlights it and describes it anew.
void Investigation::selectDescribed() const
{
    QListWidget* list = ViewerApp::instance()->itemList;
    for (int row = 0; row < list->count(); ++row) {
        if (described->matches(*static_cast<QwgtListItemWithObj*>(list->item(row))->object)) {
            list->setCurrentRow(row);
            return;
        }
    }
}
