#include "kit/ui/KeyCommand.h"

#include <QKeyEvent>

namespace KeyCommand {

Qt::KeyboardModifiers significantModifiers(Qt::KeyboardModifiers modifiers)
{
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

bool matches(const QKeyEvent &event, int key, Qt::KeyboardModifiers modifiers)
{
    return event.type() == QEvent::KeyPress && event.key() == key
        && significantModifiers(event.modifiers()) == significantModifiers(modifiers);
}

} // namespace KeyCommand
