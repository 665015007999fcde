#pragma once

#include <QObject>

#include <vector>

// The objects an unhandled input event passes through: the object itself, then its parent and
// so on, ending with the window it is in (events do not pass from a window to its owner).
std::vector<QObject *> responderChain(QObject *responder);
