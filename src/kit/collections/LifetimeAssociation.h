#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

// Ties an object to an owner: while the tie holds, the owner keeps the object alive. The
// handler runs once, before the object is released, when the owner is destroyed or when the
// association is destroyed while the owner lives; cancel() unties without running it.
// The ties of one owner may be made and dropped from any thread, the handler runs on the
// thread that ends the tie.
class LifetimeAssociation
{
public:
    // `owner` must not be null (std::invalid_argument). `object` may be empty.
    LifetimeAssociation(std::shared_ptr<void> object, QObject *owner, std::function<void()> deinitHandler);
    ~LifetimeAssociation();
    LifetimeAssociation(const LifetimeAssociation &) = delete;
    LifetimeAssociation &operator=(const LifetimeAssociation &) = delete;

    void cancel();

    // None once the tie has ended.
    QObject *owner() const { return m_owner.data(); }

private:
    class ObjectLifetimeTracker;

    void detach();

    std::weak_ptr<ObjectLifetimeTracker> m_wrappedObject;
    QPointer<QObject> m_owner;
};
