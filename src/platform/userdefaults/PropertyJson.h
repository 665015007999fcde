#pragma once

#include "platform/userdefaults/PropertyValue.h"

#include <QString>

#include <map>
#include <optional>
#include <string>
#include <string_view>

// The text form of a suite's file: one JSON object whose members are the stored keys.
// Kinds that JSON lacks are written as one-member objects: {"$data": base64},
// {"$date": nanoseconds since the epoch}, {"$uint64": "digits"}, {"$double": "nan"|"inf"|"-inf"};
// a dictionary that would look like such a tag is wrapped as {"$dict": {...}}. A double always
// carries a fraction or exponent so that it reads back as a double, not an integer.
namespace PropertyJson {

struct Document
{
    PropertyDictionary values;
    // Members that are valid JSON but no property-list value (unknown tag, null, bad base64),
    // kept as their JSON text so that a rewrite of the file does not lose them.
    std::map<std::string, std::string, std::less<>> undecodable;
};

std::string encodeDocument(const PropertyDictionary &values,
    const std::map<std::string, std::string, std::less<>> &undecodable = {});

// None when the text is not a JSON object; `error` then says why and where.
std::optional<Document> decodeDocument(std::string_view text, QString *error = nullptr);

std::string encodeValue(const PropertyValue &value);
std::optional<PropertyValue> decodeValue(std::string_view text);

} // namespace PropertyJson
