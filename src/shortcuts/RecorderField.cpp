#include "shortcuts/RecorderField.h"

#include "platform/hotkeys/HotKeyCombination.h"
#include "platform/hotkeys/KeyTable.h"
#include "shortcuts/KeyboardShortcuts.h"
#include "shortcuts/ShortcutNotifications.h"
#include "shortcuts/ShortcutRegistry.h"
#include "shortcuts/ShortcutTexts.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

namespace KeyboardShortcuts {

namespace {

bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

std::int32_t carbonModifiers(Qt::KeyboardModifiers modifiers)
{
    std::int32_t bits = 0;
    if (modifiers & Qt::MetaModifier) {
        bits |= CarbonModifier::command;
    }
    if (modifiers & Qt::ShiftModifier) {
        bits |= CarbonModifier::shift;
    }
    if (modifiers & Qt::AltModifier) {
        bits |= CarbonModifier::option;
    }
    if (modifiers & Qt::ControlModifier) {
        bits |= CarbonModifier::control;
    }
    return bits;
}

// The key as the hot keys will see it: by its place on the keyboard when the X server tells us,
// so Shift+1 is the 1 key and not "!".
const KeyTableEntry *keyOf(const QKeyEvent &event)
{
    const auto fromScanCode
        = ShortcutRegistry::shared().hotKeys().carbonKeyCodeForScanCode(event.nativeScanCode());
    if (event.nativeScanCode() != 0 && fromScanCode) {
        return KeyTable::forCarbonKeyCode(*fromScanCode);
    }
    return KeyTable::forQtKey(Qt::Key(event.key()), event.modifiers().testFlag(Qt::KeypadModifier));
}

} // namespace

RecorderField::RecorderField(const Name &name, QWidget *parent)
    : QLineEdit(parent)
    , m_name(name)
    , m_clearButton(new QToolButton(this))
{
    setReadOnly(true);
    setAlignment(Qt::AlignCenter);
    setContextMenuPolicy(Qt::NoContextMenu);
    setPlaceholderText(Texts::recordPlaceholder());
    setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("Ctrl+Alt+Shift+Super+PgDown")));

    m_clearButton->setIcon(style()->standardIcon(QStyle::SP_LineEditClearButton));
    m_clearButton->setToolTip(Texts::clearButton());
    m_clearButton->setAccessibleName(Texts::clearButton());
    m_clearButton->setCursor(Qt::ArrowCursor);
    m_clearButton->setFocusPolicy(Qt::NoFocus);
    m_clearButton->setAutoRaise(true);
    connect(m_clearButton, &QToolButton::clicked, this, [this] {
        store(std::nullopt);
        clearFocus();
    });

    connect(&ShortcutNotifications::shared(), &ShortcutNotifications::shortcutByNameDidChange, this,
        [this](const QString &changed) {
            if (changed == QString::fromStdString(m_name.rawValue()) && !m_recording) {
                showStoredShortcut();
            }
        });
    showStoredShortcut();
}

RecorderField::~RecorderField()
{
    if (m_recording) {
        ShortcutRegistry::shared().resume();
    }
}

void RecorderField::showStoredShortcut()
{
    const auto shortcut = getShortcut(m_name);
    setText(shortcut ? shortcut->description() : QString());
    m_clearButton->setVisible(shortcut.has_value() && !m_recording);
}

void RecorderField::startRecording()
{
    if (m_recording) {
        return;
    }
    m_recording = true;
    // The hot keys would take their keys before this field sees them.
    ShortcutRegistry::shared().pause();
    setText(QString());
    setPlaceholderText(Texts::pressPlaceholder());
    m_clearButton->hide();
    emit recordingStarted();
}

void RecorderField::stopRecording()
{
    if (!m_recording) {
        return;
    }
    m_recording = false;
    ShortcutRegistry::shared().resume();
    setPlaceholderText(Texts::recordPlaceholder());
    showStoredShortcut();
}

void RecorderField::store(const std::optional<Shortcut> &shortcut)
{
    if (const auto error = setShortcut(shortcut, m_name)) {
        emit failed(error->message);
        return;
    }
    if (!m_recording) {
        showStoredShortcut();
    }
    emit shortcutChanged(shortcut);
}

bool RecorderField::event(QEvent *event)
{
    if (m_recording && (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool plainTab = (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        if (!plainTab) {
            // Claimed before window shortcuts and focus chains see it.
            event->accept();
            if (event->type() == QEvent::KeyPress) {
                keyPressEvent(key);
            }
            return true;
        }
    }
    return QLineEdit::event(event);
}

void RecorderField::keyPressEvent(QKeyEvent *event)
{
    if (!m_recording) {
        if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return
            || event->key() == Qt::Key_Enter) {
            startRecording();
            return;
        }
        QLineEdit::keyPressEvent(event);
        return;
    }
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers
        = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::ShiftModifier);
    if (isModifierKey(key)) {
        // Shows what is held so far.
        setText(modifiers ? QKeySequence(QKeyCombination(modifiers, Qt::Key_unknown))
                                .toString(QKeySequence::NativeText)
                                .section(QLatin1Char('+'), 0, -2)
                          : QString());
        return;
    }
    if (modifiers == Qt::NoModifier && key == Qt::Key_Escape) {
        clearFocus();
        return;
    }
    if (modifiers == Qt::NoModifier && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
        store(std::nullopt);
        clearFocus();
        return;
    }
    const KeyTableEntry *entry = keyOf(*event);
    if (!entry) {
        emit failed(Texts::unusableKey());
        setText(QString());
        return;
    }
    if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        && !KeyTable::isFunctionKey(*entry)) {
        emit failed(Texts::modifierNeeded());
        setText(QString());
        return;
    }
    store(Shortcut { entry->carbonKeyCode, carbonModifiers(modifiers) });
    clearFocus();
}

void RecorderField::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    // Focus that merely comes with the window (opening the settings) does not record.
    switch (event->reason()) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
        startRecording();
        break;
    default:
        break;
    }
}

void RecorderField::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    stopRecording();
}

void RecorderField::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    setFocus(Qt::MouseFocusReason);
    startRecording();
}

void RecorderField::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    // A centred line edit hides its placeholder while it has focus, which is just when this one
    // waits for keys (or has the focus a window gives). Drawn, never set as text, so the prompt
    // cannot be taken for a shortcut.
    if (!text().isEmpty() || !hasFocus()) {
        return;
    }
    QStyleOptionFrame option;
    initStyleOption(&option);
    // Where the line edit puts its own text: its contents less the text margins and the
    // margin it keeps around a line.
    const QRect line = style()
                           ->subElementRect(QStyle::SE_LineEditContents, &option, this)
                           .marginsRemoved(textMargins())
                           .adjusted(2, 1, -2, -1);
    QPainter painter(this);
    painter.setPen(palette().placeholderText().color());
    painter.drawText(
        line, Qt::AlignCenter, fontMetrics().elidedText(placeholderText(), Qt::ElideRight, line.width()));
}

void RecorderField::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    const int side = height() - 4;
    m_clearButton->setGeometry(width() - side - 2, 2, side, side);
}

} // namespace KeyboardShortcuts
