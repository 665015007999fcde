#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The filename prefix as the settings window edits it.
namespace FilenamePrefix {

inline constexpr int maximumLength = 80;

// What an edit of the field leaves: no colons, every white space one space, no leading dots or
// white space, at most maximumLength characters (never half a character); a cut drops a final
// punctuation mark and blanks, as any end cut does.
QString sanitized(const QString &typed);

// Whether what an edit leaves runs to maximumLength or beyond, where the field takes no more.
bool reachesLimit(const QString &typed);

// The name a recording started at `date` would get with the stored prefix.
QString preview(const std::optional<QString> &prefix, const QDateTime &date = QDateTime::currentDateTime());

} // namespace FilenamePrefix
