#pragma once

#include <QLabel>
#include <QWidget>

// Views that are background to their window: they take no focus and no clicks of their own,
// and dragging on them moves the window, as dragging a window's backdrop does.
class NonInteractiveView : public QWidget
{
    Q_OBJECT
public:
    explicit NonInteractiveView(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};

class NonInteractiveImageView : public QLabel
{
    Q_OBJECT
public:
    explicit NonInteractiveImageView(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
};
