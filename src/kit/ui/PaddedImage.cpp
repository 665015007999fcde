#include "kit/ui/PaddedImage.h"

#include "kit/ui/DrawnIconEngine.h"

#include <QPainter>

namespace {

QSize naturalSize(const QIcon &icon)
{
    const QList<QSize> sizes = icon.availableSizes();
    return sizes.isEmpty() ? icon.actualSize(QSize(256, 256)) : sizes.constFirst();
}

} // namespace

QIcon paddedImage(const QIcon &icon, const QMarginsF &margins)
{
    const QSize inner = naturalSize(icon);
    const QSizeF outer(
        inner.width() + margins.left() + margins.right(), inner.height() + margins.top() + margins.bottom());
    auto draw = [icon, margins, outer](QPainter &painter, const QRectF &rect) {
        const qreal scaleX = rect.width() / outer.width();
        const qreal scaleY = rect.height() / outer.height();
        const QRectF target(rect.left() + margins.left() * scaleX, rect.top() + margins.top() * scaleY,
            rect.width() - (margins.left() + margins.right()) * scaleX,
            rect.height() - (margins.top() + margins.bottom()) * scaleY);
        // Painted in normal mode: a mask gets its tint when the padded icon is drawn.
        icon.paint(&painter, target.toAlignedRect());
    };
    QIcon padded(new DrawnIconEngine(outer.toSize(), std::move(draw), icon.isMask()));
    padded.setIsMask(icon.isMask());
    return padded;
}
