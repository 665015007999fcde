#include "kit/ui/AnimationGroup.h"

#include "platform/events/MainThread.h"

#include <QCoreApplication>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QTimer>

#include <algorithm>
#include <climits>

AnimationGroup::AnimationGroup(QParallelAnimationGroup *group, Duration duration, QEasingCurve timing)
    : m_group(group)
    , m_milliseconds(static_cast<int>(std::clamp<std::int64_t>(toMilliseconds(duration), 0, INT_MAX)))
    , m_timing(std::move(timing))
{ }

void AnimationGroup::animate(QObject *target, const QByteArray &property, const QVariant &endValue)
{
    auto *animation = new QPropertyAnimation(target, property, m_group);
    animation->setDuration(m_milliseconds);
    animation->setEasingCurve(m_timing);
    animation->setEndValue(endValue);
}

void runAnimationGroup(Duration duration, const QEasingCurve &timing,
    const std::function<void(AnimationGroup &group)> &changes, std::function<void()> completion)
{
    ASSERT_MAIN_THREAD();
    auto *group = new QParallelAnimationGroup(QCoreApplication::instance());
    AnimationGroup context(group, duration, timing);
    if (changes) {
        changes(context);
    }
    if (group->animationCount() == 0) {
        delete group;
        if (completion) {
            QTimer::singleShot(0, QCoreApplication::instance(), std::move(completion));
        }
        return;
    }
    if (completion) {
        QObject::connect(
            group, &QAbstractAnimation::finished, QCoreApplication::instance(), std::move(completion));
    }
    group->start(QAbstractAnimation::DeleteWhenStopped);
}
