#pragma once

#include "kit/foundation/errors/NSError.h"
#include "kit/foundation/text/KwRegexMatch.h"

#include <QList>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <optional>
#include <source_location>

// A compiled regular expression with Unicode properties always on (\w, \d,
// \b and case folding follow Unicode), searched over whole texts.
class KwRegex
{
public:
    using Options = QRegularExpression::PatternOptions;
    using Match = KwRegexMatch;

    // A pattern written into the program: one that does not compile is a
    // programming error and stops the program, naming the caller's file and line.
    explicit KwRegex(const QString &pattern, Options options = {},
        std::source_location location = std::source_location::current());
    // Throws the platform's error when the pattern does not compile: an NSError
    // of the Cocoa domain, code 2048 (formatting), whose description names the
    // problem and its place and whose "NSInvalidValue" is the pattern.
    static KwRegex compile(const QString &pattern, Options options = {});
    // Taken as it is.
    explicit KwRegex(QRegularExpression expression);

    const QRegularExpression &regularExpression() const { return m_expression; }
    QString pattern() const { return m_expression.pattern(); }
    Options options() const { return m_expression.patternOptions(); }

    bool isMatched(const QString &text) const;
    std::optional<Match> firstMatch(const QString &text) const;
    QList<Match> allMatches(const QString &text) const;

    static QString escapingPattern(const QString &text);

    friend bool operator==(const KwRegex &, const KwRegex &) = default;

private:
    static QRegularExpression withUnicode(const QString &pattern, Options options);
    static NSError compileError(const QRegularExpression &expression);

    QRegularExpression m_expression;
};

size_t qHash(const KwRegex &regex, size_t seed = 0) noexcept;

// The text with the first match's (widened) range replaced by the expanded
// template (see expandRegexTemplate); unchanged when nothing matches.
QString replacingFirstMatch(const QString &text, const KwRegex &regex, const QString &replacementTemplate);
// Every match replaced by the expanded template.
QString replacingAllMatches(const QString &text, const KwRegex &regex, const QString &replacementTemplate,
    QRegularExpression::MatchOptions options = {});

// The texts of the given platform results, in order; results without a match
// or whose range lies outside `text` are left out. Ranges are not widened.
QStringList matchedSubstrings(const QList<QRegularExpressionMatch> &results, const QString &text);
