#pragma once

#include <QPainterPath>
#include <QRectF>

// One of two shapes, chosen by a flag. A shape here is a value with `path(rect)` and
// `inset(amount)`; insetting insets both, so flipping the flag later still gives an inset shape.
template<typename A, typename B>
struct EitherShape
{
    bool toggle = false;
    A a;
    B b;

    QPainterPath path(const QRectF &rect) const { return toggle ? a.path(rect) : b.path(rect); }
    EitherShape inset(qreal amount) const { return { toggle, a.inset(amount), b.inset(amount) }; }
};

// A rectangle filling the given one, less its inset.
struct RectangleShape
{
    qreal insetAmount = 0;

    QPainterPath path(const QRectF &rect) const
    {
        QPainterPath result;
        result.addRect(rect.adjusted(insetAmount, insetAmount, -insetAmount, -insetAmount));
        return result;
    }
    RectangleShape inset(qreal amount) const { return { insetAmount + amount }; }
};

// The largest circle centred in the given rectangle, less its inset.
struct CircleShape
{
    qreal insetAmount = 0;

    QPainterPath path(const QRectF &rect) const
    {
        const qreal radius = std::min(rect.width(), rect.height()) / 2 - insetAmount;
        QPainterPath result;
        if (radius > 0) {
            result.addEllipse(rect.center(), radius, radius);
        }
        return result;
    }
    CircleShape inset(qreal amount) const { return { insetAmount + amount }; }
};
