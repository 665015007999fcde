#include "recording/StatusButtonStyle.h"

#include "kit/foundation/time/TimeFormatting.h"
#include "kit/ui/DrawnIconEngine.h"
#include "kit/ui/PaddedImage.h"

#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

#include <algorithm>

namespace {

// The panel's own red and yellow.
const QColor systemRed = QColor::fromRgb(255, 59, 48);
const QColor systemYellow = QColor::fromRgb(255, 204, 0);

qreal scaled(qreal component, qreal amount)
{
    return std::clamp(component * (1 + amount), 0.0, 1.0);
}

} // namespace

namespace StatusButtonStyle {

AttributedString elapsedTimeTitle(double seconds, qreal backingScaleFactor)
{
    const AttributedString plain(timeFormatted(seconds, TimeFormat { true, true, true }));
    AttributedString title = plain.withFont(plain.font().monospacedDigit());
    if (backingScaleFactor == 2.0) {
        title = title.withBaselineOffset(-0.5);
    }
    return title;
}

QColor adjusting(const QColor &color, qreal hue, qreal saturation, qreal brightness, qreal alpha)
{
    float h = 0, s = 0, v = 0, a = 0;
    color.toHsv().getHsvF(&h, &s, &v, &a);
    // An achromatic colour has no hue; it counts as hue 0.
    const qreal baseHue = h < 0 ? 0 : h;
    return QColor::fromHsvF(float(scaled(baseHue, hue)), float(scaled(s, saturation)),
        float(scaled(v, brightness)), float(scaled(a, alpha)));
}

QColor recordingTint(bool paused, double level)
{
    const QColor darkened = adjusting(paused ? systemYellow : systemRed, 0, 0, -0.2, 0);
    return adjusting(darkened, -3 * level, -0.1 * level, 0.5 * level, 0);
}

QSize naturalSize(const QIcon &icon)
{
    const QList<QSize> sizes = icon.availableSizes();
    return sizes.isEmpty() ? icon.actualSize(QSize(256, 256)) : sizes.constFirst();
}

QIcon tinted(const QIcon &icon, const QColor &color)
{
    auto draw = [icon, color](QPainter &painter, const QRectF &rect) {
        // The level gives a new tint up to ten times a second, each drawn at every size a panel
        // takes: the shape, the same each time, is drawn once per size (a symbol is drawn from
        // its vector form).
        const QRect area = rect.toAlignedRect();
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatio() : 1.0;
        const QString key = QStringLiteral("tapewick-tinted-shape-%1-%2x%3@%4")
                                .arg(icon.cacheKey())
                                .arg(area.width())
                                .arg(area.height())
                                .arg(ratio);
        QPixmap shape;
        if (!QPixmapCache::find(key, &shape)) {
            shape = QPixmap((QSizeF(area.size()) * ratio).toSize());
            shape.setDevicePixelRatio(ratio);
            shape.fill(Qt::transparent);
            QPainter shapePainter(&shape);
            icon.paint(&shapePainter, QRect(QPoint(0, 0), area.size()));
            shapePainter.end();
            QPixmapCache::insert(key, shape);
        }
        painter.drawPixmap(area.topLeft(), shape);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(rect, color);
    };
    return QIcon(new DrawnIconEngine(naturalSize(icon), std::move(draw), false));
}

QIcon paddedLeft(const QIcon &icon, qreal left)
{
    return paddedImage(icon, QMarginsF(left, 0, 0, 0));
}

} // namespace StatusButtonStyle
