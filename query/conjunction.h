#pragma once

#include "query/condition.h"

#include <vector>

// Conditions joined by "&&": all must hold.
class Conjunction
{
public:
    // Splits at every "&&", keeping empty parts (which make conditions that aren't valid).
    explicit Conjunction(const QString& text);

    // Stops at the first condition that fails.
    bool matches(const paintObject& object, const DrawingModel::ComparatorMap& comparators) const;
    bool isWellFormed() const;

    std::vector<Condition> conditions;
};
