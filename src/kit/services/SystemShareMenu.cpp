#include "kit/services/SystemShareMenu.h"

#include "kit/ui/KitTexts.h"
#include "platform/desktop/ShareServices.h"

SystemShareMenu::SystemShareMenu(QList<QUrl> shareItems, Preparation prepare, QWidget *parent)
    : QMenu(KitTexts::share(), parent)
    , m_shareItems(std::move(shareItems))
{
    setToolTipsVisible(true);
    for (const ShareService &service : ShareServices::services()) {
        if (service.canPerform && !service.canPerform(m_shareItems)) {
            continue;
        }
        QAction *entry = addAction(service.image, service.title);
        if (!service.perform) {
            continue;
        }
        connect(entry, &QAction::triggered, this, [perform = service.perform, items = m_shareItems, prepare] {
            if (prepare) {
                prepare(items, perform);
            } else {
                perform(items);
            }
        });
    }
}
