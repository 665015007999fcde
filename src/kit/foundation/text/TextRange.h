#pragma once

#include <QHashFunctions>
#include <QtGlobal>

// A half-open range of positions in a QString (UTF-16 units).
struct TextRange
{
    qsizetype lowerBound = 0;
    qsizetype upperBound = 0;

    constexpr qsizetype length() const { return upperBound - lowerBound; }
    friend constexpr bool operator==(const TextRange &, const TextRange &) = default;
};

inline size_t qHash(const TextRange &range, size_t seed = 0) noexcept
{
    return qHashMulti(seed, range.lowerBound, range.upperBound);
}
