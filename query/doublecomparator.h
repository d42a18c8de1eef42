#pragma once

#include "query/comparator.h"

// Compares as numbers; a text that is no number counts as 0. Values closer than 1e-7 (absolute)
// are equal, and then neither greater nor less. Every comparison with a NaN is false. A reading
// holds the number, so that comparing it converts nothing.
class DoubleComparator : public Comparator
{
public:
    bool equal(const QString& value, const QString& operand) const override;
    bool greater(const QString& value, const QString& operand) const override;
    bool less(const QString& value, const QString& operand) const override;

    Reading read(const QString& text) const override;
    bool equalReadings(const Reading& value, const Reading& operand) const override;
    bool greaterReadings(const Reading& value, const Reading& operand) const override;
    bool lessReadings(const Reading& value, const Reading& operand) const override;
};
