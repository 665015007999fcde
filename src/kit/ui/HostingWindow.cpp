#include "kit/ui/HostingWindow.h"

#include "kit/ui/KeyCommand.h"

#include <QKeyEvent>
#include <QLoggingCategory>
#include <QScreen>
#include <QVBoxLayout>

Q_LOGGING_CATEGORY(lcHostingWindow, "tapewick.ui.window")

HostingWindow::HostingWindow(QWidget *content, Options options)
    : m_content(content)
    , m_options(options)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (content) {
        layout->addWidget(content);
    }
    if (!m_options.canBecomeKey) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    }
}

HostingWindow::~HostingWindow()
{
    qCDebug(lcHostingWindow) << "HostingWindow - DEINIT";
}

QRect HostingWindow::constrainedFrame(const QRect &proposed, const QRect &screen)
{
    // Measured from the screen's own corner: a second screen starts away from the desktop's origin.
    int x = proposed.x() - screen.x();
    int y = proposed.y() - screen.y();
    int width = proposed.width();
    int height = proposed.height();
    if (width >= screen.width()) {
        width = screen.width();
        x = 0;
    }
    if (height >= screen.height()) {
        height = screen.height();
        y = 0;
    }
    if (x + width > screen.width()) {
        x = screen.width() - width;
    }
    if (y + height > screen.height()) {
        y = screen.height() - height;
    }
    return QRect(screen.x() + std::max(0, x), screen.y() + std::max(0, y), width, height);
}

QRect HostingWindow::constrainedGeometry(
    const QRect &client, const QMargins &frameMargins, const QRect &screen)
{
    return constrainedFrame(client.marginsAdded(frameMargins), screen).marginsRemoved(frameMargins);
}

void HostingWindow::windowWillClose()
{
    if (m_content) {
        m_content->hide();
        m_content->deleteLater();
    }
}

void HostingWindow::keyPressEvent(QKeyEvent *event)
{
    if (KeyCommand::matches(*event, Qt::Key_Escape, Qt::NoModifier) && m_options.closeOnEscape) {
        close();
        event->accept();
        return;
    }
    KwWindow::keyPressEvent(event);
}

void HostingWindow::showEvent(QShowEvent *event)
{
    KwWindow::showEvent(event);
    constrainToScreen();
}

void HostingWindow::resizeEvent(QResizeEvent *event)
{
    KwWindow::resizeEvent(event);
    if (isVisible()) {
        constrainToScreen();
    }
}

void HostingWindow::constrainToScreen()
{
    if (!m_options.constrainWindowToScreen || !screen()) {
        return;
    }
    const QRect client = geometry();
    const QRect frame = frameGeometry();
    const QMargins frameMargins(client.left() - frame.left(), client.top() - frame.top(),
        frame.right() - client.right(), frame.bottom() - client.bottom());
    const QRect constrained = constrainedGeometry(client, frameMargins, screen()->geometry());
    if (constrained != client) {
        setGeometry(constrained);
    }
}
