#include "kit/foundation/system/InstalledApps.h"

#include "kit/foundation/errors/GeneralError.h"

#include "kit/collections/MemoCache.h"

#include "platform/desktop/DesktopEntry.h"
#include "platform/desktop/DesktopLauncher.h"
#include "platform/desktop/InstalledApplications.h"

#include <QFileInfo>

#include <chrono>
#include <mutex>

namespace InstalledApps {

namespace {

constexpr auto entryLifetime = std::chrono::seconds(1);

struct Overrides
{
    std::mutex mutex;
    AppURLOverride appURL;
    AppNameOverride appName;
};

Overrides &overrides()
{
    static Overrides instance;
    return instance;
}

AppURLOverride appURLOverride()
{
    std::lock_guard guard(overrides().mutex);
    return overrides().appURL;
}

AppNameOverride appNameOverride()
{
    std::lock_guard guard(overrides().mutex);
    return overrides().appName;
}

// Every location lookup goes through this one call site, so they share one entry per identifier.
std::optional<QUrl> memoizedAppURL(const QString &bundleIdentifier)
{
    return memoize(entryLifetime, { bundleIdentifier }, [&]() -> std::optional<QUrl> {
        if (const auto path = InstalledApplications::desktopEntryPath(bundleIdentifier)) {
            return QUrl::fromLocalFile(*path);
        }
        return std::nullopt;
    });
}

std::optional<QString> memoizedAppName(
    const QString &bundleIdentifier, const std::function<std::optional<QString>()> &value)
{
    return memoize(entryLifetime, { bundleIdentifier }, value);
}

} // namespace

void setAppURLOverride(AppURLOverride lookup)
{
    std::lock_guard guard(overrides().mutex);
    overrides().appURL = std::move(lookup);
}

void setAppNameOverride(AppNameOverride lookup)
{
    std::lock_guard guard(overrides().mutex);
    overrides().appName = std::move(lookup);
}

std::optional<QUrl> appURL(const QString &bundleIdentifier)
{
    if (const auto lookup = appURLOverride()) {
        return lookup(bundleIdentifier);
    }
    return memoizedAppURL(bundleIdentifier);
}

std::optional<QString> appName(const QString &bundleIdentifier)
{
    const std::optional<QUrl> url = appURL(bundleIdentifier);
    if (!url) {
        return std::nullopt;
    }
    if (const auto lookup = appNameOverride()) {
        return lookup(bundleIdentifier);
    }
    return memoizedAppName(
        bundleIdentifier, [&]() -> std::optional<QString> { return appDisplayName(*url); });
}

QString appDisplayName(const QUrl &url)
{
    static const QString suffix = QStringLiteral(".desktop");
    QString name;
    if (const auto entry = DesktopEntry::load(url.toLocalFile())) {
        name = entry->localizedName();
    }
    if (name.isEmpty()) {
        name = QFileInfo(url.path()).fileName();
    }
    if (name.endsWith(suffix)) {
        name.chop(suffix.size());
    }
    return name;
}

QCoro::Task<> openURLs(QList<QUrl> urls, QString bundleIdentifier, bool activate)
{
    // A newly started application comes to the front by itself; the desktop offers no way to
    // open files in one while keeping it in the background, so `activate` changes nothing.
    Q_UNUSED(activate);
    // The name the user knows the application by; the identifier only when there is none.
    const auto shownName
        = [&bundleIdentifier] { return appName(bundleIdentifier).value_or(bundleIdentifier); };
    const std::optional<QUrl> application = appURL(bundleIdentifier);
    if (!application) {
        throw GeneralError(QStringLiteral("Could not find app “%1”.").arg(shownName()));
    }
    if (const auto failure = DesktopLauncher::openUrlsWithApplication(urls, application->toLocalFile())) {
        throw GeneralError(QStringLiteral("Could not open “%1”. %2").arg(shownName(), *failure));
    }
    co_return;
}

} // namespace InstalledApps
