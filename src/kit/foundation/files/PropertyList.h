#pragma once

#include <QByteArray>
#include <QVariant>

// Property lists as the file metadata attributes hold them. Values map to Qt types:
// bool, QString, qint64, double, QByteArray, QDateTime, QVariantList and QVariantMap.
class PropertyList
{
public:
    // The value as a binary property list ("bplist00"). Throws CocoaError
    // propertyListWriteInvalid for a value that has no property-list form.
    static QByteArray encodeBinary(const QVariant &value);

    // Reads a binary or XML property list. Throws CocoaError propertyListReadCorrupt for
    // bytes that are not one.
    static QVariant decode(const QByteArray &bytes);
};
