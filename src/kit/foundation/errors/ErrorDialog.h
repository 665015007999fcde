#pragma once

#include "kit/foundation/errors/Error.h"

#include <functional>

class QMessageBox;
class QWidget;

// The alert that shows an error: its description, its recovery suggestion, and one button
// per recovery option (or "OK"); picking an option runs it through the error's recovery
// attempter.
class ErrorDialog
{
public:
    // Builds the alert, window-modal on `window` or application-modal without one. It deletes
    // itself when closed.
    static QMessageBox *create(const ErrorPtr &error, QWidget *window);
    // Builds and shows the alert without waiting; `dismissed` runs once when it has gone,
    // whether the user closed it or its window was destroyed. GUI thread only.
    static void show(const ErrorPtr &error, QWidget *window, std::function<void()> dismissed);
};
