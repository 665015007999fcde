#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <optional>

// Reports the pointer entering, moving in and leaving a rectangle of a view, whether or not a
// button is held. Dropping the tracking area stops the reports.
class TrackingArea : public QObject
{
    Q_OBJECT
public:
    TrackingArea(QWidget *view, QRect rect);
    ~TrackingArea() override;

    QWidget *view() const { return m_view; }
    QRect rect() const { return m_rect; }
    // Moves the area; the pointer's state is judged afresh at its next move.
    void setRect(QRect rect);
    bool containsPointer() const { return m_inside; }

signals:
    void entered();
    void moved(QPoint position);
    void exited();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pointerAt(std::optional<QPoint> position);

    QPointer<QWidget> m_view;
    QRect m_rect;
    bool m_inside = false;
};
