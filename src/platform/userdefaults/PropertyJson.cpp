#include "platform/userdefaults/PropertyJson.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace PropertyJson {
namespace {

constexpr int maximumDepth = 256;

void appendUtf8(std::string &out, char32_t code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at `at`, 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
        return 1;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (at + length > text.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at + i) & 0x3F);
    }
    const char32_t minimum[] = { 0, 0, 0x80, 0x800, 0x10000 };
    if (code < minimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

void appendString(std::string &out, std::string_view text)
{
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 0xF];
            ++i;
        } else if (const std::size_t length = utf8SequenceLength(text, i)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            // JSON holds only Unicode text; a stray byte becomes U+FFFD.
            appendUtf8(out, 0xFFFD);
            ++i;
        }
    }
    out += '"';
}

void appendIndent(std::string &out, int depth)
{
    out += '\n';
    out.append(static_cast<std::size_t>(depth) * 2, ' ');
}

void appendTag(std::string &out, std::string_view tag, const std::string &value, int depth)
{
    out += '{';
    appendIndent(out, depth + 1);
    appendString(out, tag);
    out += ": ";
    out += value;
    appendIndent(out, depth);
    out += '}';
}

void appendValue(std::string &out, const PropertyValue &value, int depth);

void appendMembers(std::string &out, const PropertyDictionary &members, int depth,
    const std::map<std::string, std::string, std::less<>> *raw = nullptr)
{
    if (members.empty() && (raw == nullptr || raw->empty())) {
        out += "{}";
        return;
    }
    out += '{';
    bool first = true;
    const auto member = [&](const std::string &key) {
        if (!first) {
            out += ',';
        }
        first = false;
        appendIndent(out, depth + 1);
        appendString(out, key);
        out += ": ";
    };
    for (const auto &[key, element] : members) {
        member(key);
        appendValue(out, element, depth + 1);
    }
    if (raw != nullptr) {
        for (const auto &[key, text] : *raw) {
            if (!members.contains(key)) {
                member(key);
                out += text;
            }
        }
    }
    appendIndent(out, depth);
    out += '}';
}

void appendValue(std::string &out, const PropertyValue &value, int depth)
{
    switch (value.kind()) {
    case PropertyValue::Kind::Bool:
        out += *value.as<bool>() ? "true" : "false";
        return;
    case PropertyValue::Kind::Int:
        out += std::to_string(*value.as<std::int64_t>());
        return;
    case PropertyValue::Kind::UInt:
        appendTag(out, "$uint64", '"' + std::to_string(*value.as<std::uint64_t>()) + '"', depth);
        return;
    case PropertyValue::Kind::Double: {
        const double number = *value.as<double>();
        if (std::isnan(number)) {
            appendTag(out, "$double", "\"nan\"", depth);
        } else if (std::isinf(number)) {
            appendTag(out, "$double", number > 0 ? "\"inf\"" : "\"-inf\"", depth);
        } else {
            char buffer[64];
            const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
            std::string text(buffer, result.ptr);
            if (text.find_first_of(".e") == std::string::npos) {
                text += ".0";
            }
            out += text;
        }
        return;
    }
    case PropertyValue::Kind::String:
        appendString(out, *value.as<std::string>());
        return;
    case PropertyValue::Kind::Data:
        appendTag(out, "$data", '"' + value.as<QByteArray>()->toBase64().toStdString() + '"', depth);
        return;
    case PropertyValue::Kind::Date:
        appendTag(out, "$date", std::to_string(value.as<PropertyDate>()->time_since_epoch().count()), depth);
        return;
    case PropertyValue::Kind::Array: {
        const PropertyArray &elements = *value.as<PropertyArray>();
        if (elements.empty()) {
            out += "[]";
            return;
        }
        out += '[';
        for (std::size_t i = 0; i < elements.size(); ++i) {
            if (i > 0) {
                out += ',';
            }
            appendIndent(out, depth + 1);
            appendValue(out, elements[i], depth + 1);
        }
        appendIndent(out, depth);
        out += ']';
        return;
    }
    case PropertyValue::Kind::Dictionary: {
        const PropertyDictionary &members = *value.as<PropertyDictionary>();
        if (members.size() == 1 && members.begin()->first.starts_with('$')) {
            std::string inner;
            appendMembers(inner, members, depth + 1);
            appendTag(out, "$dict", inner, depth);
        } else {
            appendMembers(out, members, depth);
        }
        return;
    }
    }
}

