#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPainter>

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

// How two colours stand apart (1 to 21), as the accessibility guidelines measure it.
inline double contrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &color) {
        const auto linear
            = [](double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        const QColor rgb = color.toRgb();
        return 0.2126 * linear(rgb.redF()) + 0.7152 * linear(rgb.greenF()) + 0.0722 * linear(rgb.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// How many pixels of the picture, laid over the background, stand apart from it by at least
// `ratio` (3 is what graphics need to be seen).
inline int pixelsStandingOut(const QImage &picture, const QColor &background, double ratio = 3.0)
{
    QImage laid(picture.size(), QImage::Format_RGB32);
    laid.fill(background);
    QPainter(&laid).drawImage(0, 0, picture);
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

} // namespace TestSupport
