#pragma once

#include "model/drawingmodel.h"

#include <QString>

class paintObject;

// One comparison "property OP operand" of a query. Spaces (U+0020 only) are not part of the
// property or the operand; the operator is the first of "!<=>" and the run of "<=>" after it.
class Condition
{
public:
    explicit Condition(const QString& text);

    // The object has the property and its comparator says the operator holds. An operator
    // without meaning never holds, nor does any operator on a property without a comparator.
    bool matches(const paintObject& object, const DrawingModel::ComparatorMap& comparators) const;

    // An operator with at least one character after it was found.
    bool valid = false;
    QString property;
    QString op;
    QString operand;

private:
    // What the operator means, told once when the text is read rather than for every object.
    enum class Comparison { None, AtLeast, AtMost, Equal, NotEqual, Greater, Less };
    static Comparison comparisonOf(const QString& op);

    Comparison comparison = Comparison::None;
};
