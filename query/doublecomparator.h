#pragma once

#include "query/comparator.h"

// Compares as numbers; a text that is no number counts as 0. Values closer than 1e-7 (absolute)
// are equal, and then neither greater nor less. Every comparison with a NaN is false.
class DoubleComparator : public Comparator
{
public:
    bool equal(const QString& value, const QString& operand) const override;
    bool greater(const QString& value, const QString& operand) const override;
    bool less(const QString& value, const QString& operand) const override;
};
