#include "kit/services/DebugInfo.h"

#include "kit/services/KwApp.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>
#include <QSysInfo>
#include <QtGlobal>

#include <algorithm>

namespace {

QString readTrimmed(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).trimmed();
}

// DMI fields the firmware left at a placeholder tell nothing.
bool isPlaceholder(const QString &value)
{
    static const QRegularExpression placeholder(
        QStringLiteral(
            "^(to be filled by o\\.e\\.m\\.|default string|system product name|not specified|none)$"),
        QRegularExpression::CaseInsensitiveOption);
    return value.isEmpty() || placeholder.match(value).hasMatch();
}

} // namespace

std::optional<QString> DebugInfo::totalMemory(const QString &meminfoText)
{
    static const QRegularExpression line(
        QStringLiteral("^MemTotal:\\s+(\\d+)\\s+kB"), QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(meminfoText);
    bool ok = false;
    const qint64 kibibytes = match.captured(1).toLongLong(&ok);
    if (!match.hasMatch() || !ok) {
        return std::nullopt;
    }
    return QLocale::c().formattedDataSize(kibibytes * 1024, 0, QLocale::DataSizeTraditionalFormat);
}

std::optional<QString> DebugInfo::machineModel(const QString &dmiDirectory)
{
    QStringList parts;
    for (const char *field : { "sys_vendor", "product_name", "product_version" }) {
        const QString value = readTrimmed(dmiDirectory + QLatin1Char('/') + QLatin1String(field));
        if (!isPlaceholder(value) && !parts.contains(value)) {
            parts.append(value);
        }
    }
    if (parts.isEmpty()) {
        return std::nullopt;
    }
    return parts.join(QLatin1Char(' '));
}

OrderedDictionary<QString, QString> DebugInfo::systemEntries()
{
    return {
        { KwApp::name(), KwApp::version() },
        { QStringLiteral("Qt"), QString::fromLatin1(qVersion()) },
        { QStringLiteral("OS"), QSysInfo::prettyProductName() },
        { QStringLiteral("Kernel"), QSysInfo::kernelType() + u' ' + QSysInfo::kernelVersion() },
        { QStringLiteral("Architecture"), QSysInfo::currentCpuArchitecture() },
        { QStringLiteral("Machine"), machineModel().value_or(QStringLiteral("Unknown")) },
        { QStringLiteral("Memory"),
            totalMemory(readTrimmed(QStringLiteral("/proc/meminfo"))).value_or(QStringLiteral("Unknown")) },
        { QStringLiteral("Desktop"), qEnvironmentVariable("XDG_CURRENT_DESKTOP", QStringLiteral("Unknown")) },
    };
}

QString DebugInfo::systemText()
{
    const OrderedDictionary<QString, QString> entries = systemEntries();
    QStringList lines;
    for (const auto &[label, value] : entries) {
        // The first entry names the program and its version.
        lines.append(lines.isEmpty() ? label + u' ' + value : label + QStringLiteral(": ") + value);
    }
    return lines.join(QLatin1Char('\n'));
}

QString DebugInfo::customEntriesText()
{
    const auto entries = KwApp::customDebugInfo().toDictionary();
    QStringList lines;
    for (const auto &[key, value] : entries) {
        lines.append(QStringLiteral("%1: %2").arg(key, value.toString()));
    }
    std::sort(lines.begin(), lines.end());
    return lines.join(QLatin1Char('\n'));
}

QString DebugInfo::text()
{
    const QString custom = customEntriesText();
    return custom.isEmpty() ? systemText() : systemText() + QStringLiteral("\n\n") + custom;
}
