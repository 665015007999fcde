#pragma once

#include <QWidget>

// A view that takes no room in a layout, for hanging behaviour on a place in a view tree.
class ZeroSizeView : public QWidget
{
    Q_OBJECT
public:
    explicit ZeroSizeView(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        setFocusPolicy(Qt::NoFocus);
    }

    QSize sizeHint() const override { return QSize(0, 0); }
    QSize minimumSizeHint() const override { return QSize(0, 0); }
};
