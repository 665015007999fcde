#pragma once

#include <QMouseEvent>

#include <memory>

// A mouse event of `type` at (0, 0) with the left button, the keyboard modifiers held now and
// a timestamp from the raw monotonic clock, for handlers that need an event where none came.
std::unique_ptr<QMouseEvent> syntheticMouseEvent(QEvent::Type type);
