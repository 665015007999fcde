#pragma once

#include <QLabel>

// A plain-text label that dims its text while disabled and fits its text when it is placed
// in a parent. Its colour follows palette changes (a switch between light and dark).
class CocoaLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CocoaLabel(const QString &text = {}, QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyTextColor();

    bool m_applying = false;
};
