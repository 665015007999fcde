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

// The box around the dark pixels that `paint` leaves on a white image.
QRect inkDrawnBy(const std::function<void(QPainter &)> &paint)
{
    QImage image(200, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setPen(Qt::black);
        paint(painter);
    }
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            box |= qGray(image.pixel(x, y)) < 128 ? QRect(x, y, 1, 1) : QRect();
        }
    }
    return box;
}

// Runs a test with a small proportional-digit application font, restoring the one before.
class TextFontTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(QFontInfo(proportionalDigitFont()).family(), "Cantarell")
            << "install fonts-cantarell (scripts/install-deps)";
        QGuiApplication::setFont(proportionalDigitFont(11));
    }
    void TearDown() override { QGuiApplication::setFont(m_saved); }

    QFont m_saved = QGuiApplication::font();
};

} // namespace

TEST_F(TextFontTest, EveryDigitTakesTheWidestDigitsCell)
{
    const MonospacedDigitLayout layout(proportionalDigitFont());
    const QFontMetricsF metrics(layout.font());
    ASSERT_NE(metrics.horizontalAdvance("00:00"), metrics.horizontalAdvance("11:11"))
        << "the font's own digits";
    EXPECT_DOUBLE_EQ(layout.digitCellWidth(), metrics.horizontalAdvance(QChar(u'0')));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("00:00"), layout.horizontalAdvance("11:11"));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("1:07:59"), layout.horizontalAdvance("0:00:00"));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("11"), 2 * layout.digitCellWidth());
    // Text without digits keeps the font's own advance.
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance("Record"), metrics.horizontalAdvance("Record"));
    EXPECT_DOUBLE_EQ(layout.horizontalAdvance(""), 0);
}

TEST_F(TextFontTest, DrawnDigitsSitCentredInTheirCells)
{
    const MonospacedDigitLayout layout(proportionalDigitFont(40));
    const QRect ink = inkDrawnBy([&](QPainter &painter) { layout.draw(painter, QPointF(0, 60), "1"); });
    ASSERT_FALSE(ink.isNull()) << "nothing was drawn";
    // A left-aligned narrow "1" would sit well left of the cell's middle.
    const QFontMetricsF metrics(layout.font());
    const double inset = (layout.digitCellWidth() - metrics.horizontalAdvance(QChar(u'1'))) / 2;
    EXPECT_NEAR(
        (ink.left() + ink.right()) / 2.0, inset + metrics.boundingRect(QChar(u'1')).center().x(), 1.5);
    EXPECT_GT(inset, 2);
}

TEST_F(TextFontTest, MonospacedDigitKeepsSizeAndWeightInTheApplicationFont)
{
    QFont bold(QStringLiteral("DejaVu Serif"));
    bold.setPointSizeF(20);
    bold.setWeight(QFont::Bold);
    const TextFont fixed = TextFont(bold).monospacedDigit();
    EXPECT_TRUE(fixed.hasMonospacedDigits());
    EXPECT_EQ(fixed.font().family(), "Cantarell");
    EXPECT_DOUBLE_EQ(fixed.font().pointSizeF(), 20);
    EXPECT_EQ(fixed.font().weight(), QFont::Bold);
    EXPECT_FALSE(TextFont(proportionalDigitFont()).hasMonospacedDigits());

    // A font without weight gives the regular weight, and keeps its pixel size.
    QFont pixelSized(QStringLiteral("DejaVu Sans"));
    pixelSized.setPixelSize(17);
    const TextFont fixedPixels = TextFont(pixelSized).monospacedDigit();
    EXPECT_EQ(fixedPixels.font().weight(), QFont::Normal);
    EXPECT_EQ(fixedPixels.font().pixelSize(), 17);
}

TEST_F(TextFontTest, AttributedTextFallsBackToTheApplicationFontAndItsBaselineOffsetRaisesIt)
{
    const AttributedString plain(QStringLiteral("00:00"));
    EXPECT_FALSE(plain.fontAttribute().has_value());
    EXPECT_EQ(plain.font().font().family(), "Cantarell");
    EXPECT_DOUBLE_EQ(plain.font().font().pointSizeF(), 11);
    EXPECT_DOUBLE_EQ(TextFont::systemFontSize(), 11);

    const auto lowestInk = [](const AttributedString &string) {
        return inkDrawnBy([&](QPainter &painter) { string.draw(painter, QPointF(2, 2)); }).bottom();
    };
    const AttributedString text = AttributedString("0").withFont(TextFont(proportionalDigitFont(24)));
    const int normal = lowestInk(text);
    ASSERT_GE(normal, 0);
    EXPECT_EQ(lowestInk(text.withBaselineOffset(6)), normal - 6);
}
