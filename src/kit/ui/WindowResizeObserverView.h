#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// An invisible view that tells when the window it is in changes size or enters full screen.
// It watches only while it is in a window, and the window it is in now.
class WindowResizeObserverView : public QWidget
{
    Q_OBJECT
public:
    explicit WindowResizeObserverView(QWidget *parent = nullptr);

    std::function<void()> onResize;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchWindow();

    QPointer<QWidget> m_window;
};
