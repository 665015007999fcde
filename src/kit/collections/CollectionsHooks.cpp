#include "kit/collections/CollectionsHooks.h"

#include <QLoggingCategory>

#include <mutex>
#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcCollections, "tapewick.collections")

std::mutex hookMutex;
CollectionsHooks::ReportError reportErrorHook;

} // namespace

void CollectionsHooks::setReportError(ReportError hook)
{
    std::lock_guard guard(hookMutex);
    reportErrorHook = std::move(hook);
}

void CollectionsHooks::reportError(const QString &description, const QString &file, int line)
{
    ReportError hook;
    {
        std::lock_guard guard(hookMutex);
        hook = reportErrorHook;
    }
    if (hook) {
        hook(description, file, line);
    } else {
        qCWarning(lcCollections).noquote() << description << "at" << file << ':' << line;
    }
}
