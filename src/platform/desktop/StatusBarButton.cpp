#include "platform/desktop/StatusBarButton.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <cmath>
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

QImage StatusBarButton::render(int pixelHeight, qreal devicePixelRatio) const
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const qreal height = qMax(1, pixelHeight) / ratio;

    QSizeF imageSize(0, 0);
    if (!m_image.isNull()) {
        // A drawn icon fits any size asked for; its listed size carries its proportions.
        const QList<QSize> sizes = m_image.availableSizes();
        const QSize natural = sizes.isEmpty() ? m_image.actualSize(QSize(1024, 1024)) : sizes.constFirst();
        if (!natural.isEmpty()) {
            imageSize = QSizeF(natural).scaled(QSizeF(1e6, height), Qt::KeepAspectRatio);
        }
    }

    const bool showsTitle
        = m_imagePosition == ImagePosition::imageRight && m_title && !m_title->text().isEmpty();
    QSizeF titleSize(0, 0);
    qreal titleScale = 1;
    if (showsTitle) {
        const QSizeF natural = m_title->size();
        if (natural.height() > 0) {
            // A tray scales the picture to its own height, so the title fills it.
            titleScale = height / natural.height();
            titleSize = natural * titleScale;
        }
    }

    const qreal width = qMax<qreal>(titleSize.width() + imageSize.width(), 1);
    QImage image(
        qMax(1, int(std::ceil(width * ratio))), qMax(1, pixelHeight), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHints(
        QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    if (!titleSize.isEmpty()) {
        painter.save();
        painter.translate(0, (height - titleSize.height()) / 2);
        painter.scale(titleScale, titleScale);
        painter.setPen(panelTextColor());
        m_title->draw(painter, QPointF(0, 0));
        painter.restore();
    }
    if (!imageSize.isEmpty()) {
        const QRectF target(
            titleSize.width(), (height - imageSize.height()) / 2, imageSize.width(), imageSize.height());
        QImage picture = m_image.pixmap(imageSize.toSize(), ratio)
                             .toImage()
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (m_image.isMask()) {
            QPainter tint(&picture);
            tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
            tint.fillRect(picture.rect(), panelTextColor());
        }
        painter.drawImage(target, picture);
    }
    if (m_appearsDisabled) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(QRectF(0, 0, width, height), QColor(0, 0, 0, qRound(255 * disabledOpacity)));
    }
    return image;
}
