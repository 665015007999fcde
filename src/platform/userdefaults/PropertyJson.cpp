#include "platform/userdefaults/PropertyJson.h"

#include <charconv>
#include <cmath>

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

// Strict RFC 8259 reader. A syntax error fails the whole text; a well-formed value that is no
// property-list value (null, an unknown tag) yields none and parsing goes on.
class Parser
{
public:
    explicit Parser(std::string_view text)
        : m_text(text)
    { }

    bool failed() const { return m_failed; }
    QString error() const { return m_error; }

    void skipSpace()
    {
        while (m_pos < m_text.size()
            && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' || m_text[m_pos] == '\n'
                || m_text[m_pos] == '\r')) {
            ++m_pos;
        }
    }
    bool atEnd()
    {
        skipSpace();
        return m_pos == m_text.size();
    }

    std::optional<Document> parseDocument()
    {
        skipSpace();
        if (!expect('{')) {
            return std::nullopt;
        }
        Document document;
        const bool read = parseSequence('}', [&] {
            std::optional<std::string> key = parseKey();
            if (!key) {
                return;
            }
            skipSpace();
            const std::size_t start = m_pos;
            std::optional<PropertyValue> value = parseValue(1);
            if (m_failed) {
                return;
            }
            if (value) {
                document.undecodable.erase(*key);
                document.values.insert_or_assign(*key, std::move(*value));
            } else {
                document.values.erase(*key);
                document.undecodable.insert_or_assign(*key, std::string(m_text.substr(start, m_pos - start)));
            }
        });
        if (!read) {
            return std::nullopt;
        }
        if (!atEnd()) {
            fail("text after the end of the object");
            return std::nullopt;
        }
        return document;
    }

    // `literalObject`: an object read as a dictionary even when it looks like a tag.
    std::optional<PropertyValue> parseValue(int depth, bool literalObject = false)
    {
        if (depth > maximumDepth) {
            fail("nesting too deep");
            return std::nullopt;
        }
        skipSpace();
        const char c = peek();
        if (c == '{') {
            return parseObject(depth, literalObject);
        }
        if (c == '[') {
            ++m_pos;
            PropertyArray elements;
            bool decodable = true;
            const bool read = parseSequence(']', [&] {
                std::optional<PropertyValue> element = parseValue(depth + 1);
                if (element) {
                    elements.push_back(std::move(*element));
                } else {
                    decodable = false;
                }
            });
            if (!read || !decodable) {
                return std::nullopt;
            }
            return PropertyValue(std::move(elements));
        }
        if (c == '"') {
            std::optional<std::string> text = parseString();
            if (!text) {
                return std::nullopt;
            }
            return PropertyValue(std::move(*text));
        }
        if (literal("true")) {
            return PropertyValue(true);
        }
        if (literal("false")) {
            return PropertyValue(false);
        }
        if (literal("null")) {
            return std::nullopt;
        }
        return parseNumber();
    }

