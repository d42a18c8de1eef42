#include "query/query.h"

#include <QStringList>

#include <algorithm>

Query::Query(const QString& text)
{
    for (const QString& part : text.split(QStringLiteral("||")))
        conjunctions.emplace_back(part);
}

bool Query::matches(const paintObject& object, const DrawingModel::ComparatorMap& comparators) const
{
    return std::any_of(
        conjunctions.begin(), conjunctions.end(),
        [&](const Conjunction& conjunction) { return conjunction.matches(object, comparators); });
}

bool Query::isWellFormed() const
{
    return std::all_of(conjunctions.begin(), conjunctions.end(),
                       [](const Conjunction& conjunction) { return conjunction.isWellFormed(); });
}
