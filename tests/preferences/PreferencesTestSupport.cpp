#include "PreferencesTestSupport.h"

std::string RawRepresentation<TestIcon>::rawValue(TestIcon icon)
{
    switch (icon) {
    case TestIcon::microphone:
        return "microphone";
    case TestIcon::circle:
        return "circle";
    case TestIcon::record3:
        return "record3";
    }
    return {};
}

std::optional<TestIcon> RawRepresentation<TestIcon>::fromRawValue(const std::string &raw)
{
    for (TestIcon icon : { TestIcon::microphone, TestIcon::circle, TestIcon::record3 }) {
        if (rawValue(icon) == raw) {
            return icon;
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
