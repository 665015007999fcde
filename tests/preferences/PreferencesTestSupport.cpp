#include "PreferencesTestSupport.h"

#include <array>

namespace {
constexpr std::array<const char *, 3> iconNames { "microphone", "circle", "record3" };
}

std::string RawRepresentation<TestIcon>::rawValue(TestIcon icon)
{
    return iconNames.at(static_cast<std::size_t>(icon));
}

std::optional<TestIcon> RawRepresentation<TestIcon>::fromRawValue(const std::string &raw)
{
    for (std::size_t index = 0; index < iconNames.size(); ++index) {
        if (raw == iconNames[index]) {
            return static_cast<TestIcon>(index);
        }
    }
    return std::nullopt;
}

std::optional<TestPoint> TestPoint::fromJson(const QJsonValue &json)
{
    const QJsonObject object = json.toObject();
    if (!object.value("x").isDouble() || !object.value("y").isDouble()) {
        return std::nullopt;
    }
    return TestPoint { object.value("x").toInt(), object.value("y").toInt() };
}

std::optional<TestBookmark> TestBookmark::fromJson(const QJsonValue &json)
{
    if (!json.isString()) {
        return std::nullopt;
    }
    return TestBookmark { QByteArray::fromBase64(json.toString().toLatin1()) };
}
