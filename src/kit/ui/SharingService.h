#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QVariantList>

#include <memory>

// A way to hand items on. Items are URLs, texts, images (QImage or ShareableImage) held in
// QVariants; each service says which of them it can take.
class SharingService
{
public:
    virtual ~SharingService() = default;

    virtual QString title() const = 0;
    virtual QIcon image() const = 0;
    virtual bool canPerform(const QVariantList &items) const = 0;
    virtual void perform(const QVariantList &items) = 0;
};

using SharingServicePtr = std::shared_ptr<SharingService>;

// The services of the list that can share the items, in list order.
QList<SharingServicePtr> sharingServices(const QList<SharingServicePtr> &services, const QVariantList &items);

// The desktop's share services that can share the items, in the desktop's order. They take
// URLs only.
QList<SharingServicePtr> desktopSharingServices(const QVariantList &items);

// The base of the program's own services.
class KwSharingService : public SharingService
{
public:
    KwSharingService(QString title, QIcon image);

    QString title() const override { return m_title; }
    QIcon image() const override { return m_image; }

private:
    QString m_title;
    QIcon m_image;
};
