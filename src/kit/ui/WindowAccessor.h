#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Tells content about the window that hosts it: at once (null while the content is
// not yet in a shown window) and again each time it is re-parented or shown. The
// callback runs many times with the same window and must be idempotent. Lives as
// a child of the content.
class WindowAccessor : public QObject
{
    Q_OBJECT
public:
    using OnWindow = std::function<void(QWidget *window)>;

    static WindowAccessor *attach(QWidget *content, OnWindow onWindow);

    // The shown top-level window holding `content`, or null.
    static QWidget *hostingWindow(const QWidget *content);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowAccessor(QWidget *content, OnWindow onWindow);
    void report();

    QPointer<QWidget> m_content;
    QPointer<QWidget> m_watchedWindow;
    OnWindow m_onWindow;
};
