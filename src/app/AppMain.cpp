#include "app/AppMain.h"

#include "app/AppDelegate.h"
#include "app/AppIdentity.h"
#include "app/AppIntents.h"
#include "app/AppLogging.h"
#include "app/AppState.h"
#include "app/AppTexts.h"
#include "app/MenuBarIcon.h"
#include "app/ProductPages.h"
#include "app/SettingsKeys.h"
#include "app/SingleInstance.h"
#include "app/settings/SettingsScreen.h"
#include "kit/foundation/files/TemporaryCopies.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "kit/foundation/system/SignalHandler.h"
#include "kit/services/CrashReporting.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/ui/ReadableToolTips.h"
#include "platform/automation/AutomationService.h"
#include "platform/desktop/StatusItem.h"
#include "platform/events/AbandonableWork.h"
#include "platform/userdefaults/UserDefaults.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr char migrationIdentifier[] = "migrateSandboxBookmark";

bool hasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

void printLine(const QString &line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
}

// A sound server that stopped answering holds its work for ever: the end gives that work a bounded
// time, then leaves it behind. Its threads may wake at any moment, so the process then ends at once,
// without tearing down what they use; the settings are written already, and an unfinished
// recording stays in its temporary folder for recovery.
int endLeavingStuckWork(int status)
{
    const QStringList abandoned
        = Events::AbandonableWork::waitForDone(QDeadlineTimer(AppMain::stuckWorkLimit));
    if (abandoned.isEmpty()) {
        return status;
    }
    qCWarning(appLog).noquote() << "Ending without what the sound server did not let finish:"
                                << abandoned.join(QStringLiteral(", "));
    std::fflush(nullptr);
    std::_Exit(status);
}

} // namespace

AppMain::AppMain()
    : m_kwkit(KwKit::shared())
{
    KwKit::setMetadata(ProductPages::forThisProgram());
    AppDelegate::install();
    // The settings window is the program's only window. It words the duration setting after the
    // tray the item is in.
    KwApp::setShowSettingsHandler(
        [] { SettingsScreen::show(AppState::shared().statusItem().showsTitlePublisher()); });
    // The launch's own notice of a crash comes first; AppState lets the report window follow it.
    CrashReportWindow::hold();
    startCrashReporting();
    if (KwApp::runOnce(QString::fromLatin1(migrationIdentifier))) {
        migrateSandboxBookmarks(*UserDefaults::standard(), KwApp::isFirstLaunch());
    }
}

void AppMain::migrateSandboxBookmarks(UserDefaults &database, bool isFirstLaunch)
{
    if (isFirstLaunch) {
        return;
    }
    for (const std::string &name :
        { SettingsKeys::previousRecording().name(), SettingsKeys::defaultOutputDirectory().name() }) {
        // Data as stored, or decoded from the older text form; anything else is left as it is.
        if (const std::optional<QByteArray> data = Defaults::getValue<QByteArray>(database, name)) {
            database.setObject(name, PropertyValue(*data));
        }
    }
}

int AppMain::main(int argc, char **argv)
{
    // An ending signal before AppState takes them on waits for it instead of killing the process,
    // which would end a user's ending with the wrong status. Before any thread starts.
    SignalHandler::holdUntilInstalled(SignalHandler::Signal::exitSignals());
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Records audio from the tray."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption verbose(QStringLiteral("verbose"), QStringLiteral("Log what the program does."));
    parser.addOption(verbose);
    // StatusNotifierItem panels show the application name as the item's title.
    QCoreApplication::setApplicationName(QString::fromLatin1(AppIdentity::displayName));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAPEWICK_VERSION));
    if (!hasDisplay()) {
        // --help and --version need no display; anything else does.
        QCoreApplication commandLine(argc, argv);
        parser.process(commandLine);
        printLine(AppTexts::noDisplay);
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromLatin1(AppIdentity::displayName));
    QApplication::setDesktopFileName(QString::fromLatin1(AppIdentity::identifier));
    // Closing the settings window must not end a program that lives in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    ReadableToolTips::install();
    parser.process(application);
    AppLogging::configure(parser.isSet(verbose));

    FoundationHooks::setAppName(QString::fromLatin1(AppIdentity::displayName));
    FoundationHooks::setAppIdentifier(QString::fromLatin1(AppIdentity::identifier));
    QApplication::setWindowIcon(QIcon::fromTheme(
        QString::fromLatin1(AppIdentity::identifier), MenuBarIcons::image(MenuBarIcon::microphone)));

    // In place before the name is claimed: a call that finds the name finds the intents too.
    const std::unique_ptr<AutomationService> intents
        = AppIntents::serve(SingleInstance::connection(), QString::fromLatin1(AppIdentity::objectPath));
    switch (SingleInstance::claim(QString::fromLatin1(AppIdentity::busName))) {
    case SingleInstance::Claim::owned:
        break;
    case SingleInstance::Claim::runningElsewhere:
        printLine(AppTexts::alreadyRunning);
        return 0;
    case SingleInstance::Claim::noBus:
        qCWarning(appLog) << "No session bus: a second instance cannot be told apart";
        break;
    }

    // Copies an earlier run handed to the clipboard or a share service, if it could not remove them.
    TemporaryCopies::shared().removeAbandoned();

    AppMain program;
    AppState::shared();
    qCDebug(appLog) << "Started";
    return endLeavingStuckWork(QApplication::exec());
}
