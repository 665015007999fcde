#include "kit/services/KwApp.h"

#include "kit/services/AlertBuilder.h"
#include "kit/services/BookmarksUserDefaults.h"
#include "kit/services/DebugInfo.h"
#include "kit/services/KwAppErrorReporting.h"
#include "kit/services/KwKit.h"
#include "kit/services/ServiceTexts.h"
#include "kit/services/WindowActivation.h"

#include "kit/collections/CollectionsHooks.h"
#include "kit/foundation/errors/ErrorReporting.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/TreeRemoval.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"
#include "platform/crashreport/CrashReporter.h"
#include "platform/desktop/DesktopLauncher.h"
#include "platform/events/MainThread.h"
#include "platform/userdefaults/UserDefaults.h"
#include "preferences/Defaults.h"

#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QMutex>
#include <QPointer>
#include <QUrlQuery>

#include <cstdlib>
#include <utility>

Q_LOGGING_CATEGORY(lcOpenUrl, "tapewick.openurl")

namespace {

const std::string runOncePrefix = "Kw_App_runOnce__";
const std::string reviewCountKey = "Kw_requestReviewCount";

struct Commands
{
    QMutex mutex;
    std::function<void()> showSettings;
    std::function<bool()> shouldTerminate;
    QString scratchDirectory;
};

Commands &commands()
{
    static Commands instance;
    return instance;
}

} // namespace

QString KwApp::name()
{
    static const QString value = FoundationHooks::appName();
    return value;
}

QString KwApp::identifier()
{
    static const QString value = FoundationHooks::appIdentifier();
    return value;
}

QString KwApp::version()
{
    const QString value = QCoreApplication::applicationVersion();
    return value.isEmpty() ? QStringLiteral("0") : value;
}

bool KwApp::isFirstLaunch()
{
    static const bool value = KwKit::shared().isFirstLaunch();
    return value;
}

bool KwApp::crashedLastRun()
{
    static const bool value = CrashReporter::crashedLastRun();
    return value;
}

bool KwApp::runOnce(const QString &identifier)
{
    return runOnce(identifier, UserDefaults::standard());
}

bool KwApp::runOnce(const QString &identifier, const std::shared_ptr<UserDefaults> &database)
{
    const Defaults::Key<bool> key(runOncePrefix + identifier.toStdString(), false, database);
    if (Defaults::get(key)) {
        return false;
    }
    Defaults::set(key, true);
    return true;
}

AtomicDictionary<QString, QVariant> &KwApp::customDebugInfo()
{
    static AtomicDictionary<QString, QVariant> entries;
    return entries;
}

QString KwApp::scratchDirectory()
{
    Commands &state = commands();
    ErrorPtr failure;
    {
        QMutexLocker locker(&state.mutex);
        if (!state.scratchDirectory.isEmpty()) {
            return state.scratchDirectory;
        }
        try {
            state.scratchDirectory = makeUniqueTemporaryDirectory().toLocalFile();
            return state.scratchDirectory;
        } catch (const Error &error) {
            failure = error.clone();
        }
    }
    // Reported outside the lock: the report routine may ask for the directory itself.
    (void)reported(std::move(failure));
    return {};
}

void KwApp::removeScratchDirectory()
{
    Commands &state = commands();
    QMutexLocker locker(&state.mutex);
    if (!state.scratchDirectory.isEmpty()) {
        // A failure leaves a little litter in the temporary directory; nothing to tell anyone.
        TreeRemoval::remove(state.scratchDirectory);
        state.scratchDirectory.clear();
    }
}

void KwApp::activate()
{
    FoundationHooks::activateApp();
}

QWidget *KwApp::settingsWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(settingsWindowObjectName)) {
            return widget;
        }
    }
    return nullptr;
}

void KwApp::setShowSettingsHandler(std::function<void()> handler)
{
    QMutexLocker locker(&commands().mutex);
    commands().showSettings = std::move(handler);
}

void KwApp::showSettings()
{
    Events::runOnMain([] {
        activate();
        std::function<void()> handler;
        {
            QMutexLocker locker(&commands().mutex);
            handler = commands().showSettings;
        }
        if (handler) {
            handler();
        } else if (QWidget *window = settingsWindow()) {
            window->show();
            window->raise();
            window->activateWindow();
        }
    });
}

