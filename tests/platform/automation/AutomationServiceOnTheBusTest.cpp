#include "DesktopTest.h"
#include "EventLoop.h"

#include "platform/automation/AutomationService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QThread>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
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

TEST_F(AutomationServiceOnTheBusTest, IntrospectionListsTheMethodsWithTheirAnnotations)
{
    const QDBusMessage reply
        = call(QStringLiteral("Introspect"), {}, QStringLiteral("org.freedesktop.DBus.Introspectable"));
    ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage) << reply.errorMessage().toStdString();
    // method/arg → annotation name → value, and each arg's type and direction.
    std::map<QString, std::map<QString, QString>> annotations;
    std::map<QString, QString> arguments;
    QStringList interfaces;
    QString method;
    QString argument;
    QXmlStreamReader xml(reply.arguments().value(0).toString());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const auto attribute
            = [&](const char *name) { return xml.attributes().value(QLatin1String(name)).toString(); };
        if (xml.name() == QLatin1String("interface")) {
            interfaces << attribute("name");
        } else if (xml.name() == QLatin1String("method")) {
            method = attribute("name");
            argument.clear();
        } else if (xml.name() == QLatin1String("arg")) {
            argument = method + QLatin1Char('.') + attribute("name");
            arguments[argument] = attribute("type") + QLatin1Char(' ') + attribute("direction");
        } else if (xml.name() == QLatin1String("annotation")) {
            annotations[argument.isEmpty() ? method : argument][attribute("name")] = attribute("value");
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(interfaces.contains(interfaceName));
    EXPECT_TRUE(interfaces.contains(QStringLiteral("org.freedesktop.DBus.Introspectable")));
    EXPECT_EQ(annotations["Add"][titleAnnotation], QStringLiteral("Add \"<&> to the total"));
    EXPECT_EQ(annotations["Add.amount"][titleAnnotation], QStringLiteral("Amount"));
    EXPECT_EQ(arguments["Add.amount"], QStringLiteral("i in"));
    EXPECT_EQ(arguments["Add.total"], QStringLiteral("i out"));
    EXPECT_EQ(arguments["Total.total"], QStringLiteral("i out"));
}

TEST_F(AutomationServiceOnTheBusTest, APathHoldsOneServiceAndIsFreedWhenItGoes)
{
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

TEST_F(AutomationServiceOnTheBusTest, ConcurrentClientsAreAnsweredOneCallAtATime)
{
    constexpr int clients = 4;
    constexpr int callsEach = 50;
    std::atomic<int> answered = 0;
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < clients; ++i) {
        threads.emplace_back(QThread::create([i, &answered] {
            const QString name = QStringLiteral("automation-test-client-%1").arg(i);
            {
                QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, name);
                for (int n = 0; n < callsEach; ++n) {
                    QDBusMessage message
                        = QDBusMessage::createMethodCall(QDBusConnection::sessionBus().baseService(), path,
                            interfaceName, QStringLiteral("Add"));
                    message.setArguments({ 1 });
                    if (bus.call(message, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage) {
                        ++answered;
                    }
                }
            }
            QDBusConnection::disconnectFromBus(name);
        }));
        threads.back()->start();
    }
    const bool finished = TestSupport::processEventsUntil(
        [&] {
            return std::all_of(threads.begin(), threads.end(), [](const auto &t) { return t->isFinished(); });
        },
        std::chrono::seconds(60));
    for (const auto &thread : threads) {
        thread->wait();
    }
    ASSERT_TRUE(finished);
    EXPECT_EQ(answered, clients * callsEach);
    EXPECT_EQ(m_total, clients * callsEach);
}

} // namespace
