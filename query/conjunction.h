#pragma once

#include "query/condition.h"

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

// Asked while a long query is read and prepared, every kConditionsBetweenChecks conditions,
// whether to go on: a query of a million conditions can be cancelled before its first test.
class ReadCheck
{
public:
    static constexpr std::size_t kConditionsBetweenChecks = 4096;

    // No function: always goes on.
    explicit ReadCheck(std::function<bool()> goOn = {}) : goOn(std::move(goOn)) {}
    // Counts a condition; false once the function has said to stop.
    bool next()
    {
        if (++sinceCheck == kConditionsBetweenChecks) {
            sinceCheck = 0;
            stopped = stopped || (goOn && !goOn());
        }
        return !stopped;
    }
    bool cancelled() const { return stopped; }

private:
    std::function<bool()> goOn;
    std::size_t sinceCheck = 0;
    bool stopped = false;
};

// Conditions joined by "&&": all must hold.
class Conjunction
{
public:
    // Splits at every "&&", keeping empty parts (which make conditions that aren't valid). Stops
    // after the first condition that isn't valid: the conjunction is unusable then. Stops as well
    // when the check says so.
    Conjunction(QStringView text, ReadCheck& check);

    bool isWellFormed() const;

    std::vector<Condition> conditions;
};
