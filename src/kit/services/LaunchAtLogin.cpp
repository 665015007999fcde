#include "kit/services/LaunchAtLogin.h"

#include "kit/services/KwApp.h"
#include "kit/services/KwAppErrorReporting.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "platform/desktop/DesktopEntry.h"
#include "platform/desktop/InstalledApplications.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>

namespace {

QString autostartDirectory()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = configHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : configHome;
    return base + QStringLiteral("/autostart");
}

// Keys the autostart entry sets itself, or that would start something else than the running
// program (D-Bus activation, a TryExec of another installation) or not start it at all.
const QStringList replacedInAutostart { QStringLiteral("Exec"), QStringLiteral("TryExec"),
    QStringLiteral("DBusActivatable"), QStringLiteral("Hidden"), QStringLiteral("Actions"),
    QStringLiteral("X-GNOME-Autostart-enabled") };

// The installed entry starting `executable`, or without one, an entry of the name and icon.
DesktopEntry autostartEntry(
    const QString &desktopId, const QString &applicationName, const QString &executable)
{
    const std::optional<QString> installedPath = InstalledApplications::desktopEntryPath(desktopId);
    std::optional<DesktopEntry> installed = installedPath ? DesktopEntry::load(*installedPath) : std::nullopt;
    DesktopEntry entry
        = installed ? std::move(*installed) : DesktopEntry::create(QStringLiteral("Application"));
    // Actions start other command lines; the autostart entry starts only the program.
    entry.removeOtherGroups();
    for (const QString &key : replacedInAutostart) {
        entry.remove(key);
    }
    if (!entry.contains(QStringLiteral("Name"))) {
        entry.setString(QStringLiteral("Name"), applicationName);
    }
    if (!entry.contains(QStringLiteral("Icon"))) {
        entry.setString(QStringLiteral("Icon"), desktopId);
    }
    entry.setString(QStringLiteral("Exec"), DesktopEntry::execArgument(executable));
    entry.setBoolean(QStringLiteral("X-GNOME-Autostart-enabled"), true);
    return entry;
}

void fail(const QString &description)
{
    const GeneralError error(description);
    KwApp::reportError(error);
    presentAsModal(error);
}

} // namespace

LaunchAtLoginObservable &LaunchAtLoginObservable::shared()
{
    static auto *instance = new LaunchAtLoginObservable(
        autostartDirectory() + QLatin1Char('/') + KwApp::identifier() + QStringLiteral(".desktop"),
        QCoreApplication::applicationFilePath(), KwApp::name(), KwApp::identifier());
    return *instance;
}

LaunchAtLoginObservable::LaunchAtLoginObservable(
    QString entryPath, QString executable, QString applicationName, QString desktopId)
    : m_entryPath(std::move(entryPath))
    , m_executable(std::move(executable))
    , m_applicationName(std::move(applicationName))
    , m_desktopId(std::move(desktopId))
{ }

bool LaunchAtLoginObservable::isEnabled() const
{
    const std::optional<DesktopEntry> entry = DesktopEntry::load(m_entryPath);
    return entry && entry->isAutostartEnabled();
}

void LaunchAtLoginObservable::setEnabled(bool enabled)
{
    if (enabled) {
        if (!QDir().mkpath(QFileInfo(m_entryPath).absolutePath())
            || !autostartEntry(m_desktopId, m_applicationName, m_executable).save(m_entryPath)) {
            fail(QStringLiteral("Could not add “%1” to the programs started at login.")
                     .arg(m_applicationName));
        }
    } else if (QFile::exists(m_entryPath) && !QFile::remove(m_entryPath)) {
        fail(QStringLiteral("Could not remove “%1” from the programs started at login.")
                 .arg(m_applicationName));
    }
    Q_EMIT changed(isEnabled());
}

LaunchAtLoginToggle::LaunchAtLoginToggle(
    const QString &label, LaunchAtLoginObservable &launchAtLogin, QWidget *parent)
    : QCheckBox(label, parent)
    , m_launchAtLogin(launchAtLogin)
{
    refresh();
    connect(this, &QCheckBox::toggled, this, [this](bool on) { m_launchAtLogin.setEnabled(on); });
    connect(&m_launchAtLogin, &LaunchAtLoginObservable::changed, this, &LaunchAtLoginToggle::refresh);
}

void LaunchAtLoginToggle::showEvent(QShowEvent *event)
{
    refresh();
    QCheckBox::showEvent(event);
}

void LaunchAtLoginToggle::refresh()
{
    const QSignalBlocker blocker(this);
    setChecked(m_launchAtLogin.isEnabled());
}
