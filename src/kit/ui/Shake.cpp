#include "kit/ui/Shake.h"

#include "kit/ui/WindowShow.h"

#include <QPointer>
#include <QPropertyAnimation>
#include <QWidget>

#include <algorithm>
#include <array>
#include <climits>

namespace {

const char *const shakeName = "kwShake";

QEasingCurve easeInEaseOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0.0), QPointF(0.58, 1.0), QPointF(1.0, 1.0));
    return curve;
}

} // namespace

void shake(QWidget *widget, Duration duration, ShakeDirection direction, qreal moveAmount)
{
    if (!widget || WindowShow::reduceMotion()) {
        return;
    }
    // The previous shake puts the widget back where it was before this one measures from there.
    for (auto *running :
        widget->findChildren<QPropertyAnimation *>(QLatin1String(shakeName), Qt::FindDirectChildrenOnly)) {
        running->setObjectName(QString());
        running->stop();
    }
    const QPoint origin = widget->pos();
    const std::array<qreal, 5> offsets { -moveAmount, moveAmount, -moveAmount / 2, moveAmount / 2, 0 };

    auto *animation = new QPropertyAnimation(widget, "pos", widget);
    animation->setObjectName(QLatin1String(shakeName));
    animation->setDuration(static_cast<int>(std::clamp<std::int64_t>(toMilliseconds(duration), 0, INT_MAX)));
    animation->setEasingCurve(easeInEaseOut());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        const QPointF offset
            = direction == ShakeDirection::horizontal ? QPointF(offsets[i], 0) : QPointF(0, offsets[i]);
        animation->setKeyValueAt(static_cast<qreal>(i) / (offsets.size() - 1), origin + offset.toPoint());
    }
    QPointer<QWidget> guarded(widget);
    QObject::connect(animation, &QAbstractAnimation::stateChanged, widget,
        [guarded, origin](QAbstractAnimation::State state) {
            if (state == QAbstractAnimation::Stopped && guarded) {
                guarded->move(origin);
            }
        });
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
