#include "preferences/DefaultsSerializable.h"

#include <iostream>

namespace Defaults {
namespace Detail {

std::optional<std::string> encodeJsonFragment(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray { value }).toJson(QJsonDocument::Compact);
    // Drop the "[" and "]" of the one-element array.
    return array.mid(1, array.size() - 2).toStdString();
}

void printError(const std::string &description)
{
    std::cout << description << std::endl;
}

} // namespace Detail

std::optional<std::string> UUIDBridge::serialize(const std::optional<QUuid> &value)
{
    if (!value) {
        return std::nullopt;
    }
    return value->toString(QUuid::WithoutBraces).toUpper().toStdString();
}

std::optional<QUuid> UUIDBridge::deserialize(const std::optional<std::string> &text)
{
    if (!text) {
        return std::nullopt;
    }
    return JsonCoding<QUuid>::decode(QJsonValue(QString::fromStdString(*text)));
}

} // namespace Defaults
