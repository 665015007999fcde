#include "app/PreviousRecordingMenu.h"

#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/TemporaryCopies.h"
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
#include "platform/desktop/GreyedReason.h"
#include "platform/events/MainThread.h"
#include "platform/events/ThreadHandoff.h"
#include "platform/events/WorkerThread.h"
#include "preferences/Defaults.h"

#include <QDateTime>
#include <QFileInfo>
#include <QPointer>
#include <QThreadPool>
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
        runAlertModal(makeAlert(options));
    });
}

// A copy of the recording in a new temporary directory of its own, apart from the recordings to
// recover, made on a worker thread so that a long recording does not hold up the interface; none,
// after saying why, when it cannot be made.
QCoro::Task<std::optional<QUrl>> freshCopy(QUrl location)
{
    ErrorPtr failure;
    try {
        auto copy = [location] { return TemporaryCopies::shared().copy(location); };
        co_return co_await Events::onWorkerThread(std::move(copy));
    } catch (const Error &error) {
        failure = error.clone();
    }
    reportAndPresent(*failure);
    co_return std::nullopt;
}

} // namespace

QCoro::Task<> PreviousRecordingMenu::shareFreshCopies(
    QList<QUrl> items, std::function<void(const QList<QUrl> &)> perform)
{
    QList<QUrl> copies;
    for (const QUrl &item : items) {
        const std::optional<QUrl> copy = co_await freshCopy(item);
        if (!copy) {
            for (const QUrl &made : std::as_const(copies)) {
                TemporaryCopies::shared().remove(made);
            }
            co_return;
        }
        copies << *copy;
    }
    perform(copies);
}

namespace {

// The service may read a shared copy at any time (a mail composer when the message is sent):
// it stays until the program ends.
void addShareItem(QMenu *menu, const QUrl &location)
{
    QAction *share = menu->addAction(MenuTexts::share);
    auto *shareMenu = new SystemShareMenu({ location }, [](const QList<QUrl> &items, auto perform) {
        PreviousRecordingMenu::shareFreshCopies(items, std::move(perform));
    });
    QObject::connect(share, &QObject::destroyed, shareMenu, &QObject::deleteLater);
    share->setMenu(shareMenu);
    if (shareMenu->isEmpty()) {
        share->setEnabled(false);
        GreyedReason::set(*share, MenuTexts::noShareServices);
    }
}

// The file as it was when its length was last read: a recording does not change once saved, so
// reopening the menu need not read it again.
struct FileStamp
{
    QString path;
    QDateTime modified;
    qint64 size = -1;
    bool operator==(const FileStamp &) const = default;
};

struct KnownDuration
{
    FileStamp stamp;
    std::optional<double> seconds;
};

std::optional<KnownDuration> &lastDuration()
{
    static std::optional<KnownDuration> known;
    return known;
}

QAction *insertDurationItem(QMenu *menu, QAction *before, double seconds)
{
    auto *item = new QAction(PreviousRecordingMenu::durationText(seconds), menu);
    item->setEnabled(false);
    menu->insertAction(before, item);
    return item;
}

// Reading the length may take seconds, so a worker thread reads it; the item appears above the
// size once it is known, in whichever menu holds the size then: a lazy submenu takes the items
// over from the menu they were built in, which is gone by the time the answer comes.
void fillInDuration(QAction *sizeItem, const FileStamp &stamp)
{
    std::function<void()> read = [sizeItem = QPointer(sizeItem), stamp] {
        Events::takeOver();
        const std::optional<double> seconds = mediaDurationSeconds(stamp.path);
        Events::runOnMain([sizeItem, stamp, seconds] {
            lastDuration() = KnownDuration { stamp, seconds };
            if (!seconds || !sizeItem) {
                return;
            }
            for (QObject *holder : sizeItem->associatedObjects()) {
                if (auto *menu = qobject_cast<QMenu *>(holder)) {
                    insertDurationItem(menu, sizeItem, *seconds);
                    return;
                }
            }
        });
    };
    Events::handOver();
    QThreadPool::globalInstance()->start(std::move(read));
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
    const QFileInfo file(location.toLocalFile());
    const qint64 size = file.isFile() ? file.size() : 0;
    QAction *sizeItem = menu->addAction(byteCountFileText(size));
    sizeItem->setEnabled(false);
    const FileStamp stamp { file.absoluteFilePath(), file.lastModified(), file.isFile() ? size : -1 };
    if (const std::optional<KnownDuration> &known = lastDuration(); known && known->stamp == stamp) {
        if (known->seconds) {
            insertDurationItem(menu, sizeItem, *known->seconds);
        }
        return;
    }
    fillInDuration(sizeItem, stamp);
}

KwMenu *make(const QUrl &location)
{
    auto *menu = new KwMenu();
    // One disabled item a line: a menu item draws its text on a single line here, and no panel that
    // shows the tray item's menu is bound to show a line break in an item's label either.
    for (const QString &line : wrapped(location.fileName(), nameWrapLength).split(u'\n')) {
        menu->addAction(withLiteralAmpersands(line))->setEnabled(false);
    }
    menu->addSeparator();
    addInfoItems(menu, location);
    menu->addSeparator();
    addAction(menu, MenuTexts::copy, [location] { copyToClipboard(location); });
    addShareItem(menu, location);
    addAction(menu, MenuTexts::showInFolder, [location] { FileManager::revealItems({ location }); });
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

QCoro::Task<> copyToClipboard(QUrl location)
{
    showCopyWarningOnce();
    const std::optional<QUrl> copy = co_await freshCopy(location);
    if (!copy) {
        co_return;
    }
    const auto remove = [copy = *copy] { TemporaryCopies::shared().remove(copy); };
    if (!Pasteboard::copyUrl(*copy)) {
        remove();
        co_return;
    }
    // Pasting reads the copy whenever the clipboard still offers it.
    Pasteboard::whenNoLongerOffered(*copy, remove);
}

void moveToTrash(const QUrl &location)
{
    if (const std::optional<QString> reason = DesktopTrash::trashItem(location.toLocalFile())) {
        reportAndPresent(GeneralError(
            QStringLiteral("“%1” could not be moved to the Trash: %2").arg(location.fileName(), *reason)));
    }
}

} // namespace PreviousRecordingMenu
