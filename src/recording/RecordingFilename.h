#pragma once

#include <QDateTime>
#include <QMimeType>
#include <QString>

// The date in a recording's name, 24-hour and without colons: "2024-03-05 at 14.07.09".
inline constexpr char recordingDateFormat[] = "yyyy-MM-dd 'at' HH.mm.ss";

// The name of a recording started at `date`, without extension: the prefix trimmed of
// whitespace and line breaks, one space, the date. The date text is the same in every locale.
QString makeRecordingFilename(const QString &prefix, const QDateTime &date = QDateTime::currentDateTime());

// The file type of AAC recordings.
QMimeType m4aAudioType();
