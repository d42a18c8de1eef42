#include "query/condition.h"

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
    // No property has an empty name (a record's words are never empty), so a condition without
    // one could match nothing: it is unusable, and said to be, not run.
    valid = !property.isEmpty();
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
