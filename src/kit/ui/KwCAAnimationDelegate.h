#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAbstractAnimation;

// Tells when an animation starts and when it stops, and whether it ran to its end or was
// stopped early. Lives as a child of the animation.
class KwCAAnimationDelegate : public QObject
{
    Q_OBJECT
public:
    std::function<void()> didStartHandler;
    std::function<void(bool finished)> didStopHandler;

    static KwCAAnimationDelegate *attach(QAbstractAnimation *animation);

private:
    explicit KwCAAnimationDelegate(QAbstractAnimation *animation);

    QPointer<QAbstractAnimation> m_animation;
};