private:
    char peek() const { return m_pos < m_text.size() ? m_text[m_pos] : '\0'; }

    void fail(const char *why)
    {
        if (!m_failed) {
            m_failed = true;
            m_error = QStringLiteral("%1 at offset %2").arg(QString::fromUtf8(why)).arg(m_pos);
        }
    }

    bool expect(char c)
    {
        if (peek() != c) {
            fail("unexpected character");
            return false;
        }
        ++m_pos;
        return true;
    }

    bool literal(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) == word) {
            m_pos += word.size();
            return true;
        }
        return false;
    }

    // Reads `item` after item, comma-separated, up to `close`, the opener already read; false
    // once the text is malformed. Items that read but do not decode are the caller's to count,
    // so one of them does not stop the rest.
    template<class Item>
    bool parseSequence(char close, Item item)
    {
        skipSpace();
        if (peek() == close) {
            ++m_pos;
            return true;
        }
        while (!m_failed) {
            item();
            if (m_failed) {
                break;
            }
            skipSpace();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            expect(close);
            break;
        }
        return !m_failed;
    }

    // A member's name and the colon after it.
    std::optional<std::string> parseKey()
    {
        skipSpace();
        std::optional<std::string> key = parseString();
        skipSpace();
        if (!key || !expect(':')) {
            fail("expected a member name");
            return std::nullopt;
        }
        return key;
    }

    std::optional<PropertyValue> parseObject(int depth, bool literal)
    {
        ++m_pos;
        PropertyDictionary members;
        bool decodable = true;
        const bool read = parseSequence('}', [&] {
            std::optional<std::string> key = parseKey();
            if (!key) {
                return;
            }
            std::optional<PropertyValue> value = parseValue(depth + 1, *key == "$dict");
            if (value) {
                members.insert_or_assign(std::move(*key), std::move(*value));
            } else {
                decodable = false;
            }
        });
        if (!read || !decodable) {
            return std::nullopt;
        }
        if (!literal && members.size() == 1 && members.begin()->first.starts_with('$')) {
            return untag(members.begin()->first, members.begin()->second);
        }
        return PropertyValue(std::move(members));
    }

    static std::optional<PropertyValue> untag(const std::string &tag, const PropertyValue &value)
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

    std::optional<std::string> parseString()
    {
        if (!expect('"')) {
            return std::nullopt;
        }
        std::string out;
        while (true) {
            if (m_pos >= m_text.size()) {
                fail("unterminated string");
                return std::nullopt;
            }
            const unsigned char c = static_cast<unsigned char>(m_text[m_pos]);
            if (c == '"') {
                ++m_pos;
                return out;
            }
            if (c < 0x20) {
                fail("control character in string");
                return std::nullopt;
            }
            if (c == '\\') {
                ++m_pos;
                const char escape = peek();
                ++m_pos;
                switch (escape) {
                case '"':
                    out += '"';
                    break;
                case '\\':
                    out += '\\';
                    break;
                case '/':
                    out += '/';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::optional<char32_t> code = parseHex4();
                    if (!code) {
                        return std::nullopt;
                    }
                    if (*code >= 0xD800 && *code <= 0xDBFF) {
                        if (!literal("\\u")) {
                            fail("lone surrogate");
                            return std::nullopt;
                        }
                        std::optional<char32_t> low = parseHex4();
                        if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                            fail("lone surrogate");
                            return std::nullopt;
                        }
                        *code = 0x10000 + ((*code - 0xD800) << 10) + (*low - 0xDC00);
                    } else if (*code >= 0xDC00 && *code <= 0xDFFF) {
                        fail("lone surrogate");
                        return std::nullopt;
                    }
                    appendUtf8(out, *code);
                    break;
                }
                default:
                    fail("bad escape");
                    return std::nullopt;
                }
                continue;
            }
            const std::size_t length = utf8SequenceLength(m_text, m_pos);
            if (length == 0) {
                fail("invalid UTF-8");
                return std::nullopt;
            }
            out.append(m_text.substr(m_pos, length));
            m_pos += length;
        }
    }

    std::optional<char32_t> parseHex4()
    {
        if (m_pos + 4 > m_text.size()) {
            fail("short \\u escape");
            return std::nullopt;
        }
        unsigned value = 0;
        const auto result = std::from_chars(m_text.data() + m_pos, m_text.data() + m_pos + 4, value, 16);
        if (result.ec != std::errc() || result.ptr != m_text.data() + m_pos + 4) {
            fail("bad \\u escape");
            return std::nullopt;
        }
        m_pos += 4;
        return static_cast<char32_t>(value);
    }

    std::optional<PropertyValue> parseNumber()
    {
        const std::size_t start = m_pos;
        const auto digits = [&] {
            const std::size_t from = m_pos;
            while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
                ++m_pos;
            }
            return m_pos - from;
        };
        const bool negative = peek() == '-';
        if (negative) {
            ++m_pos;
        }
        const std::size_t integerStart = m_pos;
        const std::size_t integerDigits = digits();
        if (integerDigits == 0 || (integerDigits > 1 && m_text[integerStart] == '0')) {
            fail("bad number");
            return std::nullopt;
        }
        bool integral = true;
        if (peek() == '.') {
            integral = false;
            ++m_pos;
            if (digits() == 0) {
                fail("bad number");
                return std::nullopt;
            }
        }
        if (peek() == 'e' || peek() == 'E') {
            integral = false;
            ++m_pos;
            if (peek() == '+' || peek() == '-') {
                ++m_pos;
            }
            if (digits() == 0) {
                fail("bad number");
                return std::nullopt;
            }
        }
        const char *first = m_text.data() + start;
        const char *last = m_text.data() + m_pos;
        if (integral) {
            std::int64_t signedValue = 0;
            if (std::from_chars(first, last, signedValue).ec == std::errc()) {
                return PropertyValue(signedValue);
            }
            std::uint64_t unsignedValue = 0;
            if (!negative && std::from_chars(first, last, unsignedValue).ec == std::errc()) {
                return PropertyValue(unsignedValue);
            }
        }
        double number = 0;
        if (std::from_chars(first, last, number).ec != std::errc()) {
            // libstdc++ refuses subnormals; Qt's locale-independent reader takes them. A number
            // beyond the double range is well-formed but not storable.
            bool ok = false;
            number = QByteArray(first, last - first).toDouble(&ok);
            if (!ok || !std::isfinite(number)) {
                return std::nullopt;
            }
        }
        return PropertyValue(number);
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    bool m_failed = false;
    QString m_error;
};

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
    Parser parser(text);
    std::optional<Document> document = parser.parseDocument();
    if (!document && error != nullptr) {
        *error = parser.failed() ? parser.error() : QStringLiteral("not a JSON object");
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
    Parser parser(text);
    std::optional<PropertyValue> value = parser.parseValue(0);
    if (parser.failed() || !parser.atEnd()) {
        return std::nullopt;
    }
    return value;
}

} // namespace PropertyJson