void KwApp::showAboutWindow()
{
    static QPointer<QMessageBox> window;
    activate();
    if (!window) {
        window = new QMessageBox();
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(ServiceTexts::aboutTitle(name()));
        const QIcon icon = QApplication::windowIcon();
        if (!icon.isNull()) {
            window->setIconPixmap(icon.pixmap(64, 64));
        }
        window->setText(QStringLiteral("<b>%1</b>").arg(name().toHtmlEscaped()));
        window->setInformativeText(ServiceTexts::aboutVersion(version()));
        window->setStandardButtons(QMessageBox::Ok);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void KwApp::openURL(const QUrl &url)
{
    // Opening a page tells the user nothing when it fails; the log keeps the address.
    if (!DesktopLauncher::openUrl(url)) {
        qCWarning(lcOpenUrl).noquote() << "Could not open" << url.toString();
    }
}

QUrl KwApp::feedbackURL()
{
    QUrl url = KwKit::metadata().feedbackPage;
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("product"), name());
    query.addQueryItem(QStringLiteral("metadata"), DebugInfo::systemText());
    query.addQueryItem(QStringLiteral("messageField"), QStringLiteral("message"));
    query.addQueryItem(QStringLiteral("extraInfo"), DebugInfo::customEntriesText());
    url.setQuery(query);
    return url;
}

void KwApp::openSendFeedbackPage()
{
    openURL(feedbackURL());
}

void KwApp::requestReview(const QList<int> &counts)
{
    const std::shared_ptr<UserDefaults> database = UserDefaults::standard();
    static const Defaults::Key<qint64> countKey(reviewCountKey, 0, database);
    const qint64 count = Defaults::get(countKey) + 1;
    Defaults::set(countKey, count);
    if (!counts.contains(count) || isFirstLaunch() || crashedLastRun()
        || !KwKit::metadata().feedbackReachesMaker || !runOnce(QStringLiteral("requestReview"), database)) {
        return;
    }
    Events::runOnMain([] {
        activate();
        AlertOptions options;
        options.title = ServiceTexts::reviewTitle(name());
        options.message = ServiceTexts::reviewMessage(name());
        options.style = AlertStyle::Informational;
        options.buttonTitles = { ServiceTexts::reviewOpenWebsite(), ServiceTexts::reviewLater() };
        // The place where a few words can be written; the help page has none.
        if (runAlertModal(makeAlert(options)) == 0) {
            openURL(KwKit::metadata().feedbackPage);
        }
    });
}

bool KwApp::isDebugModifier(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        == (Qt::ShiftModifier | Qt::ControlModifier);
}

bool KwApp::isDebugModifierHeld()
{
    static const bool held = isDebugModifier(QGuiApplication::queryKeyboardModifiers());
    return held;
}

void KwApp::setShouldTerminate(std::function<bool()> shouldTerminate)
{
    QMutexLocker locker(&commands().mutex);
    commands().shouldTerminate = std::move(shouldTerminate);
}

void KwApp::terminate()
{
    ASSERT_MAIN_THREAD();
    std::function<bool()> shouldTerminate;
    {
        QMutexLocker locker(&commands().mutex);
        shouldTerminate = commands().shouldTerminate;
    }
    if (shouldTerminate && !shouldTerminate()) {
        return;
    }
    // Decided: an alert still open (one without a cancel button would refuse to close) must not
    // keep the program running.
    QCoreApplication::exit(0);
}

void KwApp::installFoundationHooks()
{
    FoundationHooks::setReportError([](const Error &error, const QVariantMap &userInfo, const QString &file,
                                        int line) { reportError(error, userInfo, file, line); });
    FoundationHooks::setTerminate([] { terminate(); });
    WindowActivation::followFocus();
    FoundationHooks::setActivateApp([] { WindowActivation::bringForward(); });
    CollectionsHooks::setReportError([](const QString &description, const QString &file, int line) {
        reportError(GeneralError(description), {}, file, line);
    });
    SecurityScopedBookmarkManager::setStore(
        BookmarksUserDefaults::store(std::make_shared<const BookmarksUserDefaults>()));
}
