#pragma once

#include <QWidget>

// A top-level window that announces an accepted close before it goes away, so the
// object that keeps it can let go of it.
class KwWindow : public QWidget
{
    Q_OBJECT
public:
    explicit KwWindow(Qt::WindowFlags flags = Qt::Window);

signals:
    void willClose();

protected:
    void closeEvent(QCloseEvent *event) override;
    // Called for an accepted close, before `willClose` is sent.
    virtual void windowWillClose() { }
};
