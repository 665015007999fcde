#pragma once

#include "kit/foundation/text/TextRange.h"

#include <QList>
#include <QRegularExpressionMatch>
#include <QString>

#include <optional>

// One match of a KwRegex in a text. Ranges are widened to whole
// user-perceived characters; values are the text of the widened ranges.
class KwRegexMatch
{
public:
    struct Group
    {
        QString value;
        TextRange range;
        friend bool operator==(const Group &, const Group &) = default;
    };

    // `result` must hold a match found in `originalString`.
    KwRegexMatch(QRegularExpressionMatch result, QString originalString);

    const QString &originalString() const { return m_originalString; }
    const QRegularExpressionMatch &checkingResult() const { return m_checkingResult; }
    const QString &value() const { return m_value; }
    const TextRange &range() const { return m_range; }
    // The groups that took part with non-empty text, in group order; a
    // group's place here is not its group number.
    const QList<Group> &groups() const { return m_groups; }

    // None when the name took no part, matched empty text, or names no group.
    std::optional<Group> group(const QString &name) const;

    friend bool operator==(const KwRegexMatch &a, const KwRegexMatch &b);

private:
    std::optional<Group> groupOf(qsizetype start, qsizetype length) const;

    QString m_originalString;
    QRegularExpressionMatch m_checkingResult;
    QString m_value;
    TextRange m_range;
    QList<Group> m_groups;
};

size_t qHash(const KwRegexMatch::Group &group, size_t seed = 0) noexcept;
size_t qHash(const KwRegexMatch &match, size_t seed = 0) noexcept;
