#pragma once

#include "platform/hotkeys/HotKeyError.h"
#include "shortcuts/Shortcut.h"
#include "shortcuts/ShortcutName.h"

#include <QLineEdit>

#include <functional>
#include <optional>

class QToolButton;

namespace KeyboardShortcuts {

// The field of a Recorder: shows the name's shortcut and records a new one while focused. The
// global hot keys are paused while it records, so their keys reach it.
class RecorderField : public QLineEdit
{
    Q_OBJECT

public:
    explicit RecorderField(const Name &name, QWidget *parent = nullptr);
    ~RecorderField() override;

    const Name &name() const { return m_name; }
    bool isRecording() const { return m_recording; }

signals:
    // After the stored shortcut was changed from this field.
    void shortcutChanged(const std::optional<KeyboardShortcuts::Shortcut> &shortcut);
    // A combination was refused or could not be taken; the stored shortcut is unchanged.
    void failed(const QString &message);
    // A new recording started (clears an earlier failure).
    void recordingStarted();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void startRecording();
    void stopRecording();
    void store(const std::optional<Shortcut> &shortcut);
    void showStoredShortcut();

    Name m_name;
    // Set before the button is made: adding it as a child already sends this field an event.
    bool m_recording = false;
    QToolButton *m_clearButton;
};

} // namespace KeyboardShortcuts
