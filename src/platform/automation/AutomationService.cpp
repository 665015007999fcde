#include "platform/automation/AutomationService.h"

#include "platform/automation/AutomationIntrospection.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QLoggingCategory>

#include <exception>

namespace {

Q_LOGGING_CATEGORY(lcAutomation, "tapewick.automation")

const QString introspectableInterface = QStringLiteral("org.freedesktop.DBus.Introspectable");
const QString peerInterface = QStringLiteral("org.freedesktop.DBus.Peer");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// "(s state, d seconds)", for messages that say what a method takes.
QString describeArguments(const std::vector<AutomationArgument> &arguments)
{
    QStringList parts;
    for (const AutomationArgument &argument : arguments) {
        parts << argument.signature + QLatin1Char(' ') + argument.name;
    }
    return QLatin1Char('(') + parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}

QString signatureOf(const QVariantList &values)
{
    QString signature;
    for (const QVariant &value : values) {
        const char *type = QDBusMetaType::typeToSignature(value.metaType());
        signature += type ? QString::fromLatin1(type) : QStringLiteral("?");
    }
    return signature;
}

} // namespace

AutomationService::AutomationService(AutomationInterface interface, QObject *parent)
    : QDBusVirtualObject(parent)
    , m_interface(std::move(interface))
{ }

AutomationService::~AutomationService()
{
    withdraw();
}

std::optional<QString> AutomationService::exportOn(const QDBusConnection &connection, const QString &path)
{
    withdraw();
    if (!connection.isConnected()) {
        return QStringLiteral("Not connected to the bus: %1").arg(connection.lastError().message());
    }
    QDBusConnection target = connection;
    if (!target.registerVirtualObject(path, this, QDBusConnection::SingleNode)) {
        return QStringLiteral("Could not export %1 at %2: the path is taken or not valid")
            .arg(m_interface.name, path);
    }
    m_connection = target;
    m_path = path;
    return std::nullopt;
}

void AutomationService::withdraw()
{
    if (m_connection) {
        m_connection->unregisterObject(m_path);
        m_connection.reset();
        m_path.clear();
    }
}

AutomationResult AutomationService::answer(const QDBusMessage &call) const
{
    const QString interfaceName = call.interface();
    if (interfaceName == propertiesInterface) {
        return answerProperties(call);
    }
    // A call without an interface name is matched by the method name alone.
    if (!interfaceName.isEmpty() && interfaceName != m_interface.name) {
        return AutomationError::unknownInterface(QStringLiteral("No interface %1 at %2; it has %3")
                                                     .arg(interfaceName, call.path(), m_interface.name));
    }
    const AutomationMethod *method = m_interface.method(call.member());
    if (!method) {
        return AutomationError::unknownMethod(
            QStringLiteral("No method %1 in %2; the methods are %3")
                .arg(call.member(), m_interface.name, m_interface.methodNames().join(QStringLiteral(", "))));
    }
    if (call.signature() != method->inputSignature()) {
        return AutomationError::invalidArguments(
            QStringLiteral("%1 takes %2, not arguments of type (%3)")
                .arg(method->name, describeArguments(method->inputs), call.signature()));
    }

    AutomationResult result;
    try {
        result = method->handler(call.arguments());
    } catch (const std::exception &error) {
        return AutomationError::failed(QString::fromUtf8(error.what()));
    } catch (...) {
        // Nothing may leave a handler into the event loop.
        return AutomationError::failed(QStringLiteral("%1 failed").arg(method->name));
    }
    if (const QVariantList *values = std::get_if<QVariantList>(&result)) {
        // Callers trust the introspected types; a handler that strays from them is our bug.
        const QString answered = signatureOf(*values);
        if (answered != method->outputSignature()) {
            qCWarning(lcAutomation) << method->name << "answered" << answered << "instead of"
                                    << method->outputSignature();
            return AutomationError::failed(QStringLiteral("%1 could not answer").arg(method->name));
        }
    }
    return result;
}

// The connection lists the properties interface for every object, so it must answer: there are none.
AutomationResult AutomationService::answerProperties(const QDBusMessage &call) const
{
    if (call.member() == QStringLiteral("GetAll") && call.signature() == QStringLiteral("s")) {
        return QVariantList { QVariantMap() };
    }
    return AutomationError { QStringLiteral("org.freedesktop.DBus.Error.UnknownProperty"),
        QStringLiteral("%1 has no properties").arg(m_interface.name) };
}

QString AutomationService::introspect(const QString &) const
{
    return introspectionXml(m_interface);
}

bool AutomationService::handleMessage(const QDBusMessage &message, const QDBusConnection &connection)
{
    if (message.type() != QDBusMessage::MethodCallMessage) {
        return false;
    }
    // The connection answers these for every object.
    if (message.interface() == introspectableInterface || message.interface() == peerInterface) {
        return false;
    }
    const AutomationResult result = answer(message);
    if (message.isReplyRequired()) {
        QDBusMessage reply = std::holds_alternative<QVariantList>(result)
            ? message.createReply(std::get<QVariantList>(result))
            : message.createErrorReply(
                std::get<AutomationError>(result).name, std::get<AutomationError>(result).message);
        connection.send(reply);
    }
    return true;
}
