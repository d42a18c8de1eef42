// Pick mode and the Item Explorer: listing a type or the picked objects, showing the pressed
// entry's description and related searches, highlighting the selection, moving to an object.
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/explorerfiller.h"
#include "commands/qfunctionality.h"
#include "commands/qwgtlistitemwithobj.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "query/relatedsearchentry.h"

#include <QDockWidget>
#include <QListWidget>

namespace
{

const std::string kPickedListName = "picked";

QwgtListItemWithObj* entryOf(QListWidgetItem* item)
{
    return static_cast<QwgtListItemWithObj*>(item);
}

} // namespace

void QFunctionality::doChange2PickMode()
{
    ViewerApp* app = ViewerApp::instance();
    app->setMode(app->mode == 1 ? 0 : 1);
}

void QFunctionality::doLeavePickMode()
{
    ViewerApp* app = ViewerApp::instance();
    if (app->mode != 1) {
        app->display->cancelGesture();
        return;
    }
    app->setMode(0);
    app->display->repaint();
}

void QFunctionality::listObjects(const std::string& name, const std::vector<paintObject*>& objects)
{
    ViewerApp* app = ViewerApp::instance();
    if (app->listedName == name)
        return;
    clearItemList(app->itemList);
    // What was shown of an object of the old listing goes with it, and so does the highlight
    // of the related search pressed there.
    app->itemText->clear();
    if (app->relatedList->currentItem() && app->relatedList->currentItem()->isSelected())
        DrawingModel::instance()->clearHighlight();
    app->relatedList->clear();
    app->listedQuery.clear();
    app->itemListFiller->fill(objects);
    app->listedName = name;
    showListedCount(name, objects.size());
}

void QFunctionality::showListedCount(const std::string& name, std::size_t count,
                                     std::size_t found) const
{
    QString title = QStringLiteral("Item Explorer");
    // "N of M" alone when only some were listed: the dock's title has room for little more.
    if (found > count)
        title += QStringLiteral(": %1 of %2").arg(count).arg(found);
    else if (!name.empty())
        title += QStringLiteral(": %1 %2").arg(count).arg(
            name == kPickedListName ? QStringLiteral("picked") : QStringLiteral("listed"));
    ViewerApp::instance()->explorerDock->setWindowTitle(title);
}

void QFunctionality::doListAnItemType(std::string itemType)
{
    listObjects(itemType, DrawingModel::instance()->objectsOfType(itemType));
}

void QFunctionality::doListPicked()
{
    listObjects(kPickedListName, ViewerApp::instance()->pickedList);
}

// Only a selected entry fills the description and the related searches; pressing an entry that
// ends up deselected (a Ctrl-click) empties the description and keeps the related list.
void QFunctionality::doUpdateItemInExplorer(QListWidgetItem* item)
{
    if (!item)
        return;
    ViewerApp* app = ViewerApp::instance();
    app->itemText->clear();
    if (!item->listWidget() || !item->isSelected())
        return;
    const paintObject* object = entryOf(item)->object;
    app->itemText->showDescription(object->describe());
    app->relatedList->clear();
    for (const QString& search : object->relatedSearches)
        RelatedSearchEntry::append(app->relatedList, search);
}

void QFunctionality::doUpdateItemInExplorer(int currentRow)
{
    doUpdateItemInExplorer(ViewerApp::instance()->itemList->item(currentRow));
}

void QFunctionality::doUpdateHighlight()
{
    ViewerApp* app = ViewerApp::instance();
    DrawingModel* model = DrawingModel::instance();
    for (int row = 0; QListWidgetItem* item = app->itemList->item(row); ++row)
        model->setHighlighted(entryOf(item)->object, item->isSelected());
    app->display->repaint();
}

void QFunctionality::doMoveToObject(QListWidgetItem* item)
{
    if (!item)
        return;
    bringToFix(entryOf(item)->object->anchorPoint());
}
