#include "kit/foundation/text/KwRegexMatch.h"

#include "kit/foundation/text/ComposedCharacters.h"

#include <QRegularExpression>

#include <utility>

namespace {

// The platform result compares by its expression and every group's range.
bool sameResult(const QRegularExpressionMatch &a, const QRegularExpressionMatch &b)
{
    if (a.regularExpression() != b.regularExpression() || a.lastCapturedIndex() != b.lastCapturedIndex()) {
        return false;
    }
    for (int group = 0; group <= a.lastCapturedIndex(); ++group) {
        if (a.capturedStart(group) != b.capturedStart(group)
            || a.capturedEnd(group) != b.capturedEnd(group)) {
            return false;
        }
    }
    return true;
}

} // namespace

KwRegexMatch::KwRegexMatch(QRegularExpressionMatch result, QString originalString)
    : m_originalString(std::move(originalString))
    , m_checkingResult(std::move(result))
{
    m_range = composedCharacterRange(
        m_originalString, { m_checkingResult.capturedStart(0), m_checkingResult.capturedEnd(0) });
    m_value = m_originalString.sliced(m_range.lowerBound, m_range.length());
    const int groupCount = m_checkingResult.regularExpression().captureCount();
    for (int number = 1; number <= groupCount; ++number) {
        if (auto group
            = groupOf(m_checkingResult.capturedStart(number), m_checkingResult.capturedLength(number))) {
            m_groups.append(std::move(*group));
        }
    }
}

std::optional<KwRegexMatch::Group> KwRegexMatch::group(const QString &name) const
{
    return groupOf(m_checkingResult.capturedStart(name), m_checkingResult.capturedLength(name));
}

std::optional<KwRegexMatch::Group> KwRegexMatch::groupOf(qsizetype start, qsizetype length) const
{
    if (start < 0 || length <= 0) {
        return std::nullopt;
    }
    const TextRange range = composedCharacterRange(m_originalString, { start, start + length });
    return Group { m_originalString.sliced(range.lowerBound, range.length()), range };
}

bool operator==(const KwRegexMatch &a, const KwRegexMatch &b)
{
    return a.m_originalString == b.m_originalString && sameResult(a.m_checkingResult, b.m_checkingResult)
        && a.m_value == b.m_value && a.m_range == b.m_range && a.m_groups == b.m_groups;
}

size_t qHash(const KwRegexMatch::Group &group, size_t seed) noexcept
{
    return qHashMulti(seed, group.value, group.range);
}

size_t qHash(const KwRegexMatch &match, size_t seed) noexcept
{
    return qHashMulti(seed, match.originalString(), match.checkingResult().regularExpression(), match.value(),
        match.range(), qHashRange(match.groups().begin(), match.groups().end()));
}
