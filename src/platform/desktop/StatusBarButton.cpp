#include "platform/desktop/StatusBarButton.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <algorithm>
#include <utility>

StatusBarButton::StatusBarButton(QObject *parent)
    : QObject(parent)
{ }

StatusBarButton::~StatusBarButton() = default;

void StatusBarButton::setImage(const QIcon &image)
{
    m_image = image;
    emit changed();
}

void StatusBarButton::setTitle(const QString &title)
{
    setAttributedTitle(title.isEmpty() ? nullptr : std::make_shared<PlainStatusButtonTitle>(title));
}

void StatusBarButton::setAttributedTitle(std::shared_ptr<const StatusButtonTitle> title)
{
    m_title = std::move(title);
    emit changed();
}

QString StatusBarButton::title() const
{
    return m_title ? m_title->text() : QString();
}

void StatusBarButton::setImagePosition(ImagePosition position)
{
    if (position != m_imagePosition) {
        m_imagePosition = position;
        emit changed();
    }
}

void StatusBarButton::setAppearsDisabled(bool disabled)
{
    if (disabled != m_appearsDisabled) {
        m_appearsDisabled = disabled;
        emit changed();
    }
}

void StatusBarButton::setAccessibilityTitle(const QString &title)
{
    if (title != m_accessibilityTitle) {
        m_accessibilityTitle = title;
        emit changed();
    }
}

void StatusBarButton::setAccessibilityValue(const QString &value)
{
    if (value != m_accessibilityValue) {
        m_accessibilityValue = value;
        emit changed();
    }
}

QString StatusBarButton::toolTip() const
{
    QStringList lines;
    for (const QString &line : { m_accessibilityTitle, m_accessibilityValue, title() }) {
        if (!line.isEmpty()) {
            lines.append(line);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

QString StatusBarButton::accessibleName() const
{
    if (m_accessibilityValue.isEmpty()) {
        return m_accessibilityTitle;
    }
    if (m_accessibilityTitle.isEmpty()) {
        return m_accessibilityValue;
    }
    return m_accessibilityTitle + QStringLiteral(", ") + m_accessibilityValue;
}

QColor StatusBarButton::panelTextColor()
{
    return QGuiApplication::palette().color(QPalette::Active, QPalette::WindowText);
}

QImage StatusBarButton::render(int pixelSize, qreal devicePixelRatio, const QColor &templateColor) const
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int size = qMax(1, pixelSize);
    QImage square(size, size, QImage::Format_ARGB32_Premultiplied);
    square.fill(Qt::transparent);
    if (m_image.isNull()) {
        square.setDevicePixelRatio(ratio);
        return square;
    }
    // A drawn icon fits any size asked for; its listed size carries its proportions.
    const QList<QSize> sizes = m_image.availableSizes();
    const QSize natural = sizes.isEmpty() ? m_image.actualSize(QSize(1024, 1024)) : sizes.constFirst();
    if (natural.isEmpty()) {
        square.setDevicePixelRatio(ratio);
        return square;
    }
    const QSizeF points = QSizeF(natural).scaled(QSizeF(1e6, size / ratio), Qt::KeepAspectRatio);
    QImage picture = m_image.pixmap(points.toSize(), ratio)
                         .toImage()
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(1.0);
    if (m_image.isMask()) {
        QPainter tint(&picture);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(picture.rect(), templateColor);
    }

    // Room at the sides (a gap kept for a title, a symbol's own margins) would push the shape off
    // the square's centre.
    int left = picture.width();
    int right = -1;
    for (int y = 0; y < picture.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    QPainter painter(&square);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    if (right >= left) {
        // An icon gives its pixmap at most at its own size: scaled up here to the square's height.
        const QRect shape(left, 0, right - left + 1, picture.height());
        const qreal scale = qreal(size) / picture.height();
        QSizeF drawn(shape.width() * scale, size);
        if (drawn.width() > size) {
            drawn = drawn.scaled(QSizeF(size, size), Qt::KeepAspectRatio);
        }
        painter.drawImage(
            QRectF(QPointF((size - drawn.width()) / 2, (size - drawn.height()) / 2), drawn), picture, shape);
    }
    if (m_appearsDisabled) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(square.rect(), QColor(0, 0, 0, qRound(255 * disabledOpacity)));
    }
    painter.end();
    square.setDevicePixelRatio(ratio);
    return square;
}
