#include "platform/userdefaults/PropertyJson.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <algorithm>
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
    { "numbers-beyond-their-keys.json",
        { { "KeyboardShortcuts_toggleRecording", "KeyboardShortcuts_togglePauseRecording",
              "KeyboardShortcuts_toggleInputMonitoring", "lossless", "forceMono", "count" },
            {} } },
};

// A number reads as a type only when that type holds it exactly; a conversion out of range would
// stop the sanitizer build.
template<class... T>
void expectReadOnlyWhereHeld(const PropertyValue &value)
{
    if (const PropertyArray *array = value.as<PropertyArray>()) {
        std::ranges::for_each(*array, expectReadOnlyWhereHeld<T...>);
    } else if (const PropertyDictionary *dictionary = value.as<PropertyDictionary>()) {
        std::ranges::for_each(*dictionary | std::views::values, expectReadOnlyWhereHeld<T...>);
    } else if (const double *number = value.as<double>()) {
        (
            [&] {
                if (const std::optional<T> read = value.exactNumber<T>()) {
                    EXPECT_EQ(static_cast<long double>(*read), static_cast<long double>(*number));
                }
            }(),
            ...);
    }
}

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
    ASSERT_GE(names.size(), 19) << "the broken files are found";
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
        EXPECT_EQ(PropertyJson::decodeValue(text).has_value(), document && document->undecodable.empty())
            << "undecodable members make the value undecodable";
        if (document) {
            std::ranges::for_each(document->values | std::views::values,
                expectReadOnlyWhereHeld<std::int8_t, std::uint8_t, std::int32_t, std::uint32_t, std::int64_t,
                    std::uint64_t, bool>);
            EXPECT_EQ(keysOf(document->values), expected->second.first);
            EXPECT_EQ(keysOf(document->undecodable), expected->second.second);
        } else {
            EXPECT_FALSE(error.isEmpty());
        }
    }
}

} // namespace
