#include "recording/RecordingNaming.h"

#include "recording/DateTemplate.h"
#include "recording/RecordingFilename.h"

#include "kit/foundation/text/StringHelpers.h"

namespace {

bool isBlank(const std::optional<QString> &text)
{
    return !text || !nilIfEmptyOrWhitespace(*text);
}

} // namespace

std::optional<QString> asFileNameComponent(const QString &name)
{
    QString component;
    component.reserve(name.size());
    for (const QChar character : name) {
        if (character == u'/') {
            component += u'-';
        } else if (character.category() == QChar::Other_Control) {
            component += u' ';
        } else {
            component += character;
        }
    }
    const QString trimmed = component.trimmed();
    if (trimmed.isEmpty() || trimmed == u"." || trimmed == u"..") {
        return std::nullopt;
    }
    return component;
}

QString recordingName(const std::optional<QString> &prefix, const std::optional<QString> &dateTemplate,
    const QDateTime &date, const QLocale &locale)
{
    if (!isBlank(dateTemplate)) {
        const QString formatted = formatDateTemplate(*dateTemplate, date, locale);
        if (std::optional<QString> name
            = asFileNameComponent(leadingWithinUtf8Bytes(formatted, maximumRecordingNameBytes))) {
            return *name;
        }
    }
    const QString usedPrefix = isBlank(prefix) ? QString::fromUtf8(defaultRecordingPrefix) : *prefix;
    // A name over the limit could not be created at all: the prefix makes room for the date.
    // (Making it one component never lengthens it.)
    const qsizetype dateBytes = makeRecordingFilename(QString(), date).toUtf8().size();
    QString fitted = leadingWithinUtf8Bytes(usedPrefix.trimmed(), maximumRecordingNameBytes - dateBytes);
    if (isBlank(fitted)) {
        // A single character larger than the room (a letter under hundreds of marks).
        fitted = QString::fromUtf8(defaultRecordingPrefix);
    }
    // The date part always gives text, so only a slash in the prefix needs mending here.
    return asFileNameComponent(makeRecordingFilename(fitted, date)).value_or(QString());
}
