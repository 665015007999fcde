#include "platform/desktop/SystemSettings.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace {

struct SettingsProgram
{
    const char *desktop; // as XDG_CURRENT_DESKTOP names it; none for a fallback of any desktop
    const char *program;
    const char *soundPage; // the argument that opens the sound page, if the program has one
};

constexpr SettingsProgram settingsPrograms[] = {
    { "GNOME", "gnome-control-center", "sound" },
    { "KDE", "systemsettings", "kcm_pulseaudio" },
    { "X-Cinnamon", "cinnamon-settings", "sound" },
    { "MATE", "mate-control-center", nullptr },
    { "XFCE", "xfce4-settings-manager", nullptr },
    { "LXQt", "lxqt-config", nullptr },
    { "Budgie", "gnome-control-center", "sound" },
    { "Unity", "gnome-control-center", "sound" },
    // The sound server's own mixer, where a desktop brings no settings program of its own.
    { nullptr, "pavucontrol", "--tab=4" },
};

bool isSoundPane(const QString &pane)
{
    return pane.contains(QLatin1String("Microphone"), Qt::CaseInsensitive)
        || pane.contains(QLatin1String("sound"), Qt::CaseInsensitive);
}

bool start(const SettingsProgram &settings, bool soundPage)
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(settings.program));
    if (program.isEmpty()) {
        return false;
    }
    QStringList arguments;
    if (soundPage && settings.soundPage) {
        arguments.append(QString::fromLatin1(settings.soundPage));
    }
    return QProcess::startDetached(program, arguments);
}

} // namespace

bool openSystemSettings(const QString &pane)
{
    const bool soundPage = isSoundPane(pane);
    const QStringList desktops
        = qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &desktop : desktops) {
        for (const SettingsProgram &settings : settingsPrograms) {
            if (desktop.compare(QLatin1String(settings.desktop), Qt::CaseInsensitive) == 0
                && start(settings, soundPage)) {
                return true;
            }
        }
    }
    // Another desktop, or its settings program is missing: any that is installed opens at its
    // start, the mixer on its input page.
    for (const SettingsProgram &settings : settingsPrograms) {
        if (start(settings, soundPage && !settings.desktop)) {
            return true;
        }
    }
    return false;
}
