#include "Spread.h"

#include <algorithm>

Spread Spread::of(QList<double> figures)
{
    if (figures.isEmpty()) {
        return {};
    }
    std::sort(figures.begin(), figures.end());
    const qsizetype middle = figures.size() / 2;
    const double median
        = figures.size() % 2 == 1 ? figures[middle] : (figures[middle - 1] + figures[middle]) / 2;
    return { median, figures.constFirst(), figures.constLast() };
}
