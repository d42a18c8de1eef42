#pragma once

#include <QString>

// How a declared property's values compare with a query's operand. Each operation takes the
// object's value first and the operand second.
class Comparator
{
public:
    virtual ~Comparator() = default;
    virtual bool equal(const QString& value, const QString& operand) const = 0;
    virtual bool greater(const QString& value, const QString& operand) const = 0;
    virtual bool less(const QString& value, const QString& operand) const = 0;
};
