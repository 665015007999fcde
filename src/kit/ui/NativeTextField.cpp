#include "kit/ui/NativeTextField.h"

#include <QPointer>
#include <QTimer>

NativeTextField::NativeTextField(Binding<QString> text, Properties properties, QWidget *parent)
    : QLineEdit(parent)
    , m_text(std::move(text))
    , m_properties(std::move(properties))
{
    connect(this, &QLineEdit::textEdited, this, [this](const QString &edited) { m_text.setValue(edited); });
    m_observation = m_text.watch([this] { update(); });
    update();
}

void NativeTextField::update(const Properties &properties)
{
    m_properties = properties;
    const QString bound = m_text.value();
    // Writing the same text would still move the cursor to the end.
    if (text() != bound) {
        setText(bound);
    }
    setPlaceholderText(properties.placeholder.value_or(QString()));
    if (properties.font) {
        setFont(*properties.font);
    }
    // Only the rounded style sets a frame; otherwise the frame stays as the caller left it.
    if (properties.roundedStyle) {
        setFrame(true);
    }
    QTimer::singleShot(0, this, [this] { takeFocusOnce(); });
}

void NativeTextField::showEvent(QShowEvent *event)
{
    QLineEdit::showEvent(event);
    QTimer::singleShot(0, this, [this] { takeFocusOnce(); });
}

void NativeTextField::takeFocusOnce()
{
    if (!m_properties.isFirstResponder || m_didBecomeFirstResponder || !isVisible()) {
        return;
    }
    if (window()->focusWidget() == this && hasFocus()) {
        return;
    }
    setFocus(Qt::OtherFocusReason);
    m_didBecomeFirstResponder = true;
}
