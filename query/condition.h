#pragma once

#include "query/comparator.h"

#include <QString>

// One comparison "property OP operand" of a query. Spaces (U+0020 only) are not part of the
// property or the operand; the operator is the first of "!<=>" and the run of "<=>" after it.
class Condition
{
public:
    // What an operator means, told once when the text is read rather than for every object.
    enum class Comparison { None, AtLeast, AtMost, Equal, NotEqual, Greater, Less };

    explicit Condition(const QString& text);

    // Whether the comparison holds between an object's value and an operand, both read by the
    // comparator of the property. An operator without meaning never holds; nor does a condition
    // on a property the object lacks or that has no comparator (PreparedQuery decides those).
    static bool holds(Comparison comparison, const Comparator& compare,
                      const Comparator::Reading& value, const Comparator::Reading& operand);
    Comparison comparison() const { return meaning; }

    // An operator with at least one character after it was found, and a property name before it.
    bool valid = false;
    QString property;
    QString op;
    QString operand;

private:
    static Comparison comparisonOf(const QString& op);

    Comparison meaning = Comparison::None;
};

// Inline: a prepared query calls it for every condition it tests on every object.
inline bool Condition::holds(Comparison comparison, const Comparator& compare,
                             const Comparator::Reading& value, const Comparator::Reading& operand)
{
    switch (comparison) {
    case Comparison::AtLeast:
        return compare.greaterReadings(value, operand) || compare.equalReadings(value, operand);
    case Comparison::AtMost:
        return compare.lessReadings(value, operand) || compare.equalReadings(value, operand);
    case Comparison::Equal:
        return compare.equalReadings(value, operand);
    case Comparison::NotEqual:
        return !compare.equalReadings(value, operand);
    case Comparison::Greater:
        return compare.greaterReadings(value, operand);
    case Comparison::Less:
        return compare.lessReadings(value, operand);
    case Comparison::None:
        break;
    }
    return false;
}
