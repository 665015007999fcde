#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

// A way to hand files on: e-mail through the desktop's mail composer, or a service the program
// registers itself.
struct ShareService
{
    QString title;
    QIcon image;
    std::function<bool(const QList<QUrl> &)> canPerform;
    std::function<void(const QList<QUrl> &)> perform;
};

namespace ShareServices {

// Adds a service to every list made afterwards. GUI thread.
void registerService(ShareService service);
// E-mail (when xdg-email is installed), then the registered services.
QList<ShareService> services();

// The mail composer's service; `program` is the composer to run (xdg-email when empty).
ShareService emailService(const QString &program = {});

} // namespace ShareServices
