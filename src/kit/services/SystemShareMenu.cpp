#include "kit/services/SystemShareMenu.h"

#include "kit/services/ServiceTexts.h"

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

SystemShareMenu::SystemShareMenu(QList<QUrl> shareItems, QWidget *parent)
    : QMenu(ServiceTexts::shareMenu(), parent)
    , m_shareItems(std::move(shareItems))
{
    for (const ShareService &service : services()) {
        if (service.canPerform && !service.canPerform(m_shareItems)) {
            continue;
        }
        QAction *entry = addAction(service.image, service.title);
        connect(entry, &QAction::triggered, this, [perform = service.perform, items = m_shareItems] {
            if (perform) {
                perform(items);
            }
        });
    }
}

void SystemShareMenu::registerService(ShareService service)
{
    registered().append(std::move(service));
}

QList<ShareService> SystemShareMenu::services()
{
    QList<ShareService> all;
    const QString composer = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (!composer.isEmpty()) {
        all.append(emailService(composer));
    }
    all.append(registered());
    return all;
}

ShareService SystemShareMenu::emailService(const QString &program)
{
    const QString composer = program.isEmpty() ? QStringLiteral("xdg-email") : program;
    return {
        ServiceTexts::shareByEmail(),
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
