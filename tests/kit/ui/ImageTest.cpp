#include "kit/ui/CircleImage.h"
#include "kit/ui/PaddedImage.h"
#include "kit/ui/SettingsTabType.h"
#include "kit/ui/SymbolImage.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QImage render(const QIcon &icon, int side, QIcon::Mode mode = QIcon::Normal)
{
    return icon.pixmap(QSize(side, side), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

int paintedPixels(const QImage &image, int minimumAlpha = 1)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += qAlpha(image.pixel(x, y)) >= minimumAlpha ? 1 : 0;
        }
    }
    return count;
}

// Renders with the window text of the active and disabled palettes set as given.
std::pair<QImage, QImage> renderWithText(const QIcon &icon, int side, QColor active, QColor disabled)
{
    const QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Active, QPalette::WindowText, active);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, disabled);
    QGuiApplication::setPalette(palette);
    std::pair<QImage, QImage> result { render(icon, side), render(icon, side, QIcon::Disabled) };
    QGuiApplication::setPalette(saved);
    return result;
}

TEST(CircleImageTest, FilledOvalInsetByTheBorderStrokedOnlyWithAColourDrawnAnewAtEachSizeAndTinted)
{
    const QImage plain = render(circleImage(Qt::black, 13), 13);
    ASSERT_EQ(plain.size(), QSize(13, 13));
    EXPECT_EQ(plain.pixel(6, 6), qRgba(0, 0, 0, 255));
    EXPECT_EQ(plain.pixel(6, 1), qRgba(0, 0, 0, 255));
    for (const QPoint corner : { QPoint(0, 0), QPoint(12, 12), QPoint(0, 12) }) {
        EXPECT_EQ(qAlpha(plain.pixel(corner)), 0);
    }

    const QImage bordered = render(circleImage(Qt::red, 40, 4, QColor(Qt::blue)), 40);
    EXPECT_EQ(bordered.pixel(20, 20), qRgba(255, 0, 0, 255));
    // The oval spans 4..36; its edge at the top centre is blue, half inside, half outside.
    EXPECT_EQ(bordered.pixel(20, 4), qRgba(0, 0, 255, 255));
    EXPECT_EQ(bordered.pixel(20, 5), qRgba(0, 0, 255, 255));
    EXPECT_EQ(bordered.pixel(20, 8), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(bordered.pixel(20, 0)), 0);

    // Inset by the width even without an outline colour; no width, no outline.
    const QImage noColour = render(circleImage(Qt::red, 40, 4), 40);
    EXPECT_EQ(noColour.pixel(20, 5), qRgba(255, 0, 0, 255));
    EXPECT_EQ(qAlpha(noColour.pixel(20, 2)), 0);
    const QImage noWidth = render(circleImage(Qt::red, 40, 0, QColor(Qt::blue)), 40);
    EXPECT_EQ(noWidth.pixel(20, 1), qRgba(255, 0, 0, 255));
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(qBlue(noWidth.pixel(20, y)), 0) << y;
    }

    const QImage large = render(circleImage(Qt::black, 13), 130);
    ASSERT_EQ(large.size(), QSize(130, 130));
    // Area grows with the square of the scale: the circle is drawn anew, not stretched.
    EXPECT_NEAR(paintedPixels(large) / 100.0, paintedPixels(plain), paintedPixels(plain) * 0.25);
    EXPECT_EQ(qAlpha(large.pixel(3, 3)), 0);

    const QIcon icon = SymbolImage::asTemplate(circleImage(Qt::black, 13), QSize(13, 13));
    EXPECT_TRUE(icon.isMask());
    const QImage tinted = renderWithText(icon, 13, QColor(10, 200, 30), Qt::gray).first;
    EXPECT_EQ(tinted.pixel(6, 6), qRgba(10, 200, 30, 255));
    EXPECT_EQ(qAlpha(tinted.pixel(0, 0)), 0);
}

