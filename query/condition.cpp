#include "query/condition.h"

#include "model/paintobject.h"
#include "query/comparator.h"

namespace
{

bool startsOperator(QChar c)
{
    return c == QLatin1Char('!') || c == QLatin1Char('<') || c == QLatin1Char('=') ||
           c == QLatin1Char('>');
}

bool continuesOperator(QChar c)
{
    return c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>');
}

QString withoutSpaces(QString text)
{
    return text.remove(QLatin1Char(' '));
}

} // namespace

Condition::Condition(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && !startsOperator(text[i]))
        ++i;
    if (i >= text.size())
        return;
    qsizetype j = i + 1;
    if (j >= text.size())
        return;
    while (continuesOperator(text[j])) {
        if (++j >= text.size())
            return;
    }
    property = withoutSpaces(text.left(i));
    op = text.mid(i, j - i);
    operand = withoutSpaces(text.mid(j));
    meaning = comparisonOf(op);
    valid = true;
}

Condition::Comparison Condition::comparisonOf(const QString& op)
{
    if (op == QLatin1String(">="))
        return Comparison::AtLeast;
    if (op == QLatin1String("<="))
        return Comparison::AtMost;
    if (op == QLatin1String("==") || op == QLatin1String("="))
        return Comparison::Equal;
    if (op == QLatin1String("!="))
        return Comparison::NotEqual;
    if (op == QLatin1String(">"))
        return Comparison::Greater;
    if (op == QLatin1String("<"))
        return Comparison::Less;
    return Comparison::None;
}

bool Condition::matches(const paintObject& object,
                        const DrawingModel::ComparatorMap& comparators) const
{
    const auto value = object.properties.constFind(property);
    if (value == object.properties.cend())
        return false;
    // A property declared with a kind that compares nothing, or never declared, has no rule
    // for comparing its values: no condition on it holds, as for an operator without meaning.
    const auto declared = comparators.find(property);
    if (declared == comparators.end())
        return false;
    const Comparator& compare = *declared->second;
    return holds(meaning, compare, compare.read(value.value()), compare.read(operand));
}
