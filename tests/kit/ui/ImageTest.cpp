#include "kit/ui/CircleImage.h"
#include "kit/ui/PaddedImage.h"
#include "kit/ui/SettingsTabType.h"
#include "kit/ui/SymbolImage.h"
#include "kit/ui/UrlIcon.h"

#include <QAccessible>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QImage render(const QIcon &icon, int side)
{
    return icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
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

int inkedPixels(const QIcon &icon, int side)
{
    return paintedPixels(render(icon, side), 129);
}

TEST(CircleImageTest, FilledCircleWithoutBorder)
{
    const QImage image = render(circleImage(Qt::black, 13), 13);
    ASSERT_EQ(image.size(), QSize(13, 13));
    EXPECT_EQ(image.pixel(6, 6), qRgba(0, 0, 0, 255));
    EXPECT_EQ(image.pixel(6, 1), qRgba(0, 0, 0, 255));
    // Corners lie outside the oval.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(12, 12)), 0);
    EXPECT_EQ(qAlpha(image.pixel(0, 12)), 0);
}

TEST(CircleImageTest, BorderInsetsTheFillAndStrokesTheEdge)
{
    const QImage image = render(circleImage(Qt::red, 40, 4, QColor(Qt::blue)), 40);
    EXPECT_EQ(image.pixel(20, 20), qRgba(255, 0, 0, 255));
    // The oval spans 4..36; its edge at the top centre is blue, half inside, half outside.
    EXPECT_EQ(image.pixel(20, 4), qRgba(0, 0, 255, 255));
    EXPECT_EQ(image.pixel(20, 5), qRgba(0, 0, 255, 255));
    EXPECT_EQ(image.pixel(20, 8), qRgba(255, 0, 0, 255));
    // Nothing is painted beyond the stroke's outer half.
    EXPECT_EQ(qAlpha(image.pixel(20, 0)), 0);
}

TEST(CircleImageTest, NoOutlineWithoutWidthOrColour)
{
    const QImage noColour = render(circleImage(Qt::red, 40, 4), 40);
    EXPECT_EQ(noColour.pixel(20, 5), qRgba(255, 0, 0, 255));
    // Inset by the width even without an outline.
    EXPECT_EQ(qAlpha(noColour.pixel(20, 2)), 0);

    const QImage noWidth = render(circleImage(Qt::red, 40, 0, QColor(Qt::blue)), 40);
    EXPECT_EQ(noWidth.pixel(20, 1), qRgba(255, 0, 0, 255));
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(qBlue(noWidth.pixel(20, y)), 0) << y;
    }
}

TEST(CircleImageTest, DrawnSharplyAtLargerScales)
{
    const QImage small = render(circleImage(Qt::black, 13), 13);
    const QImage large = render(circleImage(Qt::black, 13), 130);
    ASSERT_EQ(large.size(), QSize(130, 130));
    // Area grows with the square of the scale: the circle is drawn anew, not stretched.
    EXPECT_NEAR(paintedPixels(large) / 100.0, paintedPixels(small), paintedPixels(small) * 0.25);
    EXPECT_EQ(qAlpha(large.pixel(3, 3)), 0);
}

TEST(CircleImageTest, TemplateIsTintedWithThePaletteText)
{
    QIcon icon = SymbolImage::asTemplate(circleImage(Qt::black, 13), QSize(13, 13));
    EXPECT_TRUE(icon.isMask());
    QPalette palette = QGuiApplication::palette();
    const QPalette saved = palette;
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(10, 200, 30));
    QGuiApplication::setPalette(palette);
    const QImage image = render(icon, 13);
    QGuiApplication::setPalette(saved);
    EXPECT_EQ(image.pixel(6, 6), qRgba(10, 200, 30, 255));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
}

