// Running queries over the loaded objects: the conditional pick and the related searches of the
// explorer's current object.
#include "app/qwgtdisplay.h"
#include "app/viewerapp.h"
#include "commands/qfunctionality.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "query/comparator.h"
#include "query/query.h"

#include <QInputDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QStringList>

namespace
{

const QString kUnusableQuery =
    QStringLiteral("<b>wrong format, no such type, or no such property</b>");

// The objects of the type that satisfy the query, in load order; hidden ones included. A type
// without declarations has no comparators.
std::vector<paintObject*> matchingObjects(const QString& typeName, const Query& query)
{
    static const DrawingModel::ComparatorMap none;
    DrawingModel* model = DrawingModel::instance();
    const std::string type = typeName.toLatin1().toStdString();
    const auto declared = model->comparators.find(type);
    const DrawingModel::ComparatorMap& comparators =
        declared != model->comparators.end() ? declared->second : none;
    std::vector<paintObject*> matches;
    for (paintObject* object : model->objectsOfType(type)) {
        if (query.matches(*object, comparators))
            matches.push_back(object);
    }
    return matches;
}

} // namespace

// "type:conditions"; a ":" anywhere else makes the text unusable, and so does a type that is
// not enabled.
std::unique_ptr<Query> QFunctionality::parseQuery(const QString& text, QString& typeName) const
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return nullptr;
    typeName = QString(parts[0]).remove(QLatin1Char(' '));
    const auto& enabled = DrawingModel::instance()->objectsByType;
    if (enabled.find(typeName.toLatin1().toStdString()) == enabled.end())
        return nullptr;
    return std::make_unique<Query>(parts[1]);
}

void QFunctionality::doConditionalPick()
{
    ViewerApp* app = ViewerApp::instance();
    bool ok = false;
    const QString text = QInputDialog::getText(app->mainWindow, QStringLiteral("Conditional Pick"),
                                               QStringLiteral("Please input the query"),
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    if (!runConditionalPick(text)) {
        showWarning(kUnusableQuery);
        return;
    }
    app->listedName.clear();
    doListPicked();
}

bool QFunctionality::runConditionalPick(const QString& text)
{
    QString typeName;
    const std::unique_ptr<Query> query = parseQuery(text, typeName);
    if (!query || !query->isWellFormed())
        return false;
    pickMatching(typeName, *query);
    return true;
}

void QFunctionality::pickMatching(const QString& typeName, const Query& query)
{
    ViewerApp::instance()->pickedList = matchingObjects(typeName, query);
}

void QFunctionality::doExpandRelatedSearch(QListWidgetItem* item)
{
    if (!item)
        return;
    if (!runConditionalPick(item->data(Qt::DisplayRole).toString())) {
        showWarning(kUnusableQuery);
        return;
    }
    ViewerApp::instance()->listedName.clear();
    doListPicked();
}

void QFunctionality::doHighlightItemRelatedSearch(QListWidgetItem* item)
{
    if (!item || !item->listWidget() || !item->isSelected())
        return;
    runHighlightSearch(item->data(Qt::DisplayRole).toString());
}

void QFunctionality::doHighlightItemRelatedSearch(int currentRow)
{
    doHighlightItemRelatedSearch(ViewerApp::instance()->relatedList->item(currentRow));
}

// Every highlight is cleared first; an unusable query stops silently there, without a repaint.
void QFunctionality::runHighlightSearch(const QString& text)
{
    DrawingModel::instance()->clearHighlight();
    QString typeName;
    const std::unique_ptr<Query> query = parseQuery(text, typeName);
    if (!query || !query->isWellFormed())
        return;
    highlightMatching(typeName, *query);
    ViewerApp::instance()->display->repaint();
}

void QFunctionality::highlightMatching(const QString& typeName, const Query& query)
{
    ViewerApp::instance()->pickedList.clear();
    DrawingModel::instance()->setHighlighted(matchingObjects(typeName, query), true);
}
