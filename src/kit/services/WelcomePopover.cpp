#include "kit/services/WelcomePopover.h"

#include "platform/events/MainThread.h"

#include "kit/services/KwApp.h"
#include "kit/services/ServiceTexts.h"
#include "kit/ui/Shake.h"

#include <QCoro/QCoroSignal>
#include <QCoro/QCoroTimer>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

#include <chrono>

namespace {
constexpr int gap = 6;
} // namespace

WelcomePopover::WelcomePopover(const QString &text, QWidget *parent)
    : QFrame(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("statusBarButtonWelcomePopover"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel(text);
    label->setObjectName(QStringLiteral("welcomePopoverText"));
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 1.4);
    label->setFont(font);
    layout->addWidget(label);
    layout->setContentsMargins(16, 12, 16, 12);
}

QPoint WelcomePopover::placement(const QRect &anchor, const QSize &size, const QRect &available)
{
    const QRect icon = anchor.isEmpty() ? QRect(available.topRight() - QPoint(24, 0), QSize(24, 24)) : anchor;
    int x = icon.center().x() - size.width() / 2;
    int y = icon.center().y() < available.center().y() ? icon.bottom() + 1 + gap
                                                       : icon.top() - gap - size.height();
    x = std::clamp(x, available.left(), std::max(available.left(), available.right() + 1 - size.width()));
    y = std::clamp(y, available.top(), std::max(available.top(), available.bottom() + 1 - size.height()));
    return { x, y };
}

void WelcomePopover::mousePressEvent(QMouseEvent *event)
{
    QFrame::mousePressEvent(event);
    close();
}

void WelcomePopover::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    Q_EMIT closed();
}

QCoro::Task<> showWelcomePopover(QRect anchor)
{
    ASSERT_MAIN_THREAD();
    co_await QCoro::sleepFor(std::chrono::milliseconds(100));
    QPointer<WelcomePopover> popover = new WelcomePopover(ServiceTexts::welcomePopover(KwApp::name()));
    popover->adjustSize();
    const QScreen *screen
        = anchor.isEmpty() ? QGuiApplication::primaryScreen() : QGuiApplication::screenAt(anchor.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    popover->move(WelcomePopover::placement(anchor, popover->size(), available));
    auto closed = qCoro(popover.data(), &WelcomePopover::closed);
    popover->show();
    if (auto *text = popover->findChild<QLabel *>(QStringLiteral("welcomePopoverText"))) {
        shake(text, std::chrono::milliseconds(300), ShakeDirection::vertical, 2.0);
    }
    co_await closed;
}
