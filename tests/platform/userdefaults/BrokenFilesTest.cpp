#include "platform/userdefaults/PropertyJson.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <ranges>
#include <set>

namespace {

// Files a hand edit, a torn copy or a broken disk can leave. The ones that are JSON objects read as
// their values (members beyond the double range kept as text); the rest are refused.
const std::map<QString, std::pair<std::set<std::string>, std::set<std::string>>> parsed {
    { "overflow-beside-tricky-strings.json", { { "s", "y" }, { "x" } } },
    { "huge-numbers.json", { { "c", "d" }, { "a", "b" } } },
};

template<typename Map>
std::set<std::string> keysOf(const Map &map)
{
    const auto keys = map | std::views::keys;
    return { keys.begin(), keys.end() };
}

// Every file of the folder is read from a buffer of exactly its size, so that a read past its end
// is caught (by the address sanitizer build).
TEST(PropertyJsonBrokenFiles, EachIsReadWithoutOverrunningItsBufferAndParsedOrRefused)
{
    const QDir directory(QStringLiteral(BROKEN_FILES_DIR));
    const QStringList names = directory.entryList(QDir::Files);
    ASSERT_GE(names.size(), 18) << "the broken files are found";
    for (const QString &name : names) {
        SCOPED_TRACE(name.toStdString());
        QFile file(directory.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        const auto exact = std::make_unique<char[]>(static_cast<std::size_t>(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), exact.get());
        const std::string_view text(exact.get(), static_cast<std::size_t>(bytes.size()));

        const auto expected = parsed.find(name);
        QString error;
        const std::optional<PropertyJson::Document> document = PropertyJson::decodeDocument(text, &error);
        ASSERT_EQ(document.has_value(), expected != parsed.end()) << error.toStdString();
        EXPECT_FALSE(PropertyJson::decodeValue(text).has_value())
            << "undecodable members make the value undecodable";
        if (document) {
            EXPECT_EQ(keysOf(document->values), expected->second.first);
            EXPECT_EQ(keysOf(document->undecodable), expected->second.second);
        } else {
            EXPECT_FALSE(error.isEmpty());
        }
    }
}

} // namespace
