#include "SoundServerSupport.h"

#include "Pactl.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>

namespace SoundServerSupport {

std::vector<CaptureStream> captureStreamsOfThisProcess()
{
    QMap<int, QString> sourceNames;
    const auto sources = TestSupport::Pactl::run({ "--format=json", "list", "sources" });
    for (const QJsonValue &source : QJsonDocument::fromJson(sources.output.toUtf8()).array()) {
        sourceNames.insert(source["index"].toInt(), source["name"].toString());
    }
    std::vector<CaptureStream> streams;
    const auto outputs = TestSupport::Pactl::run({ "--format=json", "list", "source-outputs" });
    const QString pid = QString::number(QCoreApplication::applicationPid());
    for (const QJsonValue &output : QJsonDocument::fromJson(outputs.output.toUtf8()).array()) {
        if (output["properties"]["application.process.id"].toString() == pid) {
            streams.push_back({ output["index"].toInt(), sourceNames.value(output["source"].toInt()) });
        }
    }
    return streams;
}

} // namespace SoundServerSupport
