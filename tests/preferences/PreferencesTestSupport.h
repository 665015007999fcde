#pragma once

#include "TemporaryConfigHome.h"
#include "platform/userdefaults/UserDefaults.h"
#include "preferences/Defaults.h"

#include <QCoreApplication>
#include <QEvent>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <string_view>

// A fixture with a private configuration directory and a database of its own.
class PreferencesTest : public ::testing::Test
{
protected:
    PreferencesTest()
        : m_suite(UserDefaults::suite("preferences-test"))
    { }
    // Runs what the test left queued (loops not yet started, resumes, deferred deletions), so
    // that nothing of it still holds a database when the next test opens its own.
    ~PreferencesTest() override
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    UserDefaults &suite() { return *m_suite; }

    TemporaryConfigHome m_home;
    std::shared_ptr<UserDefaults> m_suite;
};

// The shapes the program's own types take.
enum class TestIcon { microphone, circle, record3 };

template<>
struct RawRepresentation<TestIcon>
{
    using RawValue = std::string;
    static constexpr std::array<std::string_view, 3> names { "microphone", "circle", "record3" };
    static std::string rawValue(TestIcon icon) { return std::string(names.at(std::size_t(icon))); }
    static std::optional<TestIcon> fromRawValue(const std::string &raw)
    {
        const auto found = std::ranges::find(names, raw);
        return found == names.end() ? std::nullopt : std::optional(TestIcon(found - names.begin()));
    }
};

struct TestPoint
{
    int x = 0;
    int y = 0;
    friend bool operator==(const TestPoint &, const TestPoint &) = default;
    QJsonValue toJson() const { return QJsonObject { { "x", x }, { "y", y } }; }
    static std::optional<TestPoint> fromJson(const QJsonValue &json)
    {
        const QJsonObject object = json.toObject();
        if (!object.value("x").isDouble() || !object.value("y").isDouble()) {
            return std::nullopt;
        }
        return TestPoint { object.value("x").toInt(), object.value("y").toInt() };
    }
};

// Data-backed, codable and raw-representable, preferring its raw value, as bookmarks do.
struct TestBookmark
{
    using RawValue = QByteArray;
    QByteArray data;
    friend bool operator==(const TestBookmark &, const TestBookmark &) = default;
    QByteArray rawValue() const { return data; }
    static std::optional<TestBookmark> fromRawValue(const QByteArray &raw) { return TestBookmark { raw }; }
    QJsonValue toJson() const { return QString::fromLatin1(data.toBase64()); }
    static std::optional<TestBookmark> fromJson(const QJsonValue &json)
    {
        return json.isString()
            ? std::optional(TestBookmark { QByteArray::fromBase64(json.toString().toLatin1()) })
            : std::nullopt;
    }
};
template<>
inline constexpr bool defaultsPreferRawRepresentable<TestBookmark> = true;
