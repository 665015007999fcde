#include "app/GetPreviousRecordingIntent.h"

#include "app/SettingsKeys.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/ResourceValues.h"

#include <QMimeDatabase>

IntentFile GetPreviousRecordingIntent::perform() const
{
    const std::optional<SandboxURLBookmark> bookmark = Defaults::get(SettingsKeys::previousRecording());
    const std::optional<QUrl> location = bookmark ? bookmark->resolvedURL() : std::nullopt;
    if (!location) {
        throw GeneralError(QString::fromLatin1(noPreviousRecording));
    }
    const QMimeType type = contentType(*location).value_or(
        QMimeDatabase().mimeTypeForName(QStringLiteral("application/octet-stream")));
    return { *location, location->fileName(), type.name() };
}
