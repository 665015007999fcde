#include "kit/ui/IntTextField.h"

#include "kit/foundation/values/SaturatingInt64.h"
#include "kit/ui/Shake.h"

#include <QKeyEvent>
#include <QRegularExpression>

#include <chrono>

namespace {

void shakeField(QWidget *field)
{
    shake(field, std::chrono::milliseconds(300), ShakeDirection::horizontal, 5);
}

} // namespace

IntTextField::IntTextField(QWidget *parent)
    : QLineEdit(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QLineEdit::textEdited, this, &IntTextField::textEditedByUser);
    connect(this, &QLineEdit::editingFinished, this, &IntTextField::editingEnded);
}

qint64 IntTextField::integerValue() const
{
    static const QRegularExpression leading(QStringLiteral("^\\s*([+-]?\\d+)"));
    const QRegularExpressionMatch match = leading.match(text());
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

void IntTextField::keyPressEvent(QKeyEvent *event)
{
    const bool up = event->key() == Qt::Key_Up;
    if (!hasFocus() || (!up && event->key() != Qt::Key_Down)) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const qint64 step = modifiers == Qt::AltModifier ? alternativeDelta : delta;
    bool parsed = false;
    const qint64 current = text().trimmed().toLongLong(&parsed);
    const qint64 start = parsed ? current : 0;
    // Stepping past either end of the range stays at that end.
    setText(QString::number(up ? SaturatingInt64::add(start, step) : SaturatingInt64::subtract(start, step)));
    checkAndReport(onValueChange);
    event->accept();
}

bool IntTextField::isOutOfRange(qint64 value) const
{
    return minMax && (value < minMax->first || value > minMax->second);
}

void IntTextField::checkAndReport(const std::function<void(qint64)> &report)
{
    const qint64 value = integerValue();
    if (isOutOfRange(value)) {
        shakeField(this);
    }
    if (report) {
        report(value);
    }
}

void IntTextField::textEditedByUser()
{
    const qint64 value = integerValue();
    const bool mayStillBeTyped = isOutOfRange(value) && value > 0 && value <= minMax->second;
    if (text().isEmpty() || mayStillBeTyped) {
        return;
    }
    checkAndReport(onValueChange);
}

void IntTextField::editingEnded()
{
    checkAndReport(onBlur);
}
