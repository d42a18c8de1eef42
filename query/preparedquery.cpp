#include "query/preparedquery.h"

#include "model/paintobject.h"
#include "query/query.h"

#include <QHash>

PreparedQuery::PreparedQuery(const Query& query, const DrawingModel::ComparatorMap& comparators,
                             ReadCheck&& check)
{
    QHash<QString, std::size_t> indexOf;
    for (const Conjunction& conjunction : query.conjunctions) {
        for (const Condition& condition : conjunction.conditions) {
            if (!check.next()) {
                stopped = true;
                return;
            }
            Test& test = tests.emplace_back();
            test.comparison = condition.comparison();
            const auto declared = comparators.find(condition.property);
            if (declared == comparators.end()) {
                test.property = kNever;
                continue;
            }
            const Comparator& compare = *declared->second;
            test.operand = compare.read(condition.operand);
            const auto known = indexOf.constFind(condition.property);
            if (known != indexOf.cend()) {
                test.property = known.value();
                continue;
            }
            test.property = properties.size();
            indexOf.insert(condition.property, test.property);
            Property& property = properties.emplace_back();
            property.name = condition.property;
            property.comparator = &compare;
        }
        conjunctionEnds.push_back(tests.size());
    }
}

// An object without the property, or a property without a comparator,
// fails the condition whatever the operator.
bool PreparedQuery::holds(const Test& test, const paintObject& object)
{
    if (test.property == kNever)
        return false;
    Property& property = properties[test.property];
    if (property.readAt != tested) {
        const auto value = object.properties.constFind(property.name);
        property.present = value != object.properties.cend();
        if (property.present)
            property.value = property.comparator->read(value.value());
        property.readAt = tested;
    }
    return property.present &&
           Condition::holds(test.comparison, *property.comparator, property.value, test.operand);
}

bool PreparedQuery::matches(const paintObject& object)
{
    ++tested;
    std::size_t next = 0;
    for (const std::size_t end : conjunctionEnds) {
        while (next < end && holds(tests[next], object))
            ++next;
        if (next == end)
            return true;
        next = end;
    }
    return false;
}