using Json = nlohmann::json;

std::optional<PropertyValue> untag(const std::string &tag, const PropertyValue &value)
{
    const std::string *text = value.as<std::string>();
    if (tag == "$data" && text != nullptr) {
        auto decoded = QByteArray::fromBase64Encoding(
            QByteArray::fromStdString(*text), QByteArray::AbortOnBase64DecodingErrors);
        if (decoded) {
            return PropertyValue(std::move(*decoded));
        }
    } else if (tag == "$date") {
        if (const std::int64_t *nanoseconds = value.as<std::int64_t>()) {
            return PropertyValue(PropertyDate(std::chrono::nanoseconds(*nanoseconds)));
        }
    } else if (tag == "$uint64" && text != nullptr) {
        std::uint64_t number = 0;
        const auto result = std::from_chars(text->data(), text->data() + text->size(), number);
        if (result.ec == std::errc() && result.ptr == text->data() + text->size() && !text->empty()) {
            return PropertyValue(number);
        }
    } else if (tag == "$double" && text != nullptr) {
        if (*text == "nan") {
            return PropertyValue(std::numeric_limits<double>::quiet_NaN());
        }
        if (*text == "inf" || *text == "-inf") {
            const double infinity = std::numeric_limits<double>::infinity();
            return PropertyValue(*text == "inf" ? infinity : -infinity);
        }
    } else if (tag == "$dict" && value.kind() == PropertyValue::Kind::Dictionary) {
        return value;
    }
    return std::nullopt;
}

// A JSON value as a property-list value; none when it has no such form (null, an unknown tag,
// a number beyond the double range). `literalObject`: an object read as a dictionary even
// when it looks like a tag.
std::optional<PropertyValue> toProperty(const Json &json, bool literalObject = false)
{
    switch (json.type()) {
    case Json::value_t::boolean:
        return PropertyValue(json.get<bool>());
    case Json::value_t::number_integer:
        return PropertyValue(json.get<std::int64_t>());
    case Json::value_t::number_unsigned: {
        // The reader takes every non-negative integer as unsigned; the file's kinds keep
        // unsigned for what a signed integer cannot hold.
        const auto number = json.get<std::uint64_t>();
        if (number <= std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
            return PropertyValue(std::int64_t(number));
        }
        return PropertyValue(number);
    }
    case Json::value_t::number_float: {
        const double number = json.get<double>();
        return std::isfinite(number) ? std::optional(PropertyValue(number)) : std::nullopt;
    }
    case Json::value_t::string:
        return PropertyValue(json.get<std::string>());
    case Json::value_t::array: {
        PropertyArray elements;
        for (const Json &element : json) {
            std::optional<PropertyValue> value = toProperty(element);
            if (!value) {
                return std::nullopt;
            }
            elements.push_back(std::move(*value));
        }
        return PropertyValue(std::move(elements));
    }
    case Json::value_t::object: {
        PropertyDictionary members;
        for (const auto &[key, member] : json.items()) {
            std::optional<PropertyValue> value = toProperty(member, key == "$dict");
            if (!value) {
                return std::nullopt;
            }
            members.insert_or_assign(key, std::move(*value));
        }
        if (!literalObject && members.size() == 1 && members.begin()->first.starts_with('$')) {
            return untag(members.begin()->first, members.begin()->second);
        }
        return PropertyValue(std::move(members));
    }
    default:
        return std::nullopt;
    }
}

std::string withOverflowsAsNull(std::string_view text);

