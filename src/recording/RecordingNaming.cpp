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
        if (std::optional<QString> name
            = asFileNameComponent(formatDateTemplate(*dateTemplate, date, locale))) {
            return *name;
        }
    }
    const QString usedPrefix = isBlank(prefix) ? QString::fromUtf8(defaultRecordingPrefix) : *prefix;
    // The date part always gives text, so only a slash in the prefix needs mending here.
    return asFileNameComponent(makeRecordingFilename(usedPrefix, date)).value_or(QString());
}
