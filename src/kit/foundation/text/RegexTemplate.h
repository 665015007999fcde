#pragma once

#include <QRegularExpressionMatch>
#include <QString>

// Expands a replacement template against a match:
// - `$n` is the text of group n; after the first digit, further digits are
//   taken while the number still names a group of the expression (with 3
//   groups, "$12" is group 1 then "2"); `$0` is the whole match;
// - `${name}` is the text of the named group;
// - a group that took no part in the match, or does not exist, gives "";
// - `\` takes the next character literally (`\$`, `\\`); a `$` that starts no
//   reference, and a `\` at the very end, stand for themselves.
QString expandRegexTemplate(const QString &replacementTemplate, const QRegularExpressionMatch &match);
