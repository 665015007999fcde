#include "kit/foundation/text/RegexTemplate.h"

#include <QRegularExpression>

namespace {

bool isAsciiDigit(QChar character)
{
    return character >= u'0' && character <= u'9';
}

} // namespace

QString expandRegexTemplate(const QString &replacementTemplate, const QRegularExpressionMatch &match)
{
    const int groupCount = match.regularExpression().captureCount();
    const qsizetype size = replacementTemplate.size();
    QString result;
    result.reserve(size);
    qsizetype index = 0;
    while (index < size) {
        const QChar character = replacementTemplate[index];
        if (character == u'\\' && index + 1 < size) {
            result += replacementTemplate[index + 1];
            index += 2;
            continue;
        }
        if (character == u'$' && index + 1 < size && isAsciiDigit(replacementTemplate[index + 1])) {
            int group = replacementTemplate[index + 1].digitValue();
            index += 2;
            while (index < size && isAsciiDigit(replacementTemplate[index])
                && group * 10 + replacementTemplate[index].digitValue() <= groupCount) {
                group = group * 10 + replacementTemplate[index].digitValue();
                ++index;
            }
            if (group <= groupCount) {
                result += match.captured(group);
            }
            continue;
        }
        if (character == u'$' && index + 1 < size && replacementTemplate[index + 1] == u'{') {
            const qsizetype close = replacementTemplate.indexOf(u'}', index + 2);
            if (close > index + 2) {
                result += match.captured(replacementTemplate.mid(index + 2, close - index - 2));
                index = close + 1;
                continue;
            }
        }
        result += character;
        ++index;
    }
    return result;
}
