#include "platform/automation/AutomationIntrospection.h"

namespace {

QString attribute(const QString &value)
{
    return QLatin1Char('"') + value.toHtmlEscaped() + QLatin1Char('"');
}

QString annotationsXml(const std::vector<AutomationAnnotation> &annotations, const QString &indent)
{
    QString xml;
    for (const AutomationAnnotation &annotation : annotations) {
        xml += indent
            + QStringLiteral("<annotation name=%1 value=%2/>\n")
                  .arg(attribute(annotation.name), attribute(annotation.value));
    }
    return xml;
}

QString argumentsXml(const std::vector<AutomationArgument> &arguments, const QString &direction)
{
    QString xml;
    for (const AutomationArgument &argument : arguments) {
        const QString opening
            = QStringLiteral("      <arg name=%1 type=%2 direction=%3")
                  .arg(attribute(argument.name), attribute(argument.signature), attribute(direction));
        if (argument.annotations.empty()) {
            xml += opening + QStringLiteral("/>\n");
        } else {
            xml += opening + QStringLiteral(">\n")
                + annotationsXml(argument.annotations, QStringLiteral("        "))
                + QStringLiteral("      </arg>\n");
        }
    }
    return xml;
}

} // namespace

QString introspectionXml(const AutomationInterface &interface)
{
    QString xml = QStringLiteral("  <interface name=%1>\n").arg(attribute(interface.name));
    for (const AutomationMethod &method : interface.methods) {
        xml += QStringLiteral("    <method name=%1>\n").arg(attribute(method.name));
        xml += annotationsXml(method.annotations, QStringLiteral("      "));
        xml += argumentsXml(method.inputs, QStringLiteral("in"));
        xml += argumentsXml(method.outputs, QStringLiteral("out"));
        xml += QStringLiteral("    </method>\n");
    }
    return xml + QStringLiteral("  </interface>\n");
}
