#include "kit/foundation/errors/MessageCode.h"

#include <QRegularExpression>

quint64 fnv1aHash(const QString &text)
{
    quint64 hash = 0xcbf29ce484222325ULL;
    for (const char byte : text.toUtf8()) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

qint64 messageCode(const QString &message)
{
    static const QRegularExpression quoted(QStringLiteral("“.*?”"));
    QString stripped = message;
    stripped.remove(quoted);
    return static_cast<qint64>(fnv1aHash(stripped));
}
