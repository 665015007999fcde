#include "kit/ui/DrawnIconEngine.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>

DrawnIconEngine::DrawnIconEngine(QSize naturalSize, Draw draw, bool mask, QString name)
    : m_naturalSize(naturalSize)
    , m_draw(std::move(draw))
    , m_mask(mask)
    , m_name(std::move(name))
{ }

QColor DrawnIconEngine::tintFor(QIcon::Mode mode)
{
    const QPalette palette = QGuiApplication::palette();
    switch (mode) {
    case QIcon::Disabled:
        return palette.color(QPalette::Disabled, QPalette::WindowText);
    case QIcon::Selected:
        return palette.color(QPalette::Active, QPalette::HighlightedText);
    case QIcon::Normal:
    case QIcon::Active:
        break;
    }
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QImage DrawnIconEngine::render(const QSize &pixelSize, qreal scale, QIcon::Mode mode) const
{
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (pixelSize.isEmpty()) {
        return image;
    }
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        m_draw(painter, QRectF(QPointF(0, 0), QSizeF(pixelSize)));
        if (m_mask) {
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(image.rect(), tintFor(mode));
        }
    }
    image.setDevicePixelRatio(scale);
    return image;
}

void DrawnIconEngine::paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State)
{
    const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(rect.size()) * scale).toSize();
    painter->drawImage(rect, render(pixels, scale, mode));
}

QPixmap DrawnIconEngine::pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state)
{
    return scaledPixmap(size, mode, state, 1.0);
}

QPixmap DrawnIconEngine::scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale)
{
    return QPixmap::fromImage(render((QSizeF(size) * scale).toSize(), scale, mode));
}

QSize DrawnIconEngine::actualSize(const QSize &size, QIcon::Mode, QIcon::State)
{
    return size;
}

QList<QSize> DrawnIconEngine::availableSizes(QIcon::Mode, QIcon::State)
{
    return { m_naturalSize };
}

QIconEngine *DrawnIconEngine::clone() const
{
    return new DrawnIconEngine(*this);
}

QString DrawnIconEngine::key() const
{
    return QStringLiteral("tapewick.drawn");
}
