#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

// A way to hand files on: e-mail through the desktop's mail program, or a service the program
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
// E-mail (when the desktop has a mail program: a handler of mailto: addresses), then the
// registered services.
QList<ShareService> services();

// The mail service. It runs `program` with the files (xdg-email's arguments), else xdg-email
// when it is installed, else the desktop's mail program with a mailto: address attaching them.
ShareService emailService(const QString &program = {});

} // namespace ShareServices
