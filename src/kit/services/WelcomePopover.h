#pragma once

#include <QCoro/QCoroTask>
#include <QFrame>
#include <QRect>

// A small frameless note beside the tray icon; any click closes it.
class WelcomePopover : public QFrame
{
    Q_OBJECT

public:
    explicit WelcomePopover(const QString &text, QWidget *parent = nullptr);

    // Where a popover of `size` goes for an icon at `anchor` on a screen whose free area is
    // `available`: below an icon in the upper half, above one in the lower half, centred on it and
    // kept on the screen. An empty anchor counts as the top right corner, where trays usually are.
    static QPoint placement(const QRect &anchor, const QSize &size, const QRect &available);

Q_SIGNALS:
    void closed();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
};

// Waits 0.1 seconds, shows "Hello, I'm <name>" beside the tray icon at `anchor` (its geometry
// on the screen) and finishes when the note has been closed. GUI thread.
QCoro::Task<> showWelcomePopover(QRect anchor);
