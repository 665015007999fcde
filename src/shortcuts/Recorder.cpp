#include "shortcuts/Recorder.h"

#include "shortcuts/KeyboardShortcuts.h"
#include "shortcuts/RecorderField.h"

#include <QGridLayout>
#include <QLabel>

namespace KeyboardShortcuts {

Recorder::Recorder(const QString &title, const Name &name, ChangeHandler onChange, QWidget *parent)
    : QWidget(parent)
    , m_label(new QLabel(title, this))
    , m_field(new RecorderField(name, this))
    , m_message(new QLabel(this))
{
    m_label->setTextFormat(Qt::PlainText);
    m_label->setBuddy(m_field);
    m_message->setTextFormat(Qt::PlainText);
    m_message->setWordWrap(true);
    m_message->setForegroundRole(QPalette::PlaceholderText);

    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_label, 0, 0, Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(m_field, 0, 1);
    layout->addWidget(m_message, 1, 1);
    layout->setColumnStretch(1, 1);

    showMessage(QString());
    connect(m_field, &RecorderField::failed, this, &Recorder::showMessage);
    connect(m_field, &RecorderField::recordingStarted, this, [this] { showMessage(QString()); });
    connect(m_field, &RecorderField::shortcutChanged, this,
        [this, onChange = std::move(onChange)](const std::optional<Shortcut> &shortcut) {
            showMessage(QString());
            if (onChange) {
                onChange(shortcut);
            }
        });
}

Recorder::~Recorder() = default;

QString Recorder::message() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

void Recorder::showMessage(const QString &text)
{
    // What keeps the stored shortcut from working is said whenever nothing more pressing is.
    QString shown = text;
    if (shown.isEmpty()) {
        shown = storedShortcutConflict(m_field->name());
    }
    if (shown.isEmpty()) {
        shown = unavailableMessage();
    }
    m_message->setText(shown);
    m_message->setVisible(!shown.isEmpty());
}

} // namespace KeyboardShortcuts
