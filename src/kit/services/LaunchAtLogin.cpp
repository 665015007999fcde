#include "kit/services/LaunchAtLogin.h"

#include "kit/services/KwApp.h"
#include "kit/services/KwAppErrorReporting.h"

#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QStandardPaths>

namespace {

QString autostartDirectory()
{
    const QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    const QString base = configHome.isEmpty() ? QDir::homePath() + QStringLiteral("/.config") : configHome;
    return base + QStringLiteral("/autostart");
}

// The desktop entry's own keys only; other groups (actions) do not say whether it starts.
bool entryStarts(const QString &text)
{
    bool inEntry = false;
    bool starts = true;
    for (const QString &rawLine : text.split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inEntry) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if ((key == QLatin1String("Hidden") && value == QLatin1String("true"))
            || (key == QLatin1String("X-GNOME-Autostart-enabled") && value == QLatin1String("false"))) {
            starts = false;
        }
    }
    return starts;
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
        QCoreApplication::applicationFilePath(), KwApp::name());
    return *instance;
}

LaunchAtLoginObservable::LaunchAtLoginObservable(
    QString entryPath, QString executable, QString applicationName)
    : m_entryPath(std::move(entryPath))
    , m_executable(std::move(executable))
    , m_applicationName(std::move(applicationName))
{ }

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
        const QByteArray entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n"
                                                "X-GNOME-Autostart-enabled=true\n")
                                     .arg(m_applicationName, execValue(m_executable))
                                     .toUtf8();
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
