#pragma once

#include "kit/foundation/errors/Error.h"

#include <QCoro/QCoroTask>

class QWidget;

// Shows the error application-modally on the GUI thread, bringing the application to the
// front first. Returns at once; safe from any thread.
void presentAsModal(const Error &error);

// Shows the error window-modally on `window`, or application-modally when there is none
// (or it is gone by the time the GUI thread gets to it). Returns at once; safe from any thread.
void presentAsSheet(const Error &error, QWidget *window);

// Shows the error like presentAsSheet and finishes once the user has dismissed it.
// GUI thread only.
QCoro::Task<> presentAsModalAsync(const Error &error, QWidget *window = nullptr);
