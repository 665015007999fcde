#pragma once

#include <QIcon>
#include <QList>
#include <QMenu>
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

// "Share": one entry per service that can share the items; choosing it shares them.
class SystemShareMenu : public QMenu
{
    Q_OBJECT

public:
    explicit SystemShareMenu(QList<QUrl> shareItems, QWidget *parent = nullptr);

    const QList<QUrl> &shareItems() const { return m_shareItems; }

    // Adds a service to every share menu made afterwards. GUI thread.
    static void registerService(ShareService service);
    // E-mail (when xdg-email is installed), then the registered services.
    static QList<ShareService> services();

    // The mail composer's service; `program` is the composer to run (xdg-email when empty).
    static ShareService emailService(const QString &program = {});

private:
    QList<QUrl> m_shareItems;
};
