#include "platform/desktop/ShareServices.h"

#include "platform/desktop/DesktopLauncher.h"

#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(shareLog, "tapewick.desktop.share")

QList<ShareService> &registered()
{
    static QList<ShareService> services;
    return services;
}

bool allLocalFiles(const QList<QUrl> &items)
{
    return !items.isEmpty()
        && std::all_of(items.begin(), items.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

// A new message with the files attached, in the mailto: form that mail programs read.
QUrl mailtoWithAttachments(const QList<QUrl> &items)
{
    QByteArray query;
    for (const QUrl &item : items) {
        query
            += (query.isEmpty() ? "attach=" : "&attach=") + QUrl::toPercentEncoding(item.toLocalFile(), "/");
    }
    return QUrl::fromEncoded("mailto:?" + query, QUrl::StrictMode);
}

} // namespace

namespace ShareServices {

void registerService(ShareService service)
{
    registered().append(std::move(service));
}

QList<ShareService> services()
{
    QList<ShareService> all;
    if (DesktopLauncher::defaultMailProgram()) {
        all.append(emailService());
    }
    all.append(registered());
    return all;
}

ShareService emailService(const QString &program)
{
    return {
        QStringLiteral("Email"),
        QIcon::fromTheme(QStringLiteral("mail-send")),
        allLocalFiles,
        [program](const QList<QUrl> &items) {
            // The composer knows how each of the common mail programs takes attachments.
            const QString composer
                = program.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("xdg-email")) : program;
            if (!composer.isEmpty()) {
                QStringList arguments;
                for (const QUrl &item : items) {
                    arguments << QStringLiteral("--attach") << item.toLocalFile();
                }
                if (!QProcess::startDetached(composer, arguments)) {
                    qCWarning(shareLog).noquote() << "The mail composer could not be started:" << composer;
                }
                return;
            }
            const std::optional<QString> mailProgram = DesktopLauncher::defaultMailProgram();
            const std::optional<QString> failure = mailProgram
                ? DesktopLauncher::openUrlsWithApplication({ mailtoWithAttachments(items) }, *mailProgram)
                : std::optional(QStringLiteral("no mail program is set up"));
            if (failure) {
                qCWarning(shareLog).noquote() << "The mail program could not be started:" << *failure;
            }
        },
    };
}

} // namespace ShareServices
