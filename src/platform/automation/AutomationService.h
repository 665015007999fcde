#pragma once

#include "platform/automation/AutomationMethod.h"

#include <QDBusConnection>
#include <QDBusVirtualObject>

#include <optional>

// Exports one interface at one object path of a bus connection. Calls are answered on the
// thread that owns the service, one at a time; a call that names an unknown interface or method
// or brings arguments of the wrong types gets an error that says what is expected, and reaches
// no handler. Introspection lists the methods with their annotations.
class AutomationService : public QDBusVirtualObject
{
    Q_OBJECT

public:
    explicit AutomationService(AutomationInterface interface, QObject *parent = nullptr);
    // Withdraws the object from the bus.
    ~AutomationService() override;

    AutomationService(const AutomationService &) = delete;
    AutomationService &operator=(const AutomationService &) = delete;

    const AutomationInterface &description() const { return m_interface; }

    // Makes the interface answer at `path`; on failure the reason, and nothing is exported.
    std::optional<QString> exportOn(const QDBusConnection &connection, const QString &path);
    void withdraw();

    // What a call gets, whoever delivers it.
    AutomationResult answer(const QDBusMessage &call) const;

    QString introspect(const QString &path) const override;
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override;

private:
    AutomationResult answerProperties(const QDBusMessage &call) const;

    AutomationInterface m_interface;
    std::optional<QDBusConnection> m_connection;
    QString m_path;
};
