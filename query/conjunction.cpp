#include "query/conjunction.h"

#include <QStringTokenizer>

#include <algorithm>

Conjunction::Conjunction(QStringView text, ReadCheck& check)
{
    for (const QStringView part : qTokenize(text, u"&&")) {
        if (!conditions.emplace_back(part.toString()).valid || !check.next())
            break;
    }
}

bool Conjunction::isWellFormed() const
{
    return std::all_of(conditions.begin(), conditions.end(),
                       [](const Condition& condition) { return condition.valid; });
}
