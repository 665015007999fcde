#pragma once

#include <QObject>
#include <QString>

namespace KeyboardShortcuts {

// The process-wide centre of shortcut-change notifications; lives on the GUI thread.
class ShortcutNotifications : public QObject
{
    Q_OBJECT

public:
    static ShortcutNotifications &shared();

signals:
    // After setShortcut() changed a name's stored shortcut; carries the name's raw value.
    void shortcutByNameDidChange(const QString &name);
};

} // namespace KeyboardShortcuts