TEST(SymbolImageTest, EverySymbolTheProgramNamesIsDrawn)
{
    const QStringList used = { "mic.fill", "record.circle.fill", "record.circle", "smallcircle.circle.fill",
        "waveform.circle.fill", "waveform.circle", "xmark.circle.fill" };
    QStringList all = used;
    for (const auto &entry : SettingsTab::entries) {
        all.append(QLatin1String(entry.symbol));
    }
    for (const QString &name : all) {
        const std::optional<QIcon> icon = SymbolImage::systemSymbol(name, 14);
        ASSERT_TRUE(icon.has_value()) << name.toStdString();
        EXPECT_TRUE(icon->isMask());
        const QImage image = render(*icon, 28);
        const int painted = paintedPixels(image);
        // Something is drawn and it is not a filled square.
        EXPECT_GT(painted, 28 * 28 / 10) << name.toStdString();
        EXPECT_LT(painted, 28 * 28) << name.toStdString();
        EXPECT_TRUE(SymbolImage::names().contains(name)) << name.toStdString();
    }
}

TEST(SymbolImageTest, DisabledModeUsesTheDisabledTextColour)
{
    QPalette palette = QGuiApplication::palette();
    const QPalette saved = palette;
    palette.setColor(QPalette::Active, QPalette::WindowText, QColor(0, 0, 0));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(200, 0, 0));
    QGuiApplication::setPalette(palette);
    const QIcon icon = *SymbolImage::systemSymbol(QStringLiteral("record.circle.fill"));
    const QImage normal = icon.pixmap(QSize(24, 24), QIcon::Normal).toImage();
    const QImage disabled = icon.pixmap(QSize(24, 24), QIcon::Disabled).toImage();
    QGuiApplication::setPalette(saved);
    // A point on the filled ring of the record symbol.
    EXPECT_EQ(normal.pixelColor(12, 3).rgb(), QColor(0, 0, 0).rgb());
    EXPECT_EQ(disabled.pixelColor(12, 3).rgb(), QColor(200, 0, 0).rgb());
    // The centre of the symbol is cut out.
    EXPECT_EQ(normal.pixelColor(12, 12).alpha(), 0);
}

TEST(SymbolImageTest, TintedKeepsCoverage)
{
    QPixmap source(4, 1);
    source.fill(Qt::transparent);
    {
        QPainter painter(&source);
        painter.fillRect(0, 0, 1, 1, QColor(0, 0, 0, 255));
        painter.fillRect(1, 0, 1, 1, QColor(0, 0, 0, 128));
    }
    const QImage image = SymbolImage::tinted(source, QColor(0, 0, 255)).toImage();
    EXPECT_EQ(image.pixelColor(0, 0), QColor(0, 0, 255));
    EXPECT_NEAR(image.pixelColor(1, 0).alpha(), 128, 1);
    EXPECT_EQ(image.pixelColor(1, 0).blue(), 255);
    EXPECT_EQ(image.pixelColor(2, 0).alpha(), 0);
}

TEST(UrlIconTest, StaysOutOfTheAccessibilityTree)
{
    UrlIcon icon(QUrl::fromLocalFile(QStringLiteral("/")));
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(&icon);
    ASSERT_NE(accessible, nullptr);
    EXPECT_TRUE(accessible->state().invisible);
}

TEST(SymbolImageTest, WeightChangesTheInkAndScaleTheSize)
{
    const QString name = QStringLiteral("waveform.circle");
    const auto light = SymbolImage::systemSymbol(name, 20, QFont::Light);
    const auto regular = SymbolImage::systemSymbol(name, 20, QFont::Normal);
    const auto bold = SymbolImage::systemSymbol(name, 20, QFont::Bold);
    ASSERT_TRUE(light && regular && bold);
    EXPECT_LT(inkedPixels(*light, 96), inkedPixels(*regular, 96));
    EXPECT_LT(inkedPixels(*regular, 96), inkedPixels(*bold, 96));
    EXPECT_EQ(SymbolImage::systemSymbol(name, 20, QFont::Normal, SymbolImage::Scale::large)
                  ->availableSizes()
                  .value(0),
        QSize(25, 25));
    EXPECT_EQ(SymbolImage::systemSymbol(name, 20, QFont::Normal, SymbolImage::Scale::small)
                  ->availableSizes()
                  .value(0),
        QSize(16, 16));
    EXPECT_EQ(regular->availableSizes(), QList<QSize> { QSize(20, 20) });
    for (const QString &unknown :
        { QStringLiteral("no.such.symbol"), QStringLiteral("mic.fill.x"), QString() }) {
        EXPECT_FALSE(SymbolImage::systemSymbol(unknown, 20, QFont::Bold, std::nullopt, 0.5));
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
