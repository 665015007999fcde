#include "app/settings/FilenamePrefix.h"

#include "app/TextTruncation.h"
#include "recording/RecordingNaming.h"

#include <QRegularExpression>

namespace FilenamePrefix {

namespace {

// The edit cleaned of what a file name's prefix may not hold, before the cut to the limit.
QString cleaned(const QString &typed)
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
    return text;
}

} // namespace

QString sanitized(const QString &typed)
{
    return truncated(cleaned(typed), maximumLength, TruncationPosition::end, QString());
}

bool reachesLimit(const QString &typed)
{
    return characterCount(cleaned(typed)) >= maximumLength;
}

QString preview(const std::optional<QString> &prefix, const QDateTime &date)
{
    // The recording controller's own naming, so the preview cannot drift from the real name.
    return recordingName(prefix.value_or(QString::fromLatin1(defaultRecordingPrefix)), std::nullopt, date);
}

} // namespace FilenamePrefix
