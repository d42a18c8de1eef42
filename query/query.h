#pragma once

#include "model/drawingmodel.h"
#include "query/conjunction.h"

#include <vector>

class paintObject;

// The condition part of a query: conjunctions joined by "||", one of which must hold. "&&"
// binds more tightly; there are no parentheses, quotes or escapes.
class Query
{
public:
    // Splits at every "||", keeping empty parts; stops after the first conjunction that is not
    // well formed, or when the check says so (the query is then cancelled, and unusable).
    explicit Query(const QString& text, ReadCheck&& check = ReadCheck());

    // Tries the conjunctions in order and stops at the first that holds; a conjunction tries its
    // conditions in order and stops at the first that fails. To test many objects, a
    // PreparedQuery does the same faster.
    bool matches(const paintObject& object, const DrawingModel::ComparatorMap& comparators) const;
    // Every condition has an operator and something after it.
    bool isWellFormed() const;

    std::vector<Conjunction> conjunctions;
    bool cancelled = false;
};
