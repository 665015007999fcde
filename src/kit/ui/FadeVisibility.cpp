#include "kit/ui/FadeVisibility.h"

#include "kit/ui/WindowShow.h"

#include <QGraphicsOpacityEffect>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

namespace {

// Top-level windows fade through their own opacity, child widgets through an effect.
QPropertyAnimation *fade(QWidget *widget, qreal from, qreal to, Duration duration)
{
    QObject *target = widget;
    QByteArray property = "windowOpacity";
    if (!widget->isWindow()) {
        auto *effect = new QGraphicsOpacityEffect(widget);
        widget->setGraphicsEffect(effect);
        target = effect;
        property = "opacity";
    }
    target->setProperty(property.constData(), from);
    auto *animation = new QPropertyAnimation(target, property, widget);
    animation->setDuration(static_cast<int>(toMilliseconds(duration)));
    animation->setEasingCurve(WindowShow::Options::defaultTimingFunction());
    animation->setStartValue(from);
    animation->setEndValue(to);
    return animation;
}

void restoreOpacity(QWidget *widget)
{
    if (widget->isWindow()) {
        widget->setWindowOpacity(1);
    } else {
        widget->setGraphicsEffect(nullptr);
    }
}

} // namespace

void fadeVisibility(QWidget *widget, std::optional<bool> visible, Duration duration, Duration delay,
    std::function<void()> completion)
{
    if (!widget) {
        return;
    }
    const bool show = visible.value_or(widget->isHidden());
    QPointer<QWidget> guarded(widget);
    auto run = [guarded, show, duration, completion] {
        if (!guarded) {
            return;
        }
        QPropertyAnimation *animation = fade(guarded, show ? 0.0 : 1.0, show ? 1.0 : 0.0, duration);
        if (show) {
            guarded->setVisible(true);
        }
        QObject::connect(animation, &QPropertyAnimation::finished, guarded, [guarded, show, completion] {
            if (!show) {
                guarded->setVisible(false);
            }
            restoreOpacity(guarded);
            if (completion) {
                completion();
            }
        });
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    };
    if (show) {
        // Hidden until the fade starts, so it never flashes at full opacity.
        widget->setVisible(false);
    } else {
        widget->setVisible(true);
    }
    if (delay > Duration::zero()) {
        QTimer::singleShot(std::chrono::milliseconds(toMilliseconds(delay)), widget, run);
    } else {
        run();
    }
}
