#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>

// The prefix of a recording's name when the user has set none.
inline constexpr char defaultRecordingPrefix[] = "Audio Recording";

// The most UTF-8 bytes a recording's name takes, so that with its extension (".m4a" or ".wav") it
// stays within a file name's limit.
inline constexpr qsizetype maximumRecordingNameBytes = 255 - 4;

// The name, without extension, of a recording started at `date`: the prefix
// (the default one when it is absent or blank), a space and the date; or, when
// a template is set and not blank, the date formatted by that template alone.
// The name is always one non-empty path component: a slash becomes "-", control
// characters become spaces, and a template that yields nothing usable falls
// back to the prefix naming. It never takes more than maximumRecordingNameBytes: a longer
// prefix gives up its end (whole characters), the date stays whole; a longer template's text
// is cut at its end.
QString recordingName(const std::optional<QString> &prefix, const std::optional<QString> &dateTemplate,
    const QDateTime &date = QDateTime::currentDateTime(), const QLocale &locale = QLocale());

// The text as one file-name component, or none when nothing usable is left.
std::optional<QString> asFileNameComponent(const QString &name);
