#pragma once

#include <QString>

#include <functional>

// What this layer needs from the application services above it, filled in at start-up. Until
// then errors are only logged, so the layer works on its own.
class CollectionsHooks
{
public:
    // Sends an error, described, with its call site to the error-report routine. Must not throw
    // and must not show anything.
    using ReportError = std::function<void(const QString &description, const QString &file, int line)>;

    static void setReportError(ReportError hook);
    static void reportError(const QString &description, const QString &file, int line);
};
