#include "app/TextTruncation.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

QStringList graphemeClusters(const QString &text)
{
    QStringList clusters;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        clusters.append(text.mid(start, finder.position() - start));
        start = finder.position();
    }
    return clusters;
}

QString joined(const QStringList &clusters, qsizetype from, qsizetype count)
{
    return clusters.mid(from, count).join(QString());
}

QString withoutLeadingWhitespace(const QString &text)
{
    static const QRegularExpression leading(
        QStringLiteral("^\\s+"), QRegularExpression::UseUnicodePropertiesOption);
    return QString(text).remove(leading);
}

QString withoutTrailingWhitespace(const QString &text)
{
    static const QRegularExpression trailing(
        QStringLiteral("\\s+$"), QRegularExpression::UseUnicodePropertiesOption);
    return QString(text).remove(trailing);
}

bool isSinglePunctuationScalar(const QString &cluster)
{
    const QList<uint> scalars = cluster.toUcs4();
    return scalars.size() == 1 && QChar::isPunct(static_cast<char32_t>(scalars.front()));
}

} // namespace

QString truncated(const QString &text, int length, TruncationPosition position, const QString &indicator)
{
    if (length < 1) {
        return {};
    }
    const QStringList characters = graphemeClusters(text);
    if (characters.size() <= length) {
        return text;
    }
    const QStringList indicatorCharacters = graphemeClusters(indicator);
    if (indicatorCharacters.size() >= length) {
        return joined(indicatorCharacters, 0, length);
    }
    const qsizetype kept = length - indicatorCharacters.size();
    const qsizetype count = characters.size();
    const bool longerWithoutLeadingBlanks = graphemeClusters(withoutLeadingWhitespace(text)).size() > length;
    switch (position) {
    case TruncationPosition::end: {
        QStringList head = characters.mid(0, kept);
        if (!head.isEmpty() && isSinglePunctuationScalar(head.back())) {
            head.removeLast();
        }
        return withoutTrailingWhitespace(head.join(QString())) + indicator;
    }
    case TruncationPosition::start:
        if (longerWithoutLeadingBlanks) {
            return indicator + withoutLeadingWhitespace(joined(characters, count - kept, kept));
        }
        return joined(characters, count - length, length);
    case TruncationPosition::middle:
        if (longerWithoutLeadingBlanks) {
            const qsizetype headCount = (kept + 1) / 2;
            const qsizetype tailCount = kept / 2;
            return joined(characters, 0, headCount) + indicator
                + joined(characters, count - tailCount, tailCount);
        }
        return joined(characters, count - length, length);
    }
    return text;
}

qsizetype characterCount(const QString &text)
{
    return graphemeClusters(text).size();
}
