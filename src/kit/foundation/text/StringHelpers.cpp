#include "kit/foundation/text/StringHelpers.h"

#include "kit/foundation/text/WhitespacePredicates.h"

#include <QStringList>
#include <QTextBoundaryFinder>

namespace {

bool isLineBreak(QStringView character)
{
    if (character == u"\r\n") {
        return true;
    }
    if (character.size() != 1) {
        return false;
    }
    switch (character.front().unicode()) {
    case u'\n':
    case u'\r':
    case 0x0B:
    case 0x0C:
    case 0x85:
    case 0x2028:
    case 0x2029:
        return true;
    default:
        return false;
    }
}

} // namespace

QString wrapped(const QString &text, qsizetype length)
{
    QStringList pieces;
    QString piece;
    qsizetype pieceLength = 0;
    // Lengths count what a reader sees as characters, so an accent or emoji counts once.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        const QStringView character = QStringView(text).mid(start, end - start);
        start = end;
        if (isLineBreak(character) || (character == u" " && pieceLength >= length)) {
            pieces.append(piece);
            piece.clear();
            pieceLength = 0;
            continue;
        }
        piece += character;
        ++pieceLength;
    }
    pieces.append(piece);
    return pieces.join(u'\n');
}

QString leadingWithinUtf8Bytes(const QString &text, qsizetype bytes)
{
    // Cut between characters only: half an emoji sequence or a letter without its accent is not
    // a start of the text a reader would recognise.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype kept = 0;
    qsizetype used = 0;
    for (qsizetype end = finder.toNextBoundary(); end != -1; end = finder.toNextBoundary()) {
        used += QStringView(text).mid(kept, end - kept).toUtf8().size();
        if (used > bytes) {
            break;
        }
        kept = end;
    }
    return text.left(kept);
}

std::optional<QString> nilIfEmptyOrWhitespace(const QString &text)
{
    if (isWhitespaceAndNewlines(text)) {
        return std::nullopt;
    }
    return text;
}

QString withLiteralAmpersands(QString text)
{
    return text.replace(u'&', QStringLiteral("&&"));
}
