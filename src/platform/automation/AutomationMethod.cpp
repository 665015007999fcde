#include "platform/automation/AutomationMethod.h"

#include <QStringList>

namespace {

QString joinedSignature(const std::vector<AutomationArgument> &arguments)
{
    QString signature;
    for (const AutomationArgument &argument : arguments) {
        signature += argument.signature;
    }
    return signature;
}

} // namespace

QString AutomationMethod::inputSignature() const
{
    return joinedSignature(inputs);
}

QString AutomationMethod::outputSignature() const
{
    return joinedSignature(outputs);
}

const AutomationMethod *AutomationInterface::method(const QString &name) const
{
    for (const AutomationMethod &candidate : methods) {
        if (candidate.name == name) {
            return &candidate;
        }
    }
    return nullptr;
}

QStringList AutomationInterface::methodNames() const
{
    QStringList names;
    for (const AutomationMethod &method : methods) {
        names << method.name;
    }
    return names;
}
