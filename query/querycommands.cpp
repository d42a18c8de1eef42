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

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QListWidget>
#include <QMainWindow>
#include <QProgressDialog>
#include <QStringList>

#include <algorithm>
#include <memory>
#include <optional>

namespace
{

const QString kUnusableQuery =
    QStringLiteral("<b>%1</b>").arg(QFunctionality::unusableQueryWords());

// A run is checked on after about this many condition tests, a few milliseconds' work.
constexpr std::size_t kTestsBetweenChecks = std::size_t(1) << 16;
// A run that takes longer than this shows its progress and lets the window answer.
constexpr qint64 kQuietMilliseconds = 400;
constexpr int kProgressSteps = 1000;

// Keeps the window answering during a long run: once the run has taken kQuietMilliseconds, a
// modal progress dialog shows, and at every check the window handles its events and the dialog's
// Cancel button can stop the run.
class RunProgress
{
public:
    explicit RunProgress(std::size_t objectCount) : total(objectCount) { clock.start(); }

    // Whether to go on after `done` objects: false once the user cancelled.
    bool goOn(std::size_t done)
    {
        if (!dialog) {
            if (clock.elapsed() < kQuietMilliseconds)
                return true;
            dialog = std::make_unique<QProgressDialog>(
                QStringLiteral("Testing %1 objects against the query").arg(total),
                QStringLiteral("Cancel"), 0, kProgressSteps, ViewerApp::instance()->mainWindow);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->show();
        }
        dialog->setValue(static_cast<int>(done * kProgressSteps / total));
        QCoreApplication::processEvents();
        return !dialog->wasCanceled();
    }

private:
    std::size_t total;
    QElapsedTimer clock;
    std::unique_ptr<QProgressDialog> dialog;
};

// The objects of the type that satisfy the query, in load order, hidden ones included; nothing
// when the user cancelled. A type without declarations has no comparators.
std::optional<std::vector<paintObject*>> matchingObjects(const QString& typeName,
                                                         const Query& query)
{
    static const DrawingModel::ComparatorMap none;
    DrawingModel* model = DrawingModel::instance();
    const std::string type = typeName.toLatin1().toStdString();
    const auto declared = model->comparators.find(type);
    PreparedQuery prepared(query, declared != model->comparators.end() ? declared->second : none);
    const DrawingModel::ObjectList& objects = model->objectsOfType(type);
    const std::size_t objectsBetweenChecks = std::max<std::size_t>(
        1, kTestsBetweenChecks / std::max<std::size_t>(1, prepared.conditionCount()));
    RunProgress progress(objects.size());
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

QString QFunctionality::unusableQueryWords()
{
    return QStringLiteral("wrong format, no such type, or no such property");
}

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
    // The recent queries are offered in the field's list; the field itself starts empty.
    QInputDialog dialog(app->mainWindow);
    dialog.setWindowTitle(QStringLiteral("Conditional Pick"));
    dialog.setLabelText(QStringLiteral("Please input the query"));
    dialog.setComboBoxEditable(true);
    dialog.setComboBoxItems(RememberedState::recentQueries());
    dialog.setTextValue(QString());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QString text = dialog.textValue();
    if (!text.trimmed().isEmpty())
        RememberedState::addRecentQuery(text);
    runConditionalPick(text);
}

void QFunctionality::runConditionalPick(const QString& text)
{
    QString typeName;
    const std::unique_ptr<Query> query = parseQuery(text, typeName);
    if (!query || !query->isWellFormed()) {
        showWarning(kUnusableQuery);
        return;
    }
    if (!pickMatching(typeName, *query))
        return;
    ViewerApp* app = ViewerApp::instance();
    app->listedName.clear();
    doListPicked();
    app->listedQuery = text;
}

bool QFunctionality::pickMatching(const QString& typeName, const Query& query)
{
    std::optional<std::vector<paintObject*>> matches = matchingObjects(typeName, query);
    if (!matches)
        return false;
    ViewerApp::instance()->pickedList = std::move(*matches);
    return true;
}

void QFunctionality::doExpandRelatedSearch(QListWidgetItem* item)
{
    if (item)
        runConditionalPick(item->data(Qt::DisplayRole).toString());
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

// Every highlight is cleared, unless a run is cancelled; an unusable query stops silently there,
// without a repaint.
void QFunctionality::runHighlightSearch(const QString& text)
{
    QString typeName;
    const std::unique_ptr<Query> query = parseQuery(text, typeName);
    if (!query || !query->isWellFormed()) {
        DrawingModel::instance()->clearHighlight();
        return;
    }
    if (highlightMatching(typeName, *query))
        ViewerApp::instance()->display->repaint();
}

bool QFunctionality::highlightMatching(const QString& typeName, const Query& query)
{
    const std::optional<std::vector<paintObject*>> matches = matchingObjects(typeName, query);
    if (!matches)
        return false;
    DrawingModel::instance()->clearHighlight();
    ViewerApp::instance()->pickedList.clear();
    DrawingModel::instance()->setHighlighted(*matches, true);
    return true;
}
