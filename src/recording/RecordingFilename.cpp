#include "recording/RecordingFilename.h"

#include "kit/foundation/files/ResourceValues.h"

#include <QLocale>

QString makeRecordingFilename(const QString &prefix, const QDateTime &date)
{
    return prefix.trimmed() + u' ' + QLocale::c().toString(date, QString::fromLatin1(recordingDateFormat));
}

QMimeType m4aAudioType()
{
    return ContentTypes::mpeg4Audio();
}
