#pragma once

#include <QMessageBox>
#include <QPixmap>

// What an alert of the program shows beside its text. A notice is the program speaking, so it
// shows the program's icon rather than a warning sign; only a critical alert, an error among them,
// adds a caution mark, as a badge on that icon.
namespace AlertIcon {

inline constexpr int size = 64;

// The picture for an alert of that kind: the program's icon (the application's window icon), with
// a caution badge for QMessageBox::Critical. Without a program icon, the style's own icon for the
// kind. GUI thread.
QPixmap forKind(QMessageBox::Icon kind);

} // namespace AlertIcon
