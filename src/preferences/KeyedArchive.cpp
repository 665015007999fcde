#include "preferences/KeyedArchive.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const QByteArray magic = QByteArrayLiteral("tapewick-archive\n");
const QString colorClass = QStringLiteral("QColor");

} // namespace

std::optional<QByteArray> KeyedArchiving<QColor>::archive(const QColor &color)
{
    if (!color.isValid()) {
        return std::nullopt;
    }
    QJsonObject object { { QStringLiteral("$class"), colorClass } };
    if (color.spec() == QColor::ExtendedRgb) {
        object.insert(QStringLiteral("space"), QStringLiteral("extendedSRGB"));
        object.insert(QStringLiteral("components"),
            QJsonArray { color.redF(), color.greenF(), color.blueF(), color.alphaF() });
    } else {
        const QRgba64 rgba = color.rgba64();
        object.insert(QStringLiteral("space"), QStringLiteral("sRGB16"));
        object.insert(
            QStringLiteral("components"), QJsonArray { rgba.red(), rgba.green(), rgba.blue(), rgba.alpha() });
    }
    return magic + QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QColor KeyedArchiving<QColor>::unarchive(const QByteArray &bytes)
{
    if (!bytes.startsWith(magic)) {
        throw KeyedArchiveError("The data isn't in the correct format: not an archive.");
    }
    const QJsonDocument document = QJsonDocument::fromJson(bytes.mid(magic.size()));
    const QJsonObject object = document.object();
    if (object.value(QStringLiteral("$class")).toString() != colorClass) {
        throw KeyedArchiveError("The archive's root object is not a colour.");
    }
    const QJsonArray components = object.value(QStringLiteral("components")).toArray();
    const QString space = object.value(QStringLiteral("space")).toString();
    if (components.size() != 4) {
        throw KeyedArchiveError("The colour archive has no four components.");
    }
    if (space == QStringLiteral("extendedSRGB")) {
        return QColor::fromRgbF(static_cast<float>(components[0].toDouble()),
            static_cast<float>(components[1].toDouble()), static_cast<float>(components[2].toDouble()),
            static_cast<float>(components[3].toDouble()))
            .toExtendedRgb();
    }
    if (space == QStringLiteral("sRGB16")) {
        quint16 values[4];
        for (int i = 0; i < 4; ++i) {
            const qint64 value = components[i].toInteger(-1);
            if (value < 0 || value > 0xFFFF) {
                throw KeyedArchiveError("A colour component is out of range.");
            }
            values[i] = static_cast<quint16>(value);
        }
        return QColor(QRgba64::fromRgba64(values[0], values[1], values[2], values[3]));
    }
    throw KeyedArchiveError("The colour archive names an unknown colour space.");
}
