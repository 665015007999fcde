#include "platform/desktop/FileManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStringList>

Q_LOGGING_CATEGORY(lcFileManager, "tapewick.desktop.filemanager")

namespace {

QUrl resolved(const QUrl &file)
{
    if (!file.isLocalFile()) {
        return file;
    }
    const QString target = QFileInfo(file.toLocalFile()).canonicalFilePath();
    return target.isEmpty() ? file : QUrl::fromLocalFile(target);
}

void openFolderOf(const QUrl &file)
{
    if (file.isLocalFile()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(file.toLocalFile()).absolutePath()));
    }
}

} // namespace

namespace FileManager {

void revealItems(const QList<QUrl> &files)
{
    if (files.isEmpty()) {
        return;
    }
    QList<QUrl> targets;
    QStringList uris;
    for (const QUrl &file : files) {
        targets.append(resolved(file));
        uris.append(QString::fromUtf8(targets.constLast().toEncoded()));
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolderOf(targets.constFirst());
        return;
    }
    QDBusMessage call
        = QDBusMessage::createMethodCall(QString::fromLatin1(serviceName), QString::fromLatin1(objectPath),
            QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << uris << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
        [first = targets.constFirst()](QDBusPendingCallWatcher *finished) {
            const QDBusPendingReply<> reply = *finished;
            if (reply.isError()) {
                qCInfo(lcFileManager)
                    << "No file manager showed the file, opening its folder:" << reply.error().message();
                openFolderOf(first);
            }
            finished->deleteLater();
        });
}

} // namespace FileManager