// Parses the text; none when it is not JSON or nests deeper than the limit, `error` then says
// why and where.
std::optional<Json> parse(std::string_view text, QString *error)
{
    bool tooDeep = false;
    const Json::parser_callback_t depthCheck = [&](int depth, Json::parse_event_t event, Json &) {
        if (depth > maximumDepth
            && (event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start
                || event == Json::parse_event_t::value)) {
            tooDeep = true;
            return false;
        }
        return true;
    };
    try {
        Json json;
        try {
            json = Json::parse(text, depthCheck);
        } catch (const Json::out_of_range &) {
            json = Json::parse(withOverflowsAsNull(text), depthCheck);
        }
        if (!tooDeep) {
            return json;
        }
        if (error != nullptr) {
            *error = QStringLiteral("nesting deeper than %1 levels").arg(maximumDepth);
        }
    } catch (const Json::exception &failure) {
        if (error != nullptr) {
            *error = QString::fromUtf8(failure.what());
        }
    }
    return std::nullopt;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::size_t skipSpace(std::string_view text, std::size_t at)
{
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
    return at;
}

// The end of the string that opens at `at`; the end of the text when the string is not closed
// (the scans here also see text that is no JSON at all).
std::size_t stringEnd(std::string_view text, std::size_t at)
{
    for (++at; at < text.size(); ++at) {
        if (text[at] == '"') {
            return at + 1;
        }
        if (text[at] == '\\') {
            ++at;
        }
    }
    return text.size();
}

// The reader refuses a number beyond the double range outright, where the file keeps the member
// that holds it as text it cannot decode: such a number is read as a null of the same length,
// which keeps the offsets of everything else.
std::string withOverflowsAsNull(std::string_view text)
{
    std::string out(text);
    const char decimalPoint = *std::localeconv()->decimal_point;
    for (std::size_t at = 0; at < out.size();) {
        if (out[at] == '"') {
            at = stringEnd(out, at);
        } else if (out[at] == '-' || (out[at] >= '0' && out[at] <= '9')) {
            const std::size_t end = std::min(out.find_first_not_of("0123456789+-.eE", at), out.size());
            std::string number = out.substr(at, end - at);
            std::replace(number.begin(), number.end(), '.', decimalPoint);
            if (std::isinf(std::strtod(number.c_str(), nullptr))) {
                out.replace(at, end - at, "null" + std::string(end - at - 4, ' '));
            }
            at = end;
        } else {
            ++at;
        }
    }
    return out;
}

// The end of the value that starts at `at`.
std::size_t valueEnd(std::string_view text, std::size_t at)
{
    int depth = 0;
    while (at < text.size()) {
        const char c = text[at];
        if (c == '"') {
            at = stringEnd(text, at);
        } else {
            depth += (c == '{' || c == '[') ? 1 : (c == '}' || c == ']') ? -1 : 0;
            ++at;
        }
        if (depth == 0
            && (at == text.size() || isSpace(text[at]) || text[at] == ',' || text[at] == '}'
                || text[at] == ']')) {
            return at;
        }
    }
    return text.size();
}

// The text of every member of the object that `text`, already checked to be valid JSON, holds:
// a member kept as written is written back exactly.
std::map<std::string, std::string, std::less<>> memberTexts(std::string_view text)
{
    std::map<std::string, std::string, std::less<>> members;
    std::size_t at = skipSpace(text, text.find('{') + 1);
    while (at < text.size() && text[at] != '}') {
        const std::size_t keyEnd = stringEnd(text, at);
        std::string key = Json::parse(text.substr(at, keyEnd - at)).get<std::string>();
        const std::size_t start = skipSpace(text, skipSpace(text, keyEnd) + 1);
        const std::size_t end = valueEnd(text, start);
        members.insert_or_assign(std::move(key), std::string(text.substr(start, end - start)));
        at = skipSpace(text, end);
        if (text[at] == ',') {
            at = skipSpace(text, at + 1);
        }
    }
    return members;
}

} // namespace

std::string encodeDocument(
    const PropertyDictionary &values, const std::map<std::string, std::string, std::less<>> &undecodable)
{
    std::string out;
    appendMembers(out, values, 0, &undecodable);
    out += '\n';
    return out;
}

std::optional<Document> decodeDocument(std::string_view text, QString *error)
{
    std::optional<Json> json = parse(text, error);
    if (!json) {
        return std::nullopt;
    }
    if (!json->is_object()) {
        if (error != nullptr) {
            *error = QStringLiteral("not a JSON object");
        }
        return std::nullopt;
    }
    Document document;
    std::vector<std::string> undecodable;
    for (const auto &[key, member] : json->items()) {
        if (std::optional<PropertyValue> value = toProperty(member)) {
            document.values.insert_or_assign(key, std::move(*value));
        } else {
            undecodable.push_back(key);
        }
    }
    if (!undecodable.empty()) {
        std::map<std::string, std::string, std::less<>> texts = memberTexts(text);
        for (const std::string &key : undecodable) {
            document.undecodable.insert_or_assign(key, std::move(texts[key]));
        }
    }
    return document;
}

std::string encodeValue(const PropertyValue &value)
{
    std::string out;
    appendValue(out, value, 0);
    return out;
}

std::optional<PropertyValue> decodeValue(std::string_view text)
{
    const std::optional<Json> json = parse(text, nullptr);
    return json ? toProperty(*json) : std::nullopt;
}

} // namespace PropertyJson
