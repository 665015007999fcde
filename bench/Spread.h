#pragma once

#include <QList>

// A benchmark's figure over its rounds: CPU time on a shared machine moves from one round to the
// next, so a target is judged by the median and the spread is printed beside it.
struct Spread
{
    double median = 0;
    double lowest = 0;
    double highest = 0;

    static Spread of(QList<double> figures);
};
