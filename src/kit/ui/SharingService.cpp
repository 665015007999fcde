#include "kit/ui/SharingService.h"

#include "platform/desktop/ShareServices.h"

#include <QUrl>

#include <algorithm>

namespace {

class DesktopSharingService : public SharingService
{
public:
    explicit DesktopSharingService(ShareService service)
        : m_service(std::move(service))
    { }

    QString title() const override { return m_service.title; }
    QIcon image() const override { return m_service.image; }

    bool canPerform(const QVariantList &items) const override
    {
        const bool allUrls = std::all_of(items.begin(), items.end(),
            [](const QVariant &item) { return item.typeId() == QMetaType::QUrl; });
        return allUrls && (!m_service.canPerform || m_service.canPerform(urls(items)));
    }

    void perform(const QVariantList &items) override
    {
        if (m_service.perform && canPerform(items)) {
            m_service.perform(urls(items));
        }
    }

private:
    static QList<QUrl> urls(const QVariantList &items)
    {
        QList<QUrl> result;
        for (const QVariant &item : items) {
            result.append(item.toUrl());
        }
        return result;
    }

    ShareService m_service;
};

} // namespace

QList<SharingServicePtr> sharingServices(const QList<SharingServicePtr> &services, const QVariantList &items)
{
    QList<SharingServicePtr> result;
    std::copy_if(services.begin(), services.end(), std::back_inserter(result),
        [&](const SharingServicePtr &service) { return service && service->canPerform(items); });
    return result;
}

QList<SharingServicePtr> desktopSharingServices(const QVariantList &items)
{
    QList<SharingServicePtr> all;
    for (ShareService &service : ShareServices::services()) {
        all.append(std::make_shared<DesktopSharingService>(std::move(service)));
    }
    return sharingServices(all, items);
}

KwSharingService::KwSharingService(QString title, QIcon image)
    : m_title(std::move(title))
    , m_image(std::move(image))
{ }
