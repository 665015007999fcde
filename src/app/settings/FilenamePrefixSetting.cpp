#include "app/settings/FilenamePrefixSetting.h"

#include "app/SettingsKeys.h"
#include "app/settings/FilenamePrefix.h"
#include "app/settings/SettingsTexts.h"
#include "kit/foundation/text/StringHelpers.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "kit/ui/WrappingLabel.h"
#include "preferences/Defaults.h"
#include "preferences/DefaultsPublishers.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int fieldWidth = 240;

std::optional<QString> storedPrefix()
{
    const std::optional<std::string> prefix = Defaults::get(SettingsKeys::filenamePrefix());
    return prefix ? std::optional(QString::fromStdString(*prefix)) : std::nullopt;
}

void storePrefix(const QString &text)
{
    const std::optional<QString> prefix = nilIfEmptyOrWhitespace(text);
    Defaults::set(SettingsKeys::filenamePrefix(),
        prefix ? std::optional(prefix->toStdString()) : std::optional<std::string>());
}

} // namespace

FilenamePrefixSetting::FilenamePrefixSetting(QWidget *parent)
    : QWidget(parent)
    , m_field(new QLineEdit(this))
    , m_limitNote(new QLabel(SettingsTexts::filenamePrefixLimit(FilenamePrefix::maximumLength), this))
    , m_preview(new WrappingLabel(this))
{
    m_field->setPlaceholderText(SettingsTexts::filenamePrefixPlaceholder);
    m_field->setAccessibleName(SettingsTexts::filenamePrefix);
    m_field->setMinimumWidth(fieldWidth);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::textEdited, this, &FilenamePrefixSetting::edited);

    m_limitNote->setTextFormat(Qt::PlainText);
    m_limitNote->setWordWrap(true);
    m_limitNote->setAlignment(Qt::AlignRight | Qt::AlignTop);
    applySecondaryTextStyle(m_limitNote, TextStyle::smallSystemFontSize());
    m_limitNote->hide();

    // A prefix without spaces gives a name with no place to break a line but anywhere.
    m_preview->setAlignment(Qt::AlignRight | Qt::AlignTop);
    applySecondaryTextStyle(m_preview, TextStyle::smallSystemFontSize());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addWidget(m_field);
    layout->addWidget(m_limitNote);
    layout->addWidget(m_preview);

    showStoredPrefix();
    m_observation
        = Defaults::publisher(SettingsKeys::filenamePrefix()).receiveOnMain().sink([this](const auto &) {
              showStoredPrefix();
          });
}

void FilenamePrefixSetting::edited(const QString &text)
{
    const QString sanitized = FilenamePrefix::sanitized(text);
    const int removed = static_cast<int>(text.size() - sanitized.size());
    const int cursor = m_field->cursorPosition();
    storePrefix(sanitized);
    showStoredPrefix();
    // Said the moment the field stops taking more, and also when a paste was cut.
    m_limitNote->setVisible(FilenamePrefix::reachesLimit(text));
    m_field->setCursorPosition(std::max(0, cursor - removed));
}

void FilenamePrefixSetting::showStoredPrefix()
{
    const std::optional<QString> prefix = storedPrefix();
    const QString shown = prefix.value_or(QString());
    if (m_field->text() != shown) {
        m_field->setText(shown);
        m_limitNote->setVisible(FilenamePrefix::reachesLimit(shown));
    }
    m_preview->setText(FilenamePrefix::preview(prefix));
}

bool FilenamePrefixSetting::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            Defaults::reset({ SettingsKeys::filenamePrefix() });
            showStoredPrefix();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
