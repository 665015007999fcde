#pragma once

#include "kit/foundation/time/Duration.h"

#include <QByteArray>
#include <QEasingCurve>
#include <QVariant>

#include <functional>

class QObject;
class QParallelAnimationGroup;

// The changes of one animation group: each property change asked for here is animated from its
// current value to the new one, all together, with the group's duration and timing.
class AnimationGroup
{
public:
    AnimationGroup(QParallelAnimationGroup *group, Duration duration, QEasingCurve timing);

    void animate(QObject *target, const QByteArray &property, const QVariant &endValue);

private:
    QParallelAnimationGroup *m_group;
    int m_milliseconds;
    QEasingCurve m_timing;
};

// Runs `changes` and animates what it asked for; `completion`, when given, runs once every
// animation of the group has ended (on the next turn when `changes` asked for none). GUI thread.
void runAnimationGroup(Duration duration, const QEasingCurve &timing,
    const std::function<void(AnimationGroup &group)> &changes, std::function<void()> completion = {});
