#include "kit/foundation/values/InformationStorage.h"

double InformationStorage::bytesPerUnit(Unit unit)
{
    switch (unit) {
    case Unit::bits:
        return 0.125;
    case Unit::bytes:
        return 1;
    case Unit::kilobits:
        return 125;
    case Unit::kilobytes:
        return 1e3;
    case Unit::megabytes:
        return 1e6;
    case Unit::gigabytes:
        return 1e9;
    case Unit::terabytes:
        return 1e12;
    case Unit::kibibytes:
        return 1024.0;
    case Unit::mebibytes:
        return 1024.0 * 1024;
    case Unit::gibibytes:
        return 1024.0 * 1024 * 1024;
    }
    return 1;
}

InformationStorage InformationStorage::converted(Unit unit) const
{
    if (unit == m_unit) {
        return *this;
    }
    return InformationStorage(m_value * bytesPerUnit(m_unit) / bytesPerUnit(unit), unit);
}

bool operator==(const InformationStorage &a, const InformationStorage &b)
{
    return a.converted(InformationStorage::Unit::bytes).value()
        == b.converted(InformationStorage::Unit::bytes).value();
}

std::partial_ordering operator<=>(const InformationStorage &a, const InformationStorage &b)
{
    return a.converted(InformationStorage::Unit::bytes).value()
        <=> b.converted(InformationStorage::Unit::bytes).value();
}
