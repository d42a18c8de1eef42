#include "query/conjunction.h"

#include <QStringList>

#include <algorithm>

Conjunction::Conjunction(const QString& text)
{
    for (const QString& part : text.split(QStringLiteral("&&")))
        conditions.emplace_back(part);
}

bool Conjunction::matches(const paintObject& object,
                          const DrawingModel::ComparatorMap& comparators) const
{
    return std::all_of(conditions.begin(), conditions.end(), [&](const Condition& condition) {
        return condition.matches(object, comparators);
    });
}

bool Conjunction::isWellFormed() const
{
    return std::all_of(conditions.begin(), conditions.end(),
                       [](const Condition& condition) { return condition.valid; });
}
