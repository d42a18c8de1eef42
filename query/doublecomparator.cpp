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
    return closeEnough(value.toDouble(), operand.toDouble());
}

bool DoubleComparator::greater(const QString& value, const QString& operand) const
{
    const double a = value.toDouble(), b = operand.toDouble();
    return a > b && !closeEnough(a, b);
}

bool DoubleComparator::less(const QString& value, const QString& operand) const
{
    const double a = value.toDouble(), b = operand.toDouble();
    return a < b && !closeEnough(a, b);
}
