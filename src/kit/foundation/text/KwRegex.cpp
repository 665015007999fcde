#include "kit/foundation/text/KwRegex.h"

#include "kit/foundation/errors/CocoaError.h"
#include "kit/foundation/errors/ErrorUserInfoKeys.h"
#include "kit/foundation/errors/ProgrammingError.h"
#include "kit/foundation/text/RegexTemplate.h"

#include <utility>

KwRegex::KwRegex(const QString &pattern, Options options, std::source_location location)
    : m_expression(withUnicode(pattern, options))
{
    if (!m_expression.isValid()) {
        stopForProgrammingError(QStringLiteral("Invalid regular expression: ")
                + compileError(m_expression).localizedDescription(),
            location);
    }
}

KwRegex KwRegex::compile(const QString &pattern, Options options)
{
    QRegularExpression expression = withUnicode(pattern, options);
    if (!expression.isValid()) {
        throw compileError(expression);
    }
    return KwRegex(std::move(expression));
}

KwRegex::KwRegex(QRegularExpression expression)
    : m_expression(std::move(expression))
{ }

QRegularExpression KwRegex::withUnicode(const QString &pattern, Options options)
{
    return QRegularExpression(pattern, options | QRegularExpression::UseUnicodePropertiesOption);
}

NSError KwRegex::compileError(const QRegularExpression &expression)
{
    constexpr qint64 formattingError = 2048;
    const QString description = QStringLiteral("The pattern “%1” is invalid: %2 at offset %3.")
                                    .arg(expression.pattern(), expression.errorString())
                                    .arg(expression.patternErrorOffset());
    return NSError(CocoaError::errorDomain, formattingError,
        { { NSLocalizedDescriptionKey, description },
            { QStringLiteral("NSInvalidValue"), expression.pattern() } });
}

bool KwRegex::isMatched(const QString &text) const
{
    return m_expression.match(text).hasMatch();
}

std::optional<KwRegex::Match> KwRegex::firstMatch(const QString &text) const
{
    QRegularExpressionMatch result = m_expression.match(text);
    if (!result.hasMatch()) {
        return std::nullopt;
    }
    return Match(std::move(result), text);
}

QList<KwRegex::Match> KwRegex::allMatches(const QString &text) const
{
    QList<Match> matches;
    for (QRegularExpressionMatchIterator it = m_expression.globalMatch(text); it.hasNext();) {
        matches.append(Match(it.next(), text));
    }
    return matches;
}

QString KwRegex::escapingPattern(const QString &text)
{
    return QRegularExpression::escape(text);
}

size_t qHash(const KwRegex &regex, size_t seed) noexcept
{
    return qHash(regex.regularExpression(), seed);
}

QString replacingFirstMatch(const QString &text, const KwRegex &regex, const QString &replacementTemplate)
{
    const std::optional<KwRegex::Match> match = regex.firstMatch(text);
    if (!match) {
        return text;
    }
    QString result = text;
    result.replace(match->range().lowerBound, match->range().length(),
        expandRegexTemplate(replacementTemplate, match->checkingResult()));
    return result;
}

QString replacingAllMatches(const QString &text, const KwRegex &regex, const QString &replacementTemplate,
    QRegularExpression::MatchOptions options)
{
    QString result;
    qsizetype copied = 0;
    QRegularExpressionMatchIterator it
        = regex.regularExpression().globalMatch(text, 0, QRegularExpression::NormalMatch, options);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += QStringView(text).sliced(copied, match.capturedStart() - copied);
        result += expandRegexTemplate(replacementTemplate, match);
        copied = match.capturedEnd();
    }
    result += QStringView(text).sliced(copied);
    return result;
}

QStringList matchedSubstrings(const QList<QRegularExpressionMatch> &results, const QString &text)
{
    QStringList substrings;
    for (const QRegularExpressionMatch &result : results) {
        const qsizetype start = result.capturedStart();
        const qsizetype end = result.capturedEnd();
        if (!result.hasMatch() || start < 0 || end > text.size() || end < start) {
            continue;
        }
        substrings.append(text.sliced(start, end - start));
    }
    return substrings;
}
