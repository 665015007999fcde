#pragma once

#include <Qt>

class QKeyEvent;

// Key commands match their modifiers exactly: an extra modifier means the command
// does not apply. The numeric-pad and group-switch bits say where a key came from,
// not what the user meant, so they never count. Command on other systems is Control here.
namespace KeyCommand {

Qt::KeyboardModifiers significantModifiers(Qt::KeyboardModifiers modifiers);

bool matches(const QKeyEvent &event, int key, Qt::KeyboardModifiers modifiers);

} // namespace KeyCommand
