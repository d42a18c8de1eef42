#include "app/displayfilter.h"

#include "app/viewerapp.h"
#include "canvas/qwgtdisplay.h"
#include "commands/qfunctionality.h"
#include "model/paintobject.h"
#include "query/condition.h"
#include "query/conjunction.h"
#include "query/preparedquery.h"
#include "query/query.h"

#include <QStringList>

#include <algorithm>
#include <set>

struct DisplayFilter::Clause {
    std::unique_ptr<Query> query;
    std::unique_ptr<PreparedQuery> prepared;
    const DrawingModel::ObjectList* objects = nullptr;
};

namespace
{

// The clauses of a text, without the empty ones (a trailing ";" is not an error).
QStringList clauseTexts(const QString& text)
{
    QStringList clauses;
    for (const QString& part : text.split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty())
            clauses.append(part);
    }
    return clauses;
}

using ParsedClauses = std::vector<std::pair<std::string, std::unique_ptr<Query>>>;

// The first property of the query that the kind does not declare; empty when it declares all.
QString undeclaredProperty(const Query& query, const std::string& type)
{
    const DrawingModel::ComparatorMap* declared = nullptr;
    const auto& comparators = DrawingModel::instance()->comparators;
    if (const auto found = comparators.find(type); found != comparators.end())
        declared = &found->second;
    for (const Conjunction& conjunction : query.conjunctions) {
        for (const Condition& condition : conjunction.conditions) {
            if (!declared || declared->find(condition.property) == declared->end())
                return condition.property;
        }
    }
    return QString();
}

// The clauses as queries with their types; empty, with the reason in `problem`, when one is
// unusable.
ParsedClauses parseClauses(const QString& text, QString& problem)
{
    ParsedClauses parsed;
    std::set<std::string> types;
    for (const QString& clause : clauseTexts(text)) {
        QString typeName;
        std::unique_ptr<Query> query = ViewerApp::instance()->commands.parseQuery(clause, typeName);
        if (!query || !query->isWellFormed()) {
            problem = QFunctionality::unusableQueryReason();
            return {};
        }
        std::string type = typeName.toLatin1().toStdString();
        if (!types.insert(type).second) {
            problem =
                QStringLiteral("%1 has two clauses: join their conditions with ||").arg(typeName);
            return {};
        }
        if (const QString property = undeclaredProperty(*query, type); !property.isEmpty()) {
            problem = QStringLiteral("no such property: %1 declares no %2").arg(typeName, property);
            return {};
        }
        parsed.emplace_back(std::move(type), std::move(query));
    }
    return parsed;
}

} // namespace

DisplayFilter::DisplayFilter(QObject* parent) : QObject(parent)
{
    chunkTimer.setSingleShot(true);
    chunkTimer.setInterval(0);
    connect(&chunkTimer, &QTimer::timeout, this, &DisplayFilter::testChunk);
    inputHold.setOnEscape([this] {
        cancel();
        emit stopped();
    });
}

DisplayFilter::~DisplayFilter() = default;

QString DisplayFilter::problemWith(const QString& text)
{
    QString problem;
    parseClauses(text, problem);
    return problem;
}

bool DisplayFilter::apply(const QString& text)
{
    QString problem;
    ParsedClauses parsed = parseClauses(text, problem);
    if (!problem.isEmpty())
        return false;
    cancel();
    running = text;
    DrawingModel* model = DrawingModel::instance();
    static const DrawingModel::ComparatorMap none;
    for (auto& [type, query] : parsed) {
        auto clause = std::make_unique<Clause>();
        const auto declared = model->comparators.find(type);
        clause->prepared = std::make_unique<PreparedQuery>(
            *query, declared != model->comparators.end() ? declared->second : none);
        clause->query = std::move(query);
        clause->objects = &model->objectsOfType(type);
        objectCount += clause->objects->size();
        clauses.push_back(std::move(clause));
    }
    testChunk();
    if (busy())
        inputHold.hold(true);
    return true;
}

void DisplayFilter::testChunk()
{
    std::size_t tests = 0;
    std::size_t start = 0;
    for (const std::unique_ptr<Clause>& clause : clauses) {
        const std::size_t size = clause->objects->size();
        const std::size_t cost = std::max<std::size_t>(1, clause->prepared->conditionCount());
        while (next < start + size && tests < kTestsPerChunk) {
            paintObject* object = (*clause->objects)[next - start];
            if (clause->prepared->matches(*object))
                shown.push_back(object);
            ++next;
            tests += cost;
        }
        start += size;
    }
    if (busy()) {
        emit progressed(next, objectCount);
        chunkTimer.start();
    } else {
        finish();
    }
}

void DisplayFilter::finish()
{
    inputHold.release();
    inForce = running;
    DrawingModel::instance()->setFilter(inForce.isEmpty() ? nullptr : &shown, dim);
    cancel();
    if (QwgtDisplay* display = ViewerApp::instance()->display)
        display->repaint();
    emit changed();
}

void DisplayFilter::cancel()
{
    chunkTimer.stop();
    inputHold.release();
    clauses.clear();
    shown.clear();
    next = objectCount = 0;
}

void DisplayFilter::setDimTheRest(bool dimRest)
{
    if (dim == dimRest)
        return;
    dim = dimRest;
    if (!inForce.isEmpty())
        apply(inForce);
}

void DisplayFilter::afterLoad(bool kept)
{
    cancel();
    // A kept filter the new drawing cannot take (its kind or a property is gone) is dropped, as
    // the new drawing starts with every object shown.
    if (inForce.isEmpty() || (kept && apply(inForce)))
        return;
    inForce.clear();
    emit changed();
}
