#pragma once

#include "query/comparator.h"

// Compares as text: UTF-16 code units, case-sensitive, no locale.
class StringComparator : public Comparator
{
public:
    bool equal(const QString& value, const QString& operand) const override
    {
        return value == operand;
    }
    bool greater(const QString& value, const QString& operand) const override
    {
        return operand < value;
    }
    bool less(const QString& value, const QString& operand) const override
    {
        return value < operand;
    }
};
