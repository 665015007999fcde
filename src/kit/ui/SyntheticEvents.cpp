#include "kit/ui/SyntheticEvents.h"

#include <QGuiApplication>
#include <QPointingDevice>

#include <ctime>

std::unique_ptr<QMouseEvent> syntheticMouseEvent(QEvent::Type type)
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    const auto milliseconds
        = static_cast<quint64>(now.tv_sec) * 1000 + static_cast<quint64>(now.tv_nsec) / 1'000'000;
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick
        ? Qt::MouseButtons(Qt::LeftButton)
        : Qt::MouseButtons();
    auto event = std::make_unique<QMouseEvent>(type, QPointF(0, 0), QPointF(0, 0), QPointF(0, 0), button,
        buttons, QGuiApplication::queryKeyboardModifiers(), QPointingDevice::primaryPointingDevice());
    event->setTimestamp(milliseconds);
    return event;
}
