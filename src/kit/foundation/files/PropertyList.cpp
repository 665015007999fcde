#include "kit/foundation/files/PropertyList.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"

#include <QDateTime>
#include <QTimeZone>

#include <plist/plist.h>

#include <cstdlib>
#include <memory>

namespace {

struct PlistFree
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistPtr = std::unique_ptr<void, PlistFree>;

// Property-list dates count seconds from 2001-01-01 UTC.
const QDateTime &referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    return date;
}

[[noreturn]] void throwWriteInvalid(const char *typeName)
{
    throw CocoaError(CocoaError::propertyListWriteInvalid,
        { { NSLocalizedDescriptionKey,
            QStringLiteral("A value of type %1 cannot be stored in a property list.")
                .arg(QString::fromLatin1(typeName ? typeName : "(invalid)")) } });
}

PlistPtr toNode(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return PlistPtr(plist_new_bool(value.toBool() ? 1 : 0));
    case QMetaType::QString:
        return PlistPtr(plist_new_string(value.toString().toUtf8().constData()));
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return PlistPtr(plist_new_uint(static_cast<uint64_t>(value.toLongLong())));
    case QMetaType::Double:
    case QMetaType::Float:
        return PlistPtr(plist_new_real(value.toDouble()));
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return PlistPtr(plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size())));
    }
    case QMetaType::QDateTime: {
        const qint64 msecs = referenceDate().msecsTo(value.toDateTime());
        const qint64 seconds = msecs >= 0 ? msecs / 1000 : -((-msecs + 999) / 1000);
        return PlistPtr(plist_new_date(
            static_cast<int32_t>(seconds), static_cast<int32_t>((msecs - seconds * 1000) * 1000)));
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        PlistPtr array(plist_new_array());
        for (const QVariant &item : value.toList()) {
            plist_array_append_item(array.get(), toNode(item).release());
        }
        return array;
    }
    case QMetaType::QVariantMap: {
        PlistPtr dict(plist_new_dict());
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            plist_dict_set_item(dict.get(), it.key().toUtf8().constData(), toNode(it.value()).release());
        }
        return dict;
    }
    default:
        throwWriteInvalid(value.typeName());
    }
}

QString takeString(char *text)
{
    const QString result = QString::fromUtf8(text);
    std::free(text);
    return result;
}

QVariant fromNode(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
        uint8_t flag = 0;
        plist_get_bool_val(node, &flag);
        return QVariant(flag != 0);
    }
    case PLIST_UINT:
    case PLIST_UID: {
        uint64_t number = 0;
        if (plist_get_node_type(node) == PLIST_UID) {
            plist_get_uid_val(node, &number);
        } else {
            plist_get_uint_val(node, &number);
        }
        return QVariant(static_cast<qint64>(number));
    }
    case PLIST_REAL: {
        double number = 0;
        plist_get_real_val(node, &number);
        return QVariant(number);
    }
    case PLIST_STRING:
    case PLIST_KEY: {
        char *text = nullptr;
        if (plist_get_node_type(node) == PLIST_KEY) {
            plist_get_key_val(node, &text);
        } else {
            plist_get_string_val(node, &text);
        }
        return QVariant(takeString(text));
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        QByteArray data(bytes, static_cast<qsizetype>(length));
        std::free(bytes);
        return QVariant(data);
    }
    case PLIST_DATE: {
        int32_t seconds = 0;
        int32_t microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        return QVariant(referenceDate().addMSecs(qint64(seconds) * 1000 + microseconds / 1000));
    }
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t index = 0; index < count; ++index) {
            list.append(fromNode(plist_array_get_item(node, index)));
        }
        return QVariant(list);
    }
    case PLIST_DICT: {
        QVariantMap map;
        plist_dict_iter iterator = nullptr;
        plist_dict_new_iter(node, &iterator);
        for (;;) {
            char *key = nullptr;
            plist_t item = nullptr;
            plist_dict_next_item(node, iterator, &key, &item);
            if (!key || !item) {
                std::free(key);
                break;
            }
            map.insert(takeString(key), fromNode(item));
        }
        std::free(iterator);
        return QVariant(map);
    }
    case PLIST_NONE:
        break;
    }
    return {};
}

} // namespace

QByteArray PropertyList::encodeBinary(const QVariant &value)
{
    const PlistPtr root = toNode(value);
    char *bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &bytes, &length);
    if (!bytes) {
        throwWriteInvalid(value.typeName());
    }
    QByteArray result(bytes, static_cast<qsizetype>(length));
    plist_to_bin_free(bytes);
    return result;
}

QVariant PropertyList::decode(const QByteArray &bytes)
{
    plist_t root = nullptr;
    if (!bytes.isEmpty() && bytes.size() <= std::numeric_limits<uint32_t>::max()) {
        plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &root);
    }
    const PlistPtr owner(root);
    const QVariant value = root ? fromNode(root) : QVariant();
    if (!value.isValid()) {
        throw CocoaError(CocoaError::propertyListReadCorrupt);
    }
    return value;
}
