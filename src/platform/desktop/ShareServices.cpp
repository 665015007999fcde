#include "platform/desktop/ShareServices.h"

#include <QProcess>
#include <QStandardPaths>

#include <algorithm>

namespace {

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

} // namespace

namespace ShareServices {

void registerService(ShareService service)
{
    registered().append(std::move(service));
}

QList<ShareService> services()
{
    QList<ShareService> all;
    const QString composer = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (!composer.isEmpty()) {
        all.append(emailService(composer));
    }
    all.append(registered());
    return all;
}

ShareService emailService(const QString &program)
{
    const QString composer = program.isEmpty() ? QStringLiteral("xdg-email") : program;
    return {
        QStringLiteral("Email"),
        QIcon::fromTheme(QStringLiteral("mail-send")),
        allLocalFiles,
        [composer](const QList<QUrl> &items) {
            QStringList arguments;
            for (const QUrl &item : items) {
                arguments << QStringLiteral("--attach") << item.toLocalFile();
            }
            QProcess::startDetached(composer, arguments);
        },
    };
}

} // namespace ShareServices
