#include "query/query.h"

#include "query/preparedquery.h"

#include <QStringTokenizer>

#include <algorithm>

// An unusable text is never evaluated, so it is read only up to its first unusable condition: a
// long run of separators then costs neither time nor memory.
Query::Query(const QString& text, ReadCheck&& check)
{
    for (const QStringView part : qTokenize(text, u"||")) {
        if (!conjunctions.emplace_back(part, check).isWellFormed() || check.cancelled())
            break;
    }
    cancelled = check.cancelled();
}

bool Query::matches(const paintObject& object, const DrawingModel::ComparatorMap& comparators) const
{
    return PreparedQuery(*this, comparators).matches(object);
}

bool Query::isWellFormed() const
{
    return std::all_of(conjunctions.begin(), conjunctions.end(),
                       [](const Conjunction& conjunction) { return conjunction.isWellFormed(); });
}
