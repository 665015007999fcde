#include "kit/ui/WindowShow.h"

#include "platform/desktop/ReducedMotionSetting.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

namespace {

std::function<bool()> &reduceMotionReader()
{
    static std::function<bool()> reader;
    return reader;
}

// The window has to be mapped before its opacity can change smoothly.
constexpr std::chrono::milliseconds settlingPause(100);

void orderFront(QWidget *window, bool makeKey)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, !makeKey);
    if (window->isMinimized()) {
        window->showNormal();
    } else {
        window->show();
    }
    window->raise();
    if (makeKey) {
        window->activateWindow();
    }
}

void after(QWidget *window, Duration wait, std::function<void()> then)
{
    QTimer::singleShot(
        std::chrono::milliseconds(toMilliseconds(std::max(wait, Duration::zero()))), window, std::move(then));
}

} // namespace

namespace WindowShow {

QEasingCurve Options::defaultTimingFunction()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.25, 0.1), QPointF(0.25, 1.0), QPointF(1.0, 1.0));
    return curve;
}

bool reduceMotion()
{
    if (const auto &reader = reduceMotionReader()) {
        return reader();
    }
    // Read once and then followed, so each animation asks without touching the desktop's store.
    static QPointer<ReducedMotionSetting> desktop;
    if (!desktop && QCoreApplication::instance()) {
        desktop = new ReducedMotionSetting(QCoreApplication::instance());
    }
    return desktop && desktop->reduceMotion();
}

void setReduceMotion(std::function<bool()> reader)
{
    reduceMotionReader() = std::move(reader);
}

void show(QWidget *window, const Options &options, std::function<void()> done)
{
    if (!window) {
        return;
    }
    if (!options.animated) {
        orderFront(window, options.makeKey);
        if (done) {
            done();
        }
        return;
    }
    window->setWindowOpacity(0);
    orderFront(window, options.makeKey);
    QPointer<QWidget> guarded(window);
    after(window, settlingPause, [guarded, options, done] {
        after(guarded, options.delay, [guarded, options, done] {
            if (reduceMotion()) {
                guarded->setWindowOpacity(1);
                if (done) {
                    done();
                }
                return;
            }
            auto *animation = new QPropertyAnimation(guarded, "windowOpacity", guarded);
            animation->setDuration(static_cast<int>(toMilliseconds(options.duration)));
            animation->setEasingCurve(options.timingFunction);
            animation->setStartValue(0.0);
            animation->setEndValue(1.0);
            if (done) {
                QObject::connect(animation, &QPropertyAnimation::finished, guarded, done);
            }
            animation->start(QAbstractAnimation::DeleteWhenStopped);
        });
    });
}

} // namespace WindowShow
