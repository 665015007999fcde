#include "kit/foundation/text/WhitespacePredicates.h"

#include <QChar>
#include <QTextBoundaryFinder>

namespace {

bool isNewline(char32_t codePoint)
{
    return (codePoint >= 0x0A && codePoint <= 0x0D) || codePoint == 0x85 || codePoint == 0x2028
        || codePoint == 0x2029;
}

template<typename Predicate>
bool everyCharacter(QStringView text, Predicate &&predicate)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end > 0; end = finder.toNextBoundary()) {
        const bool pair
            = end - start > 1 && text[start].isHighSurrogate() && text[start + 1].isLowSurrogate();
        const char32_t first
            = pair ? QChar::surrogateToUcs4(text[start], text[start + 1]) : text[start].unicode();
        if (!predicate(first)) {
            return false;
        }
        start = end;
    }
    return true;
}

} // namespace

bool isWhitespace(QStringView text)
{
    return everyCharacter(text, [](char32_t codePoint) { return QChar::isSpace(codePoint); });
}

bool isWhitespaceAndNewlines(QStringView text)
{
    return everyCharacter(
        text, [](char32_t codePoint) { return QChar::isSpace(codePoint) || isNewline(codePoint); });
}
