#include "Pactl.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace TestSupport::Pactl {

namespace {

QString firstLine(const CommandResult &result)
{
    return result.succeeded() ? result.output.section(QLatin1Char('\n'), 0, 0).trimmed() : QString();
}

} // namespace

CommandResult run(const QStringList &arguments)
{
    return runCommand(QStringLiteral("pactl"), arguments);
}

QString defaultSource()
{
    return firstLine(run({ QStringLiteral("get-default-source") }));
}

std::vector<CaptureStream> captureStreamsOfThisProcess()
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
