#include "kit/foundation/text/ComposedCharacters.h"

#include <QTextBoundaryFinder>

TextRange composedCharacterRange(const QString &text, TextRange range)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    TextRange widened = range;
    finder.setPosition(range.lowerBound);
    if (!finder.isAtBoundary()) {
        widened.lowerBound = finder.toPreviousBoundary();
    }
    finder.setPosition(range.upperBound);
    if (!finder.isAtBoundary()) {
        widened.upperBound = finder.toNextBoundary();
    }
    return widened;
}
