#pragma once

#include "shortcuts/Shortcut.h"
#include "shortcuts/ShortcutName.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;

namespace KeyboardShortcuts {

class RecorderField;

// A settings row: the title as its label and a field that records a key combination for the
// name. A recorded combination is stored and becomes the global hot key at once; Backspace,
// Delete or the clear button remove it, Escape cancels. Failures, a stored shortcut that cannot
// work and an unavailable hot-key service are shown in words under the field.
class Recorder : public QWidget
{
    Q_OBJECT

public:
    using ChangeHandler = std::function<void(const std::optional<Shortcut> &)>;

    Recorder(const QString &title, const Name &name, ChangeHandler onChange = {}, QWidget *parent = nullptr);
    ~Recorder() override;

    QLabel *label() const { return m_label; }
    RecorderField *field() const { return m_field; }
    // The message shown under the field; empty when none is shown.
    QString message() const;

private:
    void showMessage(const QString &text);

    QLabel *m_label;
    RecorderField *m_field;
    QLabel *m_message;
};

} // namespace KeyboardShortcuts
