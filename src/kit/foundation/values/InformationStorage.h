#pragma once

#include <compare>

// An amount of information in a unit of its own, convertible between units.
class InformationStorage
{
public:
    enum class Unit {
        bits,
        bytes,
        kilobits,
        kilobytes,
        megabytes,
        gigabytes,
        terabytes,
        kibibytes,
        mebibytes,
        gibibytes
    };

    constexpr InformationStorage(double value, Unit unit)
        : m_value(value)
        , m_unit(unit)
    { }

    constexpr double value() const { return m_value; }
    constexpr Unit unit() const { return m_unit; }

    // The size of one unit in bytes.
    static double bytesPerUnit(Unit unit);
    InformationStorage converted(Unit unit) const;

    // Equal amounts in different units compare equal.
    friend bool operator==(const InformationStorage &a, const InformationStorage &b);
    friend std::partial_ordering operator<=>(const InformationStorage &a, const InformationStorage &b);

private:
    double m_value;
    Unit m_unit;
};
