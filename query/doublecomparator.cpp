#include "query/doublecomparator.h"

#include <cmath>

namespace
{

constexpr double kEqualTolerance = 1e-07;

// Equal values are close even where their difference is no number: two infinities.
bool closeEnough(double a, double b)
{
    return a == b || std::fabs(a - b) < kEqualTolerance;
}

} // namespace

bool DoubleComparator::equal(const QString& value, const QString& operand) const
{
    return equalReadings(read(value), read(operand));
}

bool DoubleComparator::greater(const QString& value, const QString& operand) const
{
    return greaterReadings(read(value), read(operand));
}

bool DoubleComparator::less(const QString& value, const QString& operand) const
{
    return lessReadings(read(value), read(operand));
}

Comparator::Reading DoubleComparator::read(const QString& text) const
{
    return {text, text.toDouble()};
}

bool DoubleComparator::equalReadings(const Reading& value, const Reading& operand) const
{
    return closeEnough(value.number, operand.number);
}

bool DoubleComparator::greaterReadings(const Reading& value, const Reading& operand) const
{
    return value.number > operand.number && !closeEnough(value.number, operand.number);
}

bool DoubleComparator::lessReadings(const Reading& value, const Reading& operand) const
{
    return value.number < operand.number && !closeEnough(value.number, operand.number);
}
