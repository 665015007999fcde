#pragma once

#include <QString>

// The texts the application services show, each in one place.
namespace ServiceTexts {

inline QString aboutTitle(const QString &name)
{
    return QStringLiteral("About %1").arg(name);
}
inline QString aboutVersion(const QString &version)
{
    return QStringLiteral("Version %1").arg(version);
}

inline QString reviewTitle(const QString &name)
{
    return QStringLiteral("Enjoying %1?").arg(name);
}
inline QString reviewMessage(const QString &name)
{
    return QStringLiteral("If you like %1, a few words about it on its website help a lot.").arg(name);
}
inline QString reviewOpenWebsite()
{
    return QStringLiteral("Open Website");
}
inline QString reviewLater()
{
    return QStringLiteral("Not Now");
}

inline QString quitItem(const QString &name)
{
    return QStringLiteral("Quit ") + name;
}
inline QString websiteItem()
{
    return QStringLiteral("Website");
}
inline QString rateAppItem()
{
    return QStringLiteral("Rate on the App Store");
}
inline QString moreAppsItem()
{
    return QStringLiteral("More Apps by Me");
}

inline QString welcomePopover(const QString &name)
{
    return QStringLiteral("Hello, I'm ") + name;
}

inline QString suppressionButton()
{
    return QStringLiteral("Do not show this message again");
}

inline QString crashReportTitle(const QString &name)
{
    return QStringLiteral("%1 Crashed").arg(name);
}
inline QString crashReportMessage(const QString &name)
{
    return QStringLiteral("%1 crashed the last time it was run. A report was made. If you tell what you "
                          "were doing when it happened, the problem is easier to find and fix.")
        .arg(name);
}
inline QString crashReportName()
{
    return QStringLiteral("Name (optional):");
}
inline QString crashReportEmail()
{
    return QStringLiteral("Email (optional):");
}
inline QString crashReportComments()
{
    return QStringLiteral("What were you doing?");
}
inline QString crashReportSend()
{
    return QStringLiteral("Send");
}
inline QString crashReportDontSend()
{
    return QStringLiteral("Don't Send");
}
inline QString crashReportSending()
{
    return QStringLiteral("Sending\u2026");
}
// Why a report did not go out: the service's answer, or what the transfer says went wrong.
inline QString crashReportServiceAnswered(int status)
{
    return QStringLiteral("the crash-reporting service answered with status %1").arg(status);
}
inline QString crashReportNotSentKept(const QString &reason, const QString &folder, const QString &name)
{
    return QStringLiteral(
        "The report could not be sent (%1). It is kept in %2 and sent the next time %3 starts.")
        .arg(reason, folder, name);
}
inline QString crashReportNotSentDropped(const QString &reason)
{
    return QStringLiteral("The report could not be sent (%1). It was not kept.").arg(reason);
}
inline QString crashReportNotStored(const QString &folder)
{
    return QStringLiteral("The report could not be sent: it could not be stored in %1.").arg(folder);
}
inline QString crashReportKeptMessage(const QString &name)
{
    return QStringLiteral(
        "%1 crashed the last time it was run. This copy of %1 sends no crash reports, so the "
        "report was kept on this computer, in this folder:")
        .arg(name);
}
inline QString crashReportKeptHint(const QString &name)
{
    return QStringLiteral(
        "To report the crash, copy the report and send it, with a few words on what you were "
        "doing, to whoever provided your copy of %1.")
        .arg(name);
}
inline QString crashReportCopy()
{
    return QStringLiteral("Copy Report");
}
inline QString crashReportOpenFolder()
{
    return QStringLiteral("Open Folder");
}
inline QString crashReportClose()
{
    return QStringLiteral("Close");
}
inline QString crashReportCopied()
{
    return QStringLiteral("The report is on the clipboard.");
}
inline QString crashReportGone()
{
    return QStringLiteral("The report is no longer in the folder.");
}
inline QString crashReportFolderNotOpened()
{
    return QStringLiteral("No file manager opened the folder.");
}

inline QString debugWindowTitle()
{
    return QStringLiteral("Debug");
}
inline QString debugInformation()
{
    return QStringLiteral("Debug Information");
}
inline QString debugSettings()
{
    return QStringLiteral("Settings");
}
inline QString debugLog()
{
    return QStringLiteral("Log");
}
inline QString debugCopy()
{
    return QStringLiteral("Copy Debug Info");
}
inline QString supportWindowTitle(const QString &name)
{
    return QStringLiteral("%1 Support").arg(name);
}
inline QString supportSendFeedback()
{
    return QStringLiteral("Send Feedback…");
}
inline QString supportResetData()
{
    return QStringLiteral("Delete All Settings and Data…");
}
inline QString deleteDataTitle(const QString &name)
{
    return QStringLiteral("Delete all settings and data of %1?").arg(name);
}
inline QString deleteDataMessage(const QString &name)
{
    return QStringLiteral("%1 will forget its settings and remove its own data, then start again. Your saved "
                          "recordings are not touched.")
        .arg(name);
}
inline QString deleteDataConfirm()
{
    return QStringLiteral("Delete and Relaunch");
}
inline QString cancel()
{
    return QStringLiteral("Cancel");
}

inline QString launchAtLogin()
{
    return QStringLiteral("Launch at login");
}

} // namespace ServiceTexts
