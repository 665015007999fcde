#include "DesktopTest.h"
#include "EventLoop.h"

#include "platform/automation/AutomationService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QString path = QStringLiteral("/org/tapewick/test/Counter");
const QString interfaceName = QStringLiteral("org.tapewick.test.Counter");
const QString titleAnnotation = QStringLiteral("org.tapewick.test.Title");

// A small target: a total that calls add to, plus methods that fail in each way a handler can.
AutomationInterface counterInterface(int &total)
{
    const auto ok = [](QVariantList values) -> AutomationResult { return values; };
    return { interfaceName,
        {
            { QStringLiteral("Add"), { { titleAnnotation, QStringLiteral("Add \"<&> to the total") } },
                { { QStringLiteral("amount"), QStringLiteral("i"),
                    { { titleAnnotation, QStringLiteral("Amount") } } } },
                { { QStringLiteral("total"), QStringLiteral("i"), {} } },
                [&total, ok](const QVariantList &arguments) {
                    total += arguments.at(0).toInt();
                    return ok({ total });
                } },
            { QStringLiteral("Total"), {}, {}, { { QStringLiteral("total"), QStringLiteral("i"), {} } },
                [&total, ok](const QVariantList &) { return ok({ total }); } },
            { QStringLiteral("Refuse"), {}, {}, {},
                [](const QVariantList &) -> AutomationResult {
                    return AutomationError { QStringLiteral("org.tapewick.test.Error.Refused"),
                        QStringLiteral("Refused on purpose") };
                } },
            { QStringLiteral("Throw"), {}, {}, {},
                [](const QVariantList &) -> AutomationResult {
                    throw std::runtime_error("broken handler");
                } },
            { QStringLiteral("Stray"), {}, {}, { { QStringLiteral("total"), QStringLiteral("i"), {} } },
                [ok](const QVariantList &) { return ok({ QStringLiteral("not a number") }); } },
        } };
}

class AutomationServiceOnTheBusTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        ASSERT_TRUE(m_client.isConnected());
        const std::optional<QString> failure = m_service.exportOn(QDBusConnection::sessionBus(), path);
        ASSERT_FALSE(failure) << failure->toStdString();
    }

    void TearDown() override { QDBusConnection::disconnectFromBus(m_client.name()); }

    // Calls from another connection, as another program would; the service answers on this
    // thread, so the loop runs while the reply is awaited.
    QDBusMessage call(const QString &method, const QVariantList &arguments = {},
        const QString &interface = interfaceName, const QString &objectPath = path)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            QDBusConnection::sessionBus().baseService(), objectPath, interface, method);
        message.setArguments(arguments);
        QDBusPendingCall pending = m_client.asyncCall(message, 5000);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return pending.isFinished(); }));
        return pending.reply();
    }

    int m_total = 0;
    AutomationService m_service { counterInterface(m_total) };
    QDBusConnection m_client = QDBusConnection::connectToBus(
        QDBusConnection::SessionBus, QStringLiteral("automation-test-client"));
};

TEST_F(AutomationServiceOnTheBusTest, AnswersCallsAndRefusesBadOnesWithoutReachingTheHandler)
{
    struct Case
    {
        const char *what;
        QString interface;
        QString method;
        QVariantList arguments;
        QString errorName; // empty: a reply
        QString text; // in the error message, or the reply's first value
    };
    const QString invalidArgs = QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs");
    const std::vector<Case> cases = {
        { "a call", interfaceName, "Add", { 5 }, {}, "5" },
        { "no interface named", {}, "Add", { 2 }, {}, "7" },
        { "a wrong type", interfaceName, "Add", { QStringLiteral("5") }, invalidArgs,
            "Add takes (i amount), not arguments of type (s)" },
        { "a missing argument", interfaceName, "Add", {}, invalidArgs,
            "Add takes (i amount), not arguments of type ()" },
        { "an extra argument", interfaceName, "Add", { 1, 1 }, invalidArgs, "not arguments of type (ii)" },
        { "an unknown method", interfaceName, "Subtract", { 1 }, "org.freedesktop.DBus.Error.UnknownMethod",
            "No method Subtract in org.tapewick.test.Counter; the methods are Add, Total, Refuse, Throw, "
            "Stray" },
        { "an unknown interface", "org.tapewick.test.Other", "Add", { 1 },
            "org.freedesktop.DBus.Error.UnknownInterface", "No interface org.tapewick.test.Other" },
        { "a named refusal", interfaceName, "Refuse", {}, "org.tapewick.test.Error.Refused",
            "Refused on purpose" },
        { "a throwing handler", interfaceName, "Throw", {}, "org.freedesktop.DBus.Error.Failed",
            "broken handler" },
        { "a handler answering the wrong type", interfaceName, "Stray", {},
            "org.freedesktop.DBus.Error.Failed", "Stray could not answer" },
        { "no properties", "org.freedesktop.DBus.Properties", "GetAll", { interfaceName }, {}, "" },
        { "no property", "org.freedesktop.DBus.Properties", "Get", { interfaceName, QStringLiteral("total") },
            "org.freedesktop.DBus.Error.UnknownProperty", "org.tapewick.test.Counter has no properties" },
        { "the total after all that", interfaceName, "Total", {}, {}, "7" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QDBusMessage reply = call(c.method, c.arguments, c.interface);
        if (c.errorName.isEmpty()) {
            ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
            EXPECT_EQ(reply.arguments().value(0).toString(), c.text);
        } else {
            ASSERT_EQ(reply.type(), QDBusMessage::ErrorMessage);
            EXPECT_EQ(reply.errorName(), c.errorName);
            EXPECT_TRUE(reply.errorMessage().contains(c.text)) << reply.errorMessage().toStdString();
        }
    }
}

TEST_F(AutomationServiceOnTheBusTest, IntrospectionListsTheMethodsAndAPathHoldsOneServiceUntilItGoes)
{
    const QDBusMessage reply
        = call(QStringLiteral("Introspect"), {}, QStringLiteral("org.freedesktop.DBus.Introspectable"));
    const QString xml = reply.arguments().value(0).toString();
    QXmlStreamReader reader(xml);
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) { }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    for (const char *expected : {
             R"(<method name="Add">
      <annotation name="org.tapewick.test.Title" value="Add &quot;&lt;&amp;&gt; to the total"/>
      <arg name="amount" type="i" direction="in">
        <annotation name="org.tapewick.test.Title" value="Amount"/>
      </arg>
      <arg name="total" type="i" direction="out"/>
    </method>)",
             R"(<interface name="org.freedesktop.DBus.Introspectable">)" }) {
        EXPECT_TRUE(xml.contains(QLatin1String(expected))) << expected << "\nin\n" << xml.toStdString();
    }

    // A path holds one service and is freed when it goes.
    int otherTotal = 100;
    AutomationService other(counterInterface(otherTotal));
    const std::optional<QString> refused = other.exportOn(QDBusConnection::sessionBus(), path);
    ASSERT_TRUE(refused);
    EXPECT_TRUE(refused->contains(path)) << refused->toStdString();

    m_service.withdraw();
    EXPECT_EQ(call(QStringLiteral("Total")).errorName(),
        QStringLiteral("org.freedesktop.DBus.Error.UnknownObject"));
    ASSERT_FALSE(other.exportOn(QDBusConnection::sessionBus(), path));
    EXPECT_EQ(call(QStringLiteral("Total")).arguments().value(0).toInt(), 100);
}

} // namespace
