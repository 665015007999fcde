#include "kit/foundation/text/TextFont.h"
#include "kit/foundation/text/AttributedString.h"
#include "kit/foundation/text/MonospacedDigitLayout.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

// Cantarell's digits have different widths, so a clock in it jitters unless the
// layout fixes them.
QFont proportionalDigitFont(qreal pointSize = 14)
{
    QFont font(QStringLiteral("Cantarell"));
    font.setPointSizeF(pointSize);
    return font;
}

class ApplicationFont
{
public:
    explicit ApplicationFont(const QFont &font)
        : m_saved(QGuiApplication::font())
    {
        QGuiApplication::setFont(font);
    }
    ~ApplicationFont() { QGuiApplication::setFont(m_saved); }

private:
    QFont m_saved;
};

// Columns holding at least one dark pixel, as the first and last such column.
std::pair<int, int> inkedColumns(const QImage &image)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (qGray(image.pixel(x, y)) < 128) {
                first = first < 0 ? x : first;
                last = x;
                break;
            }
        }
    }
    return { first, last };
}

} // namespace

TEST(MonospacedDigitLayoutTest, TestFontReallyHasProportionalDigits)
{
    const QFont font = proportionalDigitFont();
    ASSERT_EQ(QFontInfo(font).family(), "Cantarell") << "install fonts-cantarell (scripts/install-deps)";
    const QFontMetricsF metrics(font);
    EXPECT_NE(metrics.horizontalAdvance("00:00"), metrics.horizontalAdvance("11:11"));
}

TEST(MonospacedDigitLayoutTest, EveryDigitTakesTheWidestDigitsCell)
{
    const MonospacedDigitLayout layout(proportionalDigitFont());
    const QFontMetricsF metrics(layout.font());
    EXPECT_DOUBLE_EQ(layout.digitCellWidth(), metrics.horizontalAdvance(QChar(u'0')));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("00:00"), layout.horizontalAdvance("11:11"));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("1:07:59"), layout.horizontalAdvance("0:00:00"));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("11"), 2 * layout.digitCellWidth());
    // Text without digits keeps the font's own advance.
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("Record"), metrics.horizontalAdvance("Record"));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance(""), 0);
}

TEST(MonospacedDigitLayoutTest, DrawnDigitsSitCentredInTheirCells)
{
    const MonospacedDigitLayout layout(proportionalDigitFont(40));
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        layout.draw(painter, QPointF(0, 60), "1");
    }
    const auto [first, last] = inkedColumns(image);
    ASSERT_GE(first, 0) << "nothing was drawn";
    const double inkCentre = (first + last) / 2.0;
    // A left-aligned narrow "1" would sit well left of the cell's middle.
    const QRectF glyph = QFontMetricsF(layout.font()).boundingRect(QChar(u'1'));
    const double inset
        = (layout.digitCellWidth() - QFontMetricsF(layout.font()).horizontalAdvance(QChar(u'1'))) / 2;
    EXPECT_NEAR(inkCentre, inset + glyph.center().x(), 1.5);
    EXPECT_GT(inset, 2);
}

TEST(TextFontTest, MonospacedDigitKeepsSizeAndWeightInTheApplicationFont)
{
    ApplicationFont appFont(proportionalDigitFont(9));
    QFont bold(QStringLiteral("DejaVu Serif"));
    bold.setPointSizeF(20);
    bold.setWeight(QFont::Bold);
    const TextFont fixed = TextFont(bold).monospacedDigit();
    EXPECT_TRUE(fixed.hasMonospacedDigits());
    EXPECT_EQ(fixed.font().family(), "Cantarell");
    EXPECT_DOUBLE_EQ(fixed.font().pointSizeF(), 20);
    EXPECT_EQ(fixed.font().weight(), QFont::Bold);
    EXPECT_DOUBLE_EQ(fixed.horizontalAdvance("00:00"), fixed.horizontalAdvance("11:11"));
    EXPECT_FALSE(TextFont(proportionalDigitFont()).hasMonospacedDigits());
}

TEST(TextFontTest, AFontWithoutWeightGivesRegularWeightAndItsPixelSize)
{
    ApplicationFont appFont(proportionalDigitFont(9));
    QFont pixelSized(QStringLiteral("DejaVu Sans"));
    pixelSized.setPixelSize(17);
    const TextFont fixed = TextFont(pixelSized).monospacedDigit();
    EXPECT_EQ(fixed.font().weight(), QFont::Normal);
    EXPECT_EQ(fixed.font().pixelSize(), 17);
}

TEST(AttributedStringTest, FontFallsBackToTheApplicationFontAtStandardSize)
{
    ApplicationFont appFont(proportionalDigitFont(11));
    const AttributedString plain(QStringLiteral("00:00"));
    EXPECT_FALSE(plain.fontAttribute().has_value());
    EXPECT_EQ(plain.font().font().family(), "Cantarell");
    EXPECT_DOUBLE_EQ(plain.font().font().pointSizeF(), TextFont::systemFontSize());
    EXPECT_DOUBLE_EQ(TextFont::systemFontSize(), 11);
}

TEST(AttributedStringTest, BaselineOffsetRaisesTheDrawnText)
{
    const auto lowestInkRow = [](const AttributedString &string) {
        QImage image(120, 60, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setPen(Qt::black);
            string.draw(painter, QPointF(2, 2));
        }
        for (int y = image.height() - 1; y >= 0; --y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) < 128) {
                    return y;
                }
            }
        }
        return -1;
    };
    const AttributedString text = AttributedString("0").withFont(TextFont(proportionalDigitFont(24)));
    const int normal = lowestInkRow(text);
    ASSERT_GE(normal, 0);
    EXPECT_EQ(lowestInkRow(text.withBaselineOffset(6)), normal - 6);
}
