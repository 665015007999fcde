#pragma once

#include "platform/automation/AutomationError.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <variant>
#include <vector>

// Extra facts about a method or argument that introspection shows (titles, defaults, choices).
struct AutomationAnnotation
{
    QString name;
    QString value;
};

struct AutomationArgument
{
    QString name;
    // A single complete D-Bus type ("s", "d", "as").
    QString signature;
    std::vector<AutomationAnnotation> annotations;
};

// The values of the out arguments in their order, or the error to answer instead.
using AutomationResult = std::variant<QVariantList, AutomationError>;

// One method of an exported interface. The handler gets the in arguments already checked
// against their declared types and runs on the thread that owns the service.
struct AutomationMethod
{
    using Handler = std::function<AutomationResult(const QVariantList &arguments)>;

    QString name;
    std::vector<AutomationAnnotation> annotations;
    std::vector<AutomationArgument> inputs;
    std::vector<AutomationArgument> outputs;
    Handler handler;

    QString inputSignature() const;
    QString outputSignature() const;
};

struct AutomationInterface
{
    QString name;
    std::vector<AutomationMethod> methods;

    const AutomationMethod *method(const QString &name) const;
    QStringList methodNames() const;
};
