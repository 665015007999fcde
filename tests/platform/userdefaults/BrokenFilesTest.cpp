#include "platform/userdefaults/PropertyJson.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

// Files a hand edit, a torn copy or a broken disk can leave. The ones that are JSON objects read
// as their values (members beyond the double range kept as text); the rest are refused.
struct BrokenFile
{
    const char *name;
    bool parses;
    std::set<std::string> values;
    std::set<std::string> undecodable;
};

const BrokenFile brokenFiles[] = {
    { "overflow-then-unterminated-string.json", false, {}, {} },
    { "overflow-then-backslash-at-end.json", false, {}, {} },
    { "overflow-then-quote-at-end.json", false, {}, {} },
    { "overflow-then-end.json", false, {}, {} },
    { "overflow-beside-tricky-strings.json", true, { "s", "y" }, { "x" } },
    { "huge-numbers.json", true, { "c", "d" }, { "a", "b" } },
    { "nan-literals.json", false, {}, {} },
    { "unterminated-string.json", false, {}, {} },
    { "bad-escape.json", false, {}, {} },
    { "bad-unicode-escape.json", false, {}, {} },
    { "lone-surrogate.json", false, {}, {} },
    { "deep-nesting-closed.json", false, {}, {} },
    { "deep-nesting-unclosed.json", false, {}, {} },
    { "invalid-utf8.json", false, {}, {} },
    { "nul-byte.json", false, {}, {} },
    { "bom-only.json", false, {}, {} },
    { "empty.json", false, {}, {} },
    { "binary-garbage.bin", false, {}, {} },
};

template<typename Map>
std::set<std::string> keysOf(const Map &map)
{
    std::set<std::string> keys;
    for (const auto &entry : map) {
        keys.insert(entry.first);
    }
    return keys;
}

TEST(PropertyJsonBrokenFiles, EachIsReadWithoutOverrunningItsBufferAndParsedOrRefused)
{
    const QDir directory(QStringLiteral(BROKEN_FILES_DIR));
    QStringList unlisted = directory.entryList(QDir::Files);
    for (const BrokenFile &expected : brokenFiles) {
        SCOPED_TRACE(expected.name);
        unlisted.removeAll(QString::fromLatin1(expected.name));
        QFile file(directory.filePath(QString::fromLatin1(expected.name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        // A buffer of exactly the file's size, so that a read past its end is caught.
        const std::size_t size = static_cast<std::size_t>(bytes.size());
        const auto exact = std::make_unique<char[]>(size);
        std::copy(bytes.begin(), bytes.end(), exact.get());
        const std::string_view text(exact.get(), size);

        QString error;
        const std::optional<PropertyJson::Document> document = PropertyJson::decodeDocument(text, &error);
        ASSERT_EQ(document.has_value(), expected.parses) << error.toStdString();
        EXPECT_EQ(
            PropertyJson::decodeValue(text).has_value(), expected.parses && expected.undecodable.empty());
        if (!document) {
            EXPECT_FALSE(error.isEmpty());
            continue;
        }
        EXPECT_EQ(keysOf(document->values), expected.values);
        EXPECT_EQ(keysOf(document->undecodable), expected.undecodable);
        // What was read is written back and reads as the same again.
        const std::string rewritten = PropertyJson::encodeDocument(document->values, document->undecodable);
        const std::optional<PropertyJson::Document> again = PropertyJson::decodeDocument(rewritten);
        ASSERT_TRUE(again) << rewritten;
        EXPECT_EQ(again->values, document->values);
        EXPECT_EQ(again->undecodable, document->undecodable);
    }
    EXPECT_TRUE(unlisted.isEmpty()) << "files without an expectation: "
                                    << unlisted.join(QStringLiteral(", ")).toStdString();
}

} // namespace
