#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QString>

#include <cmath>

namespace TestSupport {

// What panels look like, for telling whether an item's icon can be seen on them.
struct PanelColours
{
    QColor background;
    QColor text;
};
inline const PanelColours darkPanel { QColor(0x24, 0x24, 0x24), QColor(0xee, 0xee, 0xee) };
inline const PanelColours lightPanel { QColor(0xf6, 0xf5, 0xf4), QColor(0x2e, 0x34, 0x36) };

// The relative luminance of a colour, and how two colours stand apart (1 to 21), as the
// accessibility guidelines measure them.
inline double luminance(const QColor &color)
{
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
}
inline double contrastRatio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The picture laid over a background of one colour.
inline QImage onBackground(const QImage &picture, const QColor &background)
{
    QImage laid(picture.size(), QImage::Format_RGB32);
    laid.fill(background);
    QPainter painter(&laid);
    painter.drawImage(0, 0, picture);
    return laid;
}

// How many pixels of the picture, laid over the background, stand apart from it by at least
// `ratio` (3 is what graphics need to be seen).
inline int pixelsStandingOut(const QImage &picture, const QColor &background, double ratio = 3.0)
{
    const QImage laid = onBackground(picture, background);
    int count = 0;
    for (int y = 0; y < laid.height(); ++y) {
        for (int x = 0; x < laid.width(); ++x) {
            count += contrastRatio(QColor(laid.pixel(x, y)), background) >= ratio ? 1 : 0;
        }
    }
    return count;
}

// How many pixels a shape covers at least half.
inline int coveredPixels(const QImage &picture)
{
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            count += qAlpha(argb.pixel(x, y)) >= 128 ? 1 : 0;
        }
    }
    return count;
}

// A symbolic icon as a panel draws it: its shape in the panel's text colour.
inline QImage symbolicIcon(const QString &file, int size, const QColor &color)
{
    QImage picture = QIcon(file)
                         .pixmap(QSize(size, size))
                         .toImage()
                         .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&picture);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(picture.rect(), color);
    return picture;
}

// A strip of a panel as it shows one item: the icon at `height`, the label beside it.
inline QImage panelStrip(
    const QImage &icon, const QString &label, const PanelColours &colours, int height = 24)
{
    QFont font;
    font.setPixelSize(height * 13 / 24);
    const int labelWidth = label.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(label) + 6;
    QImage strip(height * 2 + labelWidth, height, QImage::Format_RGB32);
    strip.fill(colours.background);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int side = height - 2;
    painter.drawImage(QRect(height / 2, 1, side, side), icon);
    if (!label.isEmpty()) {
        painter.setFont(font);
        painter.setPen(colours.text);
        painter.drawText(QRect(height / 2 + side + 4, 0, labelWidth, height), Qt::AlignVCenter, label);
    }
    return strip;
}

} // namespace TestSupport
