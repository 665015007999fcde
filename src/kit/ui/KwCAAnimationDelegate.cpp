#include "kit/ui/KwCAAnimationDelegate.h"

#include <QAbstractAnimation>

KwCAAnimationDelegate *KwCAAnimationDelegate::attach(QAbstractAnimation *animation)
{
    return new KwCAAnimationDelegate(animation);
}

KwCAAnimationDelegate::KwCAAnimationDelegate(QAbstractAnimation *animation)
    : QObject(animation)
    , m_animation(animation)
{
    connect(animation, &QAbstractAnimation::stateChanged, this,
        [this](QAbstractAnimation::State newState, QAbstractAnimation::State oldState) {
            if (newState == QAbstractAnimation::Running && oldState == QAbstractAnimation::Stopped) {
                if (didStartHandler) {
                    didStartHandler();
                }
            } else if (newState == QAbstractAnimation::Stopped && didStopHandler) {
                // An animation that reached its end has its time at its full length.
                const int total = m_animation->totalDuration();
                didStopHandler(total >= 0 && m_animation->currentTime() >= total);
            }
        });
}
