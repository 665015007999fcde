#include "kit/services/LaunchAtLogin.h"

#include "kit/services/KwApp.h"
#include "kit/services/KwAppErrorReporting.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "platform/desktop/InstalledApplications.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStandardPaths>

#include <algorithm>
#include <vector>

namespace {

QString autostartDirectory()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = configHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : configHome;
    return base + QStringLiteral("/autostart");
}

const QString entryGroup = QStringLiteral("[Desktop Entry]");

struct EntryLine
{
    QString text;
    QString key; // empty for comments, blank lines and malformed ones
    QString value;
};

// The lines of the desktop entry's own group; other groups (actions) say nothing about starting.
std::vector<EntryLine> entryGroupLines(const QString &text)
{
    std::vector<EntryLine> lines;
    bool inEntry = false;
    for (const QString &rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == entryGroup;
            continue;
        }
        if (!inEntry) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0 || line.startsWith(QLatin1Char('#'))) {
            lines.push_back({ line, {}, {} });
        } else {
            lines.push_back({ line, line.left(equals).trimmed(), line.mid(equals + 1).trimmed() });
        }
    }
    return lines;
}

bool entryStarts(const QString &text)
{
    const auto lines = entryGroupLines(text);
    return std::none_of(lines.begin(), lines.end(), [](const EntryLine &line) {
        return (line.key == QLatin1String("Hidden") && line.value == QLatin1String("true"))
            || (line.key == QLatin1String("X-GNOME-Autostart-enabled")
                && line.value == QLatin1String("false"));
    });
}

// Keys the autostart entry sets itself, or that would start something else than the running
// program (D-Bus activation, a TryExec of another installation) or not start it at all.
bool replacedInAutostart(const QString &key)
{
    static const QStringList keys { QStringLiteral("Exec"), QStringLiteral("TryExec"),
        QStringLiteral("DBusActivatable"), QStringLiteral("Hidden"), QStringLiteral("Actions"),
        QStringLiteral("X-GNOME-Autostart-enabled") };
    return keys.contains(key);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
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

QString LaunchAtLoginObservable::autostartEntry(const QString &installedEntry) const
{
    QStringList lines { entryGroup };
    std::vector<EntryLine> kept = entryGroupLines(installedEntry);
    std::erase_if(kept, [](const EntryLine &line) { return replacedInAutostart(line.key); });
    const auto has = [&](const QString &key) {
        return std::any_of(kept.begin(), kept.end(), [&](const EntryLine &line) { return line.key == key; });
    };
    if (!has(QStringLiteral("Type"))) {
        lines << QStringLiteral("Type=Application");
    }
    if (!has(QStringLiteral("Name"))) {
        lines << QStringLiteral("Name=") + m_applicationName;
    }
    if (!has(QStringLiteral("Icon"))) {
        lines << QStringLiteral("Icon=") + m_desktopId;
    }
    for (const EntryLine &line : kept) {
        if (!line.text.isEmpty()) {
            lines << line.text;
        }
    }
    lines << QStringLiteral("Exec=") + execValue(m_executable)
          << QStringLiteral("X-GNOME-Autostart-enabled=true");
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

bool LaunchAtLoginObservable::isEnabled() const
{
    QFile file(m_entryPath);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return entryStarts(QString::fromUtf8(file.readAll()));
}

void LaunchAtLoginObservable::setEnabled(bool enabled)
{
    if (enabled) {
        const QString directory = QFileInfo(m_entryPath).absolutePath();
        const std::optional<QString> installed = InstalledApplications::desktopEntryPath(m_desktopId);
        const QByteArray entry = autostartEntry(installed ? readText(*installed) : QString()).toUtf8();
        QSaveFile file(m_entryPath);
        if (!QDir().mkpath(directory) || !file.open(QIODevice::WriteOnly) || file.write(entry) != entry.size()
            || !file.commit()) {
            fail(QStringLiteral("Could not add “%1” to the programs started at login.")
                     .arg(m_applicationName));
        }
    } else if (QFile::exists(m_entryPath) && !QFile::remove(m_entryPath)) {
        fail(QStringLiteral("Could not remove “%1” from the programs started at login.")
                 .arg(m_applicationName));
    }
    Q_EMIT changed(isEnabled());
}

QString LaunchAtLoginObservable::execValue(const QString &executable)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes = std::any_of(
        executable.begin(), executable.end(), [](QChar character) { return reserved.contains(character); });
    QString escaped;
    for (const QChar character : executable) {
        if (needsQuotes
            && (character == QLatin1Char('"') || character == QLatin1Char('`')
                || character == QLatin1Char('$') || character == QLatin1Char('\\'))) {
            escaped += QLatin1Char('\\');
        }
        if (character == QLatin1Char('%')) {
            escaped += QLatin1Char('%'); // a field code otherwise
        }
        escaped += character;
    }
    // The entry's own escaping doubles every backslash again.
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return needsQuotes ? QLatin1Char('"') + escaped + QLatin1Char('"') : escaped;
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
