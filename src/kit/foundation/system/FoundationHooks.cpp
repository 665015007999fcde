#include "kit/foundation/system/FoundationHooks.h"

#include "kit/foundation/errors/ErrorDialog.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMutex>

#include <utility>

Q_LOGGING_CATEGORY(lcErrors, "tapewick.errors")

namespace {

struct Hooks
{
    QMutex mutex;
    FoundationHooks::ReportError reportError;
    FoundationHooks::PresentError presentError;
    std::function<void()> activateApp;
    std::function<void()> terminate;
    QString appIdentifier;
    QString appName;
};

Hooks &hooks()
{
    static Hooks instance;
    return instance;
}

// Copies a hook out under the lock, so a hook may itself set hooks without deadlocking.
template<typename Member>
auto load(Member Hooks::*member)
{
    QMutexLocker locker(&hooks().mutex);
    return hooks().*member;
}

template<typename Member, typename Value>
void store(Member Hooks::*member, Value value)
{
    QMutexLocker locker(&hooks().mutex);
    hooks().*member = std::move(value);
}

} // namespace

void FoundationHooks::setReportError(ReportError hook)
{
    store(&Hooks::reportError, std::move(hook));
}

void FoundationHooks::reportError(
    const Error &error, const QVariantMap &userInfo, const QString &file, int line)
{
    if (const auto hook = load(&Hooks::reportError)) {
        hook(error, userInfo, file, line);
        return;
    }
    qCWarning(lcErrors).noquote() << QStringLiteral("%1:%2:").arg(file).arg(line) << error.debugDescription()
                                  << userInfo;
}

void FoundationHooks::setPresentError(PresentError hook)
{
    store(&Hooks::presentError, std::move(hook));
}

void FoundationHooks::presentError(const ErrorPtr &error, QWidget *window, std::function<void()> dismissed)
{
    if (const auto hook = load(&Hooks::presentError)) {
        hook(error, window, std::move(dismissed));
        return;
    }
    ErrorDialog::show(error, window, std::move(dismissed));
}

void FoundationHooks::setActivateApp(std::function<void()> hook)
{
    store(&Hooks::activateApp, std::move(hook));
}

void FoundationHooks::activateApp()
{
    if (const auto hook = load(&Hooks::activateApp)) {
        hook();
    }
}

void FoundationHooks::setTerminate(std::function<void()> hook)
{
    store(&Hooks::terminate, std::move(hook));
}

void FoundationHooks::terminate()
{
    if (const auto hook = load(&Hooks::terminate)) {
        hook();
        return;
    }
    QCoreApplication::quit();
}

void FoundationHooks::setAppIdentifier(const QString &identifier)
{
    store(&Hooks::appIdentifier, identifier);
}

QString FoundationHooks::appIdentifier()
{
    const QString identifier = load(&Hooks::appIdentifier);
    return identifier.isEmpty() ? QCoreApplication::applicationName() : identifier;
}

void FoundationHooks::setAppName(const QString &name)
{
    store(&Hooks::appName, name);
}

QString FoundationHooks::appName()
{
    const QString name = load(&Hooks::appName);
    if (!name.isEmpty()) {
        return name;
    }
    const QString applicationName = QCoreApplication::applicationName();
    return applicationName.isEmpty() ? QStringLiteral("Tapewick") : applicationName;
}