TEST(SymbolImageTest, EverySymbolIsDrawnAsAMask)
{
    QStringList all = SymbolImage::names();
    ASSERT_FALSE(all.isEmpty());
    for (const auto &entry : SettingsTab::entries) {
        EXPECT_TRUE(all.contains(QLatin1String(entry.symbol))) << entry.symbol;
    }
    for (const QString &name : all) {
        const std::optional<QIcon> icon = SymbolImage::systemSymbol(name, 14);
        ASSERT_TRUE(icon.has_value()) << name.toStdString();
        EXPECT_TRUE(icon->isMask());
        // Something is drawn and it is not a filled square.
        const int painted = paintedPixels(render(*icon, 28));
        EXPECT_GT(painted, 28 * 28 / 10) << name.toStdString();
        EXPECT_LT(painted, 28 * 28) << name.toStdString();
    }
    for (const QString &unknown :
        { QStringLiteral("no.such.symbol"), QStringLiteral("mic.fill.x"), QString() }) {
        EXPECT_FALSE(SymbolImage::systemSymbol(unknown, 20, QFont::Bold, std::nullopt, 0.5));
    }
}

TEST(SymbolImageTest, TintedWithTheTextColourOfItsModeKeepingCoverage)
{
    const QIcon icon = *SymbolImage::systemSymbol(QStringLiteral("record.circle.fill"));
    const auto [normal, disabled] = renderWithText(icon, 24, QColor(0, 0, 0), QColor(200, 0, 0));
    // A point on the filled ring of the record symbol; its centre is cut out.
    EXPECT_EQ(normal.pixelColor(12, 3).rgb(), QColor(0, 0, 0).rgb());
    EXPECT_EQ(disabled.pixelColor(12, 3).rgb(), QColor(200, 0, 0).rgb());
    EXPECT_EQ(normal.pixelColor(12, 12).alpha(), 0);

    QPixmap source(3, 1);
    source.fill(Qt::transparent);
    QPainter(&source).fillRect(0, 0, 1, 1, QColor(0, 0, 0, 255));
    QPainter(&source).fillRect(1, 0, 1, 1, QColor(0, 0, 0, 128));
    const QImage image = SymbolImage::tinted(source, QColor(0, 0, 255)).toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_NEAR(image.pixelColor(1, 0).alpha(), 128, 1);
    EXPECT_EQ(image.pixelColor(1, 0).blue(), 255);
    EXPECT_EQ(image.pixelColor(2, 0).alpha(), 0);
}

TEST(SymbolImageTest, WeightChangesTheInkAndScaleTheSize)
{
    const QString name = QStringLiteral("waveform.circle");
    int previousInk = 0;
    for (const QFont::Weight weight : { QFont::Light, QFont::Normal, QFont::Bold }) {
        const int ink = paintedPixels(render(*SymbolImage::systemSymbol(name, 20, weight), 96), 129);
        EXPECT_GT(ink, previousInk) << weight;
        previousInk = ink;
    }
    for (const auto &[scale, side] : std::vector<std::pair<std::optional<SymbolImage::Scale>, int>> {
             { SymbolImage::Scale::large, 25 }, { SymbolImage::Scale::small, 16 }, { std::nullopt, 20 } }) {
        EXPECT_EQ(SymbolImage::systemSymbol(name, 20, QFont::Normal, scale)->availableSizes().value(0),
            QSize(side, side));
    }
}

TEST(PaddedImageTest, GrowsByEachMarginAndKeepsTheMaskFlag)
{
    QPixmap square(10, 10);
    square.fill(Qt::black);
    QIcon icon(square);
    icon.setIsMask(true);
    const QIcon padded = paddedImage(icon, QMarginsF(1, 2, 3, 4));
    EXPECT_TRUE(padded.isMask());
    ASSERT_EQ(padded.availableSizes().value(0), QSize(14, 16));
    const QImage image = padded.pixmap(QSize(14, 16)).toImage();
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(13, 15)), 0);
    EXPECT_GT(qAlpha(image.pixel(6, 7)), 200);
}

} // namespace
