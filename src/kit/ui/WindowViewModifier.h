#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

// Keeps the window that hosts some content and hands it to `onWindow` at once (null while
// there is none yet) and again each time it may have changed, so `onWindow` must be idempotent.
// Lives as a child of the content.
class WindowViewModifier : public QObject
{
    Q_OBJECT
public:
    using OnWindow = std::function<void(QWidget *window)>;

    static WindowViewModifier *apply(QWidget *content, OnWindow onWindow);

    QWidget *window() const { return m_window; }

private:
    WindowViewModifier(QWidget *content, OnWindow onWindow);

    QPointer<QWidget> m_window;
    OnWindow m_onWindow;
};
