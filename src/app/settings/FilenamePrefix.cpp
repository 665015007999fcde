#include "app/settings/FilenamePrefix.h"

#include "app/TextTruncation.h"
#include "recording/RecordingNaming.h"

#include <QRegularExpression>

namespace FilenamePrefix {

QString sanitized(const QString &typed)
{
    // Every Unicode white space, not only the ASCII ones.
    static const QRegularExpression whitespace(
        QStringLiteral("\\s"), QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression leadingDotsAndWhitespace(
        QStringLiteral("^[.\\s]+"), QRegularExpression::UseUnicodePropertiesOption);
    QString text = typed;
    text.remove(QLatin1Char(':'));
    text.replace(whitespace, QStringLiteral(" "));
    text.remove(leadingDotsAndWhitespace);
    return truncated(text, maximumLength, TruncationPosition::end, QString());
}

QString preview(const std::optional<QString> &prefix, const QDateTime &date)
{
    // The recording controller's own naming, so the preview cannot drift from the real name.
    return recordingName(prefix.value_or(QString::fromLatin1(defaultRecordingPrefix)), std::nullopt, date);
}

} // namespace FilenamePrefix
