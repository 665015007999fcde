#pragma once

#include "Command.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QString>
#include <QStringList>

#include <vector>

// The sound server as the command-line client sees it, to check what code under
// test did to it independently of that code.
namespace TestSupport::Pactl {

inline CommandResult run(const QStringList &arguments)
{
    return runCommand(QStringLiteral("pactl"), arguments);
}

// Empty when the server cannot be reached.
inline QString defaultSource()
{
    const CommandResult result = run({ QStringLiteral("get-default-source") });
    return result.succeeded() ? result.output.section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

// The description a source shows to users; empty when there is no such source.
inline QString sourceDescription(const QString &name)
{
    const auto sources = run({ "--format=json", "list", "sources" });
    for (const QJsonValue &source : QJsonDocument::fromJson(sources.output.toUtf8()).array()) {
        if (source["name"].toString() == name) {
            return source["description"].toString();
        }
    }
    return {};
}

// A capture stream of this process as the server lists it. The test desktop is
// shared by tests running side by side, so tests look only at their own streams.
struct CaptureStream
{
    int index = -1;
    QString source; // the name of the source it captures from
};

inline std::vector<CaptureStream> captureStreamsOfThisProcess()
{
    QMap<int, QString> namesByIndex;
    const auto sources = run({ "--format=json", "list", "sources" });
    for (const QJsonValue &source : QJsonDocument::fromJson(sources.output.toUtf8()).array()) {
        namesByIndex.insert(source["index"].toInt(), source["name"].toString());
    }
    std::vector<CaptureStream> streams;
    const auto outputs = run({ "--format=json", "list", "source-outputs" });
    const QString pid = QString::number(QCoreApplication::applicationPid());
    for (const QJsonValue &output : QJsonDocument::fromJson(outputs.output.toUtf8()).array()) {
        if (output["properties"]["application.process.id"].toString() == pid) {
            streams.push_back({ output["index"].toInt(), namesByIndex.value(output["source"].toInt()) });
        }
    }
    return streams;
}

} // namespace TestSupport::Pactl
