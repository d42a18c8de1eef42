#pragma once

#include <QString>

// How a declared property's values compare with a query's operand. Each operation takes the
// object's value first and the operand second.
class Comparator
{
public:
    // A text read once into what the comparisons of readings use: a query reads each operand
    // once, and an object's value once however many of its conditions test it.
    struct Reading {
        QString text;
        double number = 0.0;
    };

    virtual ~Comparator() = default;
    virtual bool equal(const QString& value, const QString& operand) const = 0;
    virtual bool greater(const QString& value, const QString& operand) const = 0;
    virtual bool less(const QString& value, const QString& operand) const = 0;

    // The text as the comparisons of readings need it: the text alone, unless a comparator says
    // otherwise.
    virtual Reading read(const QString& text) const { return {text}; }
    // The three operations on readings, with the results of the operations on the texts read:
    // these compare the texts, unless a comparator says otherwise.
    virtual bool equalReadings(const Reading& value, const Reading& operand) const
    {
        return equal(value.text, operand.text);
    }
    virtual bool greaterReadings(const Reading& value, const Reading& operand) const
    {
        return greater(value.text, operand.text);
    }
    virtual bool lessReadings(const Reading& value, const Reading& operand) const
    {
        return less(value.text, operand.text);
    }
};
