#include "app/PreviousRecordingMenu.h"

#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/InstalledApps.h"
#include "kit/foundation/text/ByteCountText.h"
#include "kit/foundation/text/StringHelpers.h"
#include "kit/services/AlertBuilder.h"
#include "kit/services/CallbackMenuItem.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwAppErrorReporting.h"
#include "kit/services/KwMenu.h"
#include "kit/services/SystemShareMenu.h"
#include "kit/ui/Pasteboard.h"
#include "platform/audio/MediaDuration.h"
#include "platform/desktop/DesktopTrash.h"
#include "platform/desktop/FileManager.h"
#include "preferences/Defaults.h"

#include <QFileInfo>
#include <QTimer>

#include <cmath>

// Linux has no sandbox: a recording's location can be read without starting scoped access.

namespace {

constexpr qsizetype nameWrapLength = 12;

void reportAndPresent(const Error &error, std::source_location location = std::source_location::current())
{
    KwApp::reportError(error, {}, location);
    presentAsSheet(error, nullptr);
}

void addAction(QMenu *menu, const QString &title, std::function<void()> callback)
{
    menu->addAction(new CallbackMenuItem(title, std::move(callback), menu));
}

void showCopyWarningOnce()
{
    if (!KwApp::runOnce(QStringLiteral("copyWarning"))) {
        return;
    }
    KwApp::activate();
    // The copy goes ahead; the warning comes up once the menu is out of the way.
    QTimer::singleShot(0, [] {
        AlertOptions options;
        options.title = MenuTexts::copyWarningTitle;
        options.message = MenuTexts::copyWarningMessage;
        options.buttonTitles = { QStringLiteral("OK") };
        runAlertModal(makeAlert(options));
    });
}

// A copy of the recording in a new temporary directory of its own; none, after saying why, when
// it cannot be made.
std::optional<QUrl> freshCopy(const QUrl &location)
{
    try {
        return copyToUniqueTemporaryDirectory(location);
    } catch (const Error &error) {
        reportAndPresent(error);
        return std::nullopt;
    }
}

void addShareItem(QMenu *menu, const QUrl &location)
{
    const std::optional<QUrl> copy = freshCopy(location);
    if (!copy) {
        return;
    }
    QAction *share = menu->addAction(MenuTexts::share);
    auto *shareMenu = new SystemShareMenu({ *copy });
    QObject::connect(share, &QObject::destroyed, shareMenu, &QObject::deleteLater);
    share->setMenu(shareMenu);
}

QCoro::Task<> openInTranscriptionApp(QUrl location)
{
    const QList<QUrl> urls { location };
    const QString appId(PreviousRecordingMenu::transcriptionAppId);
    ErrorPtr failure;
    try {
        co_await InstalledApps::openURLs(urls, appId, true);
    } catch (const Error &error) {
        failure = error.clone();
    }
    if (failure) {
        co_await presentAsModalAsync(*failure);
    }
}

} // namespace

namespace PreviousRecordingMenu {

QString durationText(double seconds)
{
    const auto total
        = static_cast<qint64>(std::nearbyint(std::isfinite(seconds) ? std::max(seconds, 0.0) : 0.0));
    const qint64 hours = total / 3600;
    const qint64 minutes = total % 3600 / 60;
    const qint64 rest = total % 60;
    QStringList parts;
    if (hours > 0) {
        parts << QStringLiteral("%1 %2").arg(hours).arg(MenuTexts::hours);
    }
    if (minutes > 0) {
        parts << QStringLiteral("%1 %2").arg(minutes).arg(MenuTexts::minutes);
    }
    if (rest > 0 || parts.isEmpty()) {
        parts << QStringLiteral("%1 %2").arg(rest).arg(MenuTexts::seconds);
    }
    return parts.join(QStringLiteral(", "));
}

void addInfoItems(QMenu *menu, const QUrl &location)
{
    const QString path = location.toLocalFile();
    if (const std::optional<double> seconds = mediaDurationSeconds(path)) {
        menu->addAction(durationText(*seconds))->setEnabled(false);
    }
    const QFileInfo file(path);
    const qint64 size = file.isFile() ? file.size() : 0;
    menu->addAction(byteCountFileText(size))->setEnabled(false);
}

KwMenu *make(const QUrl &location)
{
    auto *menu = new KwMenu();
    menu->addAction(wrapped(location.fileName(), nameWrapLength))->setEnabled(false);
    menu->addSeparator();
    addInfoItems(menu, location);
    menu->addSeparator();
    addAction(menu, MenuTexts::copy, [location] { copyToClipboard(location); });
    addShareItem(menu, location);
    addAction(menu, MenuTexts::showInFinder, [location] { FileManager::revealItems({ location }); });
    if (InstalledApps::appURL(QString::fromLatin1(transcriptionAppId))) {
        addAction(menu, MenuTexts::transcribe, [location] { openInTranscriptionApp(location); });
    }
    menu->addSeparator();
    auto *clear = new CallbackMenuItem(
        MenuTexts::clear, [] { Defaults::reset({ std::cref(SettingsKeys::previousRecording()) }); }, menu);
    clear->setToolTip(MenuTexts::clearTooltip);
    menu->addAction(clear);
    addAction(menu, MenuTexts::moveToTrash, [location] { moveToTrash(location); });
    return menu;
}

void copyToClipboard(const QUrl &location)
{
    showCopyWarningOnce();
    if (const std::optional<QUrl> copy = freshCopy(location)) {
        Pasteboard::copyUrl(*copy);
    }
}

void moveToTrash(const QUrl &location)
{
    if (const std::optional<QString> reason = DesktopTrash::trashItem(location.toLocalFile())) {
        reportAndPresent(GeneralError(
            QStringLiteral("“%1” could not be moved to the Trash: %2").arg(location.fileName(), *reason)));
    }
}

} // namespace PreviousRecordingMenu
