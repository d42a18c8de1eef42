#pragma once

#include "model/drawingmodel.h"
#include "query/comparator.h"
#include "query/condition.h"
#include "query/conjunction.h"

#include <QString>

#include <cstddef>
#include <vector>

class Query;
class paintObject;

// A query made ready to test many objects of one type. Each condition's comparator is found and
// its operand read once, here; an object's value of a property is looked up and read once, when
// the first condition on it is tested, however many conditions test it after that. Tests run in
// the query's order and stop as early as Query::matches says.
class PreparedQuery
{
public:
    // Borrows the comparator map of the query's type: it must outlive this. Stops early, and is
    // cancelled, when the check says so.
    PreparedQuery(const Query& query, const DrawingModel::ComparatorMap& comparators,
                  ReadCheck&& check = ReadCheck());

    // Query::matches() for the object. Not const: it keeps the values it read of the object.
    bool matches(const paintObject& object);
    // The number of conditions: what testing one object costs at most, in condition tests.
    std::size_t conditionCount() const { return tests.size(); }
    bool cancelled() const { return stopped; }

private:
    // A property that conditions test, with its comparator and its value for the object tested
    // last.
    struct Property {
        QString name;
        const Comparator* comparator = nullptr;
        // The object count (see `tested`) at which `value` was read; 0 for none yet.
        unsigned long long readAt = 0;
        bool present = false;
        Comparator::Reading value;
    };
    // One condition, with the property it tests and its operand as the comparator reads it.
    struct Test {
        Condition::Comparison comparison = Condition::Comparison::None;
        // An index into `properties`, or kNever for a property without a comparator.
        std::size_t property = 0;
        Comparator::Reading operand;
    };
    static constexpr std::size_t kNever = static_cast<std::size_t>(-1);

    bool holds(const Test& test, const paintObject& object);

    // The tests of every conjunction in order, one after the other; each conjunction's tests end
    // at its entry of conjunctionEnds.
    std::vector<Test> tests;
    std::vector<std::size_t> conjunctionEnds;
    std::vector<Property> properties;
    // How many objects have been tested; tells a value read for an earlier object from a current
    // one.
    unsigned long long tested = 0;
    bool stopped = false;
};
