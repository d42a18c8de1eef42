#pragma once

#include "query/condition.h"

#include <vector>

// Conditions joined by "&&": all must hold.
class Conjunction
{
public:
    // Splits at every "&&", keeping empty parts (which make conditions that aren't valid). Stops
    // after the first condition that isn't valid: the conjunction is unusable then.
    explicit Conjunction(QStringView text);

    bool isWellFormed() const;

    std::vector<Condition> conditions;
};
