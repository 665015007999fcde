#pragma once

#include "kit/foundation/errors/Error.h"

#include <functional>

class QWidget;

// What this layer needs from the application services above it. The services fill these
// in at start-up; until then each has a sound default, so the layer works on its own.
class FoundationHooks
{
public:
    // Sends an error with extra user info and its call site to the error-report routine.
    // Must not throw and must not show anything.
    using ReportError
        = std::function<void(const Error &error, const QVariantMap &userInfo, const QString &file, int line)>;
    // Shows an error on the GUI thread, as a window-modal alert on `window` or, without one,
    // application-modally; calls `dismissed` once the user has closed it.
    using PresentError
        = std::function<void(const ErrorPtr &error, QWidget *window, std::function<void()> dismissed)>;

    static void setReportError(ReportError hook);
    static void reportError(const Error &error, const QVariantMap &userInfo, const QString &file, int line);

    static void setPresentError(PresentError hook);
    static void presentError(const ErrorPtr &error, QWidget *window, std::function<void()> dismissed);

    // Brings the application to the front before it shows an alert of its own.
    static void setActivateApp(std::function<void()> hook);
    static void activateApp();

    // Asks the application to quit (through its quit confirmation once the services set it).
    static void setTerminate(std::function<void()> hook);
    static void terminate();

    // The application identifier, used as the domain of the program's own errors.
    static void setAppIdentifier(const QString &identifier);
    static QString appIdentifier();

    // The application name, used for its own directories.
    static void setAppName(const QString &name);
    static QString appName();
};
