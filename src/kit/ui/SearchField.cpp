#include "kit/ui/SearchField.h"

#include <QEvent>

SearchField::SearchField(Binding<QString> text, Properties properties, QWidget *parent)
    : QLineEdit(parent)
    , m_text(std::move(text))
    , m_properties(std::move(properties))
{
    setClearButtonEnabled(true);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    if (m_properties.isPlainStyle) {
        setFrame(false);
        setAttribute(Qt::WA_TranslucentBackground);
    }
    connect(this, &QLineEdit::textEdited, this, [this](const QString &edited) { m_text.setValue(edited); });
    m_observation = m_text.watch([this] { update(); });
    update();
}

void SearchField::update(const Properties &properties)
{
    m_properties = properties;
    setAutoFillBackground(properties.drawsBackground && !properties.isPlainStyle);
    setPlaceholderText(properties.placeholder.value_or(QString()));
    const QString bound = m_text.value();
    if (text() != bound) {
        setText(bound);
    }
    if (properties.fontSize) {
        QFont sized = font();
        sized.setPointSizeF(*properties.fontSize);
        setFont(sized);
    }
}

bool SearchField::event(QEvent *event)
{
    const bool handled = QLineEdit::event(event);
    if (event->type() == QEvent::Show || event->type() == QEvent::ParentChange) {
        // Focus once per window the field lands in.
        QWidget *hosting = window();
        if (isVisible() && hosting != m_focusedInWindow) {
            m_focusedInWindow = hosting;
            setFocus(Qt::OtherFocusReason);
        }
    }
    return handled;
}
