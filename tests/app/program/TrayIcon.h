#pragma once

#include <QProcess>
#include <QRect>
#include <QRegularExpression>

#include <optional>

// The icon window of process `pid` once a tray has embedded it (its parent is no longer the root
// window), in screen coordinates, as the X server's own tools see it.
inline std::optional<QRect> embeddedTrayIcon(qint64 pid)
{
    const auto output = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.start(program, arguments);
        process.waitForFinished();
        return QString::fromLocal8Bit(process.readAllStandardOutput());
    };
    static const QRegularExpression embedded(
        QStringLiteral("Parent window id: \\S+ (?!\\(the root window\\)).*"
                       "Absolute upper-left X: +(-?\\d+)\\s+Absolute upper-left Y: +(-?\\d+)"
                       ".*Width: (\\d+)\\s+Height: (\\d+)"),
        QRegularExpression::DotMatchesEverythingOption);
    const QString windows
        = output(QStringLiteral("xdotool"), { "search", "--onlyvisible", "--pid", QString::number(pid) });
    for (const QString &window : windows.split(u'\n', Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch m
            = embedded.match(output(QStringLiteral("xwininfo"), { "-children", "-stats", "-id", window }));
        if (m.hasMatch()) {
            return QRect(
                m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        }
    }
    return std::nullopt;
}
