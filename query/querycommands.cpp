// Running queries over the loaded objects: the conditional pick and the related searches of the
// explorer's current object.
#include "app/rememberedstate.h"
#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/qfunctionality.h"
#include "model/drawingmodel.h"
#include "model/paintobject.h"
#include "query/preparedquery.h"
#include "query/query.h"
#include "query/relatedsearchentry.h"
#include "query/runprogress.h"

#include <QComboBox>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QStringList>

#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

namespace
{

// A run is checked on after about this many condition tests, a few milliseconds' work.
constexpr std::size_t kTestsBetweenChecks = std::size_t(1) << 16;

// The objects of the type that satisfy the query, in load order, hidden ones included; nothing
// when the user cancelled. A type without declarations has no comparators.
std::optional<std::vector<paintObject*>> matchingObjects(const QString& typeName,
                                                         const Query& query, RunProgress& progress)
{
    static const DrawingModel::ComparatorMap none;
    DrawingModel* model = DrawingModel::instance();
    // The run handles events: a load that ends meanwhile waits to be adopted until it is over.
    const DrawingModel::ObjectsInUse inUse(*model);
    const std::string type = typeName.toLatin1().toStdString();
    const auto declared = model->comparators.find(type);
    PreparedQuery prepared(query, declared != model->comparators.end() ? declared->second : none,
                           progress.readCheck());
    if (prepared.cancelled())
        return std::nullopt;
    const DrawingModel::ObjectList& objects = model->objectsOfType(type);
    const std::size_t objectsBetweenChecks = std::max<std::size_t>(
        1, kTestsBetweenChecks / std::max<std::size_t>(1, prepared.conditionCount()));
    progress.testing(objects.size());
    std::vector<paintObject*> matches;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        if (i > 0 && i % objectsBetweenChecks == 0 && !progress.goOn(i))
            return std::nullopt;
        if (prepared.matches(*objects[i]))
            matches.push_back(objects[i]);
    }
    return matches;
}

} // namespace

// "type:conditions"; a ":" anywhere else makes the text unusable, and so does a type that is
// not enabled.
std::unique_ptr<Query> QFunctionality::parseQuery(const QString& text, QString& typeName,
                                                  const std::function<bool()>& goOn) const
{
    const QStringList parts = text.split(QLatin1Char(':'));
    if (parts.size() != 2)
        return nullptr;
    typeName = QString(parts[0]).remove(QLatin1Char(' '));
    const auto& enabled = DrawingModel::instance()->objectsByType;
    if (enabled.find(typeName.toLatin1().toStdString()) == enabled.end())
        return nullptr;
    return std::make_unique<Query>(parts[1], ReadCheck(goOn));
}

void QFunctionality::doConditionalPick()
{
    ViewerApp* app = ViewerApp::instance();
    // The recent queries are offered in the field's list; the field itself starts empty.
    QInputDialog dialog(app->mainWindow);
    dialog.setWindowTitle(QStringLiteral("Conditional Pick"));
    dialog.setLabelText(QStringLiteral("Please input the query"));
    dialog.setComboBoxEditable(true);
    dialog.setComboBoxItems(RememberedState::recentQueries());
    dialog.setTextValue(QString());
    // Room for a query of a few conditions, seen whole as it is typed. The dialog sizes itself to
    // its field.
    constexpr int kQueryFieldChars = 72;
    if (auto* field = dialog.findChild<QComboBox*>()) {
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QLatin1Char('x')) *
                               kQueryFieldChars);
        // A line edit keeps 32,767 characters unless told otherwise, and would cut a longer query
        // without a word.
        if (QLineEdit* edit = field->lineEdit())
            edit->setMaxLength(std::numeric_limits<int>::max());
    }
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString text = dialog.textValue();
    if (!text.trimmed().isEmpty())
        RememberedState::addRecentQuery(text);
    runConditionalPick(text);
}

QString QFunctionality::unusableQueryReason()
{
    return QStringLiteral("wrong format, no such type, or no such property");
}

void QFunctionality::runConditionalPick(const QString& text)
{
    if (pickAndList(text) == PickOutcome::Unusable)
        showWarning(QStringLiteral("<b>%1</b>").arg(unusableQueryReason()));
}

// A cancelled run leaves the pick as it was.
QFunctionality::PickOutcome QFunctionality::pickAndList(const QString& text)
{
    RunProgress progress;
    QString typeName;
    const std::unique_ptr<Query> query =
        parseQuery(text, typeName, [&progress] { return progress.goOn(0); });
    if (query && query->cancelled)
        return PickOutcome::Cancelled;
    if (!query || !query->isWellFormed())
        return PickOutcome::Unusable;
    std::optional<std::vector<paintObject*>> matches = matchingObjects(typeName, *query, progress);
    if (!matches)
        return PickOutcome::Cancelled;
    ViewerApp* app = ViewerApp::instance();
    app->pickedList = std::move(*matches);
    app->listedName.clear();
    doListPicked();
    app->listedQuery = text;
    return PickOutcome::Picked;
}

void QFunctionality::doExpandRelatedSearch(QListWidgetItem* item)
{
    if (item)
        runConditionalPick(RelatedSearchEntry::searchOf(*item));
}

void QFunctionality::doHighlightItemRelatedSearch(QListWidgetItem* item)
{
    if (!item || !item->listWidget() || !item->isSelected())
        return;
    runHighlightSearch(RelatedSearchEntry::searchOf(*item));
}

void QFunctionality::doHighlightItemRelatedSearch(int currentRow)
{
    doHighlightItemRelatedSearch(ViewerApp::instance()->relatedList->item(currentRow));
}

// Every highlight is cleared, unless a run is cancelled (highlights and pick then stay as they
// were); an unusable query stops silently there, without a repaint.
void QFunctionality::runHighlightSearch(const QString& text)
{
    RunProgress progress;
    QString typeName;
    const std::unique_ptr<Query> query =
        parseQuery(text, typeName, [&progress] { return progress.goOn(0); });
    if (query && query->cancelled)
        return;
    if (!query || !query->isWellFormed()) {
        DrawingModel::instance()->clearHighlight();
        return;
    }
    const std::optional<std::vector<paintObject*>> matches =
        matchingObjects(typeName, *query, progress);
    if (!matches)
        return;
    DrawingModel::instance()->clearHighlight();
    ViewerApp::instance()->pickedList.clear();
    DrawingModel::instance()->setHighlighted(*matches, true);
    ViewerApp::instance()->display->repaint();
}
