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
    // "KeyboardShortcuts_shortcutByNameDidChange" with the name's raw value as its user info.
    void shortcutByNameDidChange(const QString &name);
};

} // namespace KeyboardShortcuts
