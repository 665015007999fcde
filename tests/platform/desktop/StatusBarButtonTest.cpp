#include "platform/desktop/StatusBarButton.h"
#include "platform/desktop/StatusPictures.h"
#include "platform/desktop/TrayStatusItem.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>

namespace {

QIcon filledIcon(const QColor &color, bool mask)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(color);
    QIcon icon(pixmap);
    icon.setIsMask(mask);
    return icon;
}

// A title that fills its whole box, so where it lands can be told from the pixels.
class BlockTitle : public StatusButtonTitle
{
public:
    explicit BlockTitle(QString text, QSizeF size)
        : m_text(std::move(text))
        , m_size(size)
    { }
    QString text() const override { return m_text; }
    QSizeF size() const override { return m_size; }
    void draw(QPainter &painter, const QPointF &topLeft) const override
    {
        painter.fillRect(QRectF(topLeft, m_size), painter.pen().color());
    }

private:
    QString m_text;
    QSizeF m_size;
};

TEST(StatusBarButtonTest, ImageOnlyIgnoresTheTitleAndOnlyTemplatesTakeThePanelTextColour)
{
    StatusBarButton button;
    button.setImage(filledIcon(Qt::green, false));
    button.setTitle(QStringLiteral("00:12"));
    const QImage picture = button.render(22);
    EXPECT_EQ(picture.size(), QSize(22, 22));
    EXPECT_EQ(QColor(picture.pixel(11, 11)), QColor(Qt::green));
    button.setImage(filledIcon(Qt::green, true));
    EXPECT_EQ(QColor(button.render(22).pixel(11, 11)).rgb(), StatusBarButton::panelTextColor().rgb());
}

// A panel's square is too small for readable digits: the picture is the image alone, centred
// without the room at its sides (such as the gap kept for a title).
TEST(StatusBarButtonTest, ThePictureIsTheImageCentredInTheSquareWithoutTheTitleAndDimmedWhenDisabled)
{
    StatusBarButton button;
    QPixmap shape(20, 16);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.fillRect(8, 0, 8, 16, Qt::red); // empty room at the left and at the right
    }
    button.setImage(QIcon(shape));
    button.setAttributedTitle(std::make_shared<BlockTitle>(QStringLiteral("12:34"), QSizeF(30, 11)));
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    const QImage picture = button.render(32);
    ASSERT_EQ(picture.size(), QSize(32, 32)) << "no room for the title";
    // The shape, 16 by 32 at this height, stands in the middle.
    EXPECT_EQ(qAlpha(picture.pixel(7, 16)), 0);
    EXPECT_EQ(QColor(picture.pixel(8, 16)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(23, 16)), QColor(Qt::red));
    EXPECT_EQ(qAlpha(picture.pixel(24, 16)), 0);
    EXPECT_EQ(button.title(), QStringLiteral("12:34"));

    // Appearing disabled dims it.
    button.setAppearsDisabled(true);
    const int expected = qRound(255 * StatusBarButton::disabledOpacity);
    EXPECT_NEAR(qAlpha(button.render(32).pixel(16, 16)), expected, 2);
    button.setAppearsDisabled(false);
    EXPECT_EQ(qAlpha(button.render(32).pixel(16, 16)), 255);

    // At double density the square is in pixels, its ratio kept.
    const QImage dense = button.render(44, 2.0);
    EXPECT_EQ(dense.size(), QSize(44, 44));
    EXPECT_DOUBLE_EQ(dense.devicePixelRatio(), 2.0);

    // A wide image is fitted into the square.
    QPixmap wide(40, 10);
    wide.fill(Qt::blue);
    button.setImage(QIcon(wide));
    const QImage fitted = button.render(20);
    EXPECT_EQ(fitted.size(), QSize(20, 20));
    EXPECT_EQ(QColor(fitted.pixel(0, 10)), QColor(Qt::blue));
    EXPECT_EQ(QColor(fitted.pixel(19, 10)), QColor(Qt::blue));
    EXPECT_EQ(qAlpha(fitted.pixel(10, 2)), 0);
}

TEST(StatusBarButtonTest, EveryVisibleChangeIsSignalledAndReadInTheToolTipAndAccessibleName)
{
    StatusBarButton button;
    QSignalSpy spy(&button, &StatusBarButton::changed);
    EXPECT_EQ(button.toolTip(), QString());
    button.setImage(filledIcon(Qt::red, false));
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    button.setAppearsDisabled(true);
    button.setAccessibilityTitle(QStringLiteral("Tapewick"));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Tapewick"));
    button.setAccessibilityValue(QStringLiteral("Recording"));
    EXPECT_EQ(button.accessibleName(), QStringLiteral("Tapewick, Recording"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Tapewick\nRecording"));
    button.setTitle(QStringLiteral("01:00:00"));
    EXPECT_EQ(button.toolTip(), QStringLiteral("Tapewick\nRecording\n01:00:00"));
    EXPECT_EQ(spy.count(), 6);
    button.setAppearsDisabled(true);
    button.setImagePosition(StatusBarButton::ImagePosition::imageRight);
    EXPECT_EQ(spy.count(), 6) << "an unchanged value redraws nothing";
}

// The level moves the tint ten times a second, mostly by steps no one sees: new pictures only
// when they look different from the shown ones, and none drawn when nothing they show changed.
TEST(StatusPicturesTest, NewPicturesAreTakenOnlyWhenTheyWouldLookDifferentFromTheShownOnes)
{
    using Outcome = StatusPictures::Outcome;
    StatusBarButton button;
    StatusPictures pictures;
    StatusPictures::Style style { { 16, 32 }, 1.0, { QColor(Qt::black).rgba() } };
    QList<int> drawn;
    const StatusPictures::Draw draw = [&](int size) {
        drawn << size;
        return button.render(size);
    };
    const auto tint = [&](int red) { button.setImage(filledIcon(QColor(red, 40, 30), false)); };
    const struct
    {
        const char *change;
        std::function<void()> make;
        Outcome outcome;
        QList<int> drawn;
    } steps[] = {
        { "the first pictures", [&] { tint(200); }, Outcome::taken, { 16, 32 } },
        { "the title alone", [&] { button.setTitle(QStringLiteral("00:01")); }, Outcome::unchanged, {} },
        { "a step too small to see", [&] { tint(200 + StatusPictures::tolerance); }, Outcome::unchanged,
            { 16 } },
        { "the same step again", [&] { tint(200 + StatusPictures::tolerance); }, Outcome::unchanged, { 16 } },
        { "a drift that adds up", [&] { tint(201 + StatusPictures::tolerance); }, Outcome::taken,
            { 16, 32 } },
        { "a step back too small to see", [&] { tint(201); }, Outcome::unchanged, { 16 } },
        { "a step the level makes", [&] { tint(230); }, Outcome::taken, { 16, 32 } },
        { "dimmed", [&] { button.setAppearsDisabled(true); }, Outcome::taken, { 16, 32 } },
        { "another size",
            [&] {
                style.pixelSizes = { 16, 48 };
            },
            Outcome::taken, { 16, 48 } },
        { "another template colour", [&] { style.colors = { QColor(Qt::white).rgba() }; }, Outcome::unchanged,
            { 16 } },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.change);
        drawn.clear();
        step.make();
        EXPECT_EQ(pictures.update(button, style, draw), step.outcome);
        EXPECT_EQ(drawn, step.drawn);
        ASSERT_EQ(pictures.shown().size(), style.pixelSizes.size());
        EXPECT_EQ(pictures.shown().constLast().width(), style.pixelSizes.constLast());
    }

    QImage picture(8, 8, QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(100, 100, 100, 200));
    QImage dense = picture;
    dense.setDevicePixelRatio(2);
    EXPECT_TRUE(StatusPictures::looksAlike(picture, picture.convertToFormat(QImage::Format_ARGB32)));
    EXPECT_FALSE(StatusPictures::looksAlike(picture, dense));
    EXPECT_FALSE(StatusPictures::looksAlike(picture, picture.scaled(9, 9)));
    QImage edge = picture;
    edge.setPixel(7, 7, qPremultiply(qRgba(100, 100, 100, 200 - StatusPictures::tolerance - 1)));
    EXPECT_FALSE(StatusPictures::looksAlike(picture, edge)) << "one pixel's opacity";
}

// Where each new picture costs the desktop a round of reading the item, a change soon after the
// last pictures waits, undrawn, and then the look of that moment goes, if it still differs; one
// that comes with another change of the item goes at once, as the panel reads the item then anyway.
TEST(StatusPicturesTest, PacedPicturesHoldAChangeSoonAfterTheLastUnlessTheItemChangesAnyway)
{
    using namespace std::chrono_literals;
    using Outcome = StatusPictures::Outcome;
    StatusBarButton button;
    StatusPictures pictures(500ms);
    const StatusPictures::Style style { { 22, 48 }, 1.0, { QColor(Qt::black).rgba() } };
    QList<int> drawn;
    const StatusPictures::Draw draw = [&](int size) {
        drawn << size;
        return button.render(size);
    };
    const auto tint = [&](int red) { button.setImage(filledIcon(QColor(red, 40, 30), false)); };
    const auto nothing = [] {};
    const StatusPictures::Clock::time_point start {};
    const struct
    {
        const char *change;
        std::chrono::milliseconds at;
        std::function<void()> make;
        bool withOtherChange;
        Outcome outcome;
        QList<int> drawn;
        int shownRed;
        std::chrono::milliseconds heldUntil;
    } steps[] = {
        { "the first pictures, never held", 0ms, [&] { tint(200); }, false, Outcome::taken, { 22, 48 }, 200,
            500ms },
        { "a real step soon after", 100ms, [&] { tint(230); }, false, Outcome::held, {}, 200, 500ms },
        { "another before the time is up", 499ms, [&] { tint(240); }, false, Outcome::held, {}, 200, 500ms },
        { "let go: the look of that moment", 500ms, nothing, false, Outcome::taken, { 22, 48 }, 240, 1000ms },
        { "a step too small to see, held", 600ms, [&] { tint(241); }, false, Outcome::held, {}, 240, 1000ms },
        { "let go, and still too small", 1000ms, nothing, false, Outcome::unchanged, { 22 }, 240, 1000ms },
        { "a real step with another change", 1100ms, [&] { tint(180); }, true, Outcome::taken, { 22, 48 },
            180, 1600ms },
        { "another change alone", 1200ms, nothing, true, Outcome::unchanged, {}, 180, 1600ms },
        { "a real step long after", 2000ms, [&] { tint(210); }, false, Outcome::taken, { 22, 48 }, 210,
            2500ms },
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.change);
        drawn.clear();
        step.make();
        EXPECT_EQ(pictures.update(button, style, draw, start + step.at, step.withOtherChange), step.outcome);
        EXPECT_EQ(drawn, step.drawn);
        ASSERT_EQ(pictures.shown().size(), 2);
        EXPECT_EQ(qRed(pictures.shown().constFirst().pixel(11, 11)), step.shownRed);
        EXPECT_EQ(pictures.heldUntil(), start + step.heldUntil);
    }
}

TEST(TrayStatusItemTest, TheTrayShowsTheImageAndReadsTheTitleInTheToolTip)
{
    TrayStatusItem item;
    item.button().setImage(filledIcon(Qt::red, false));
    item.button().setAccessibilityTitle(QStringLiteral("Tapewick"));
    QCoreApplication::processEvents();
    const QSize plain = item.icon().availableSizes().value(0);
    item.button().setAttributedTitle(std::make_shared<BlockTitle>(QStringLiteral("00:05"), QSizeF(40, 20)));
    item.button().setImagePosition(StatusBarButton::ImagePosition::imageRight);
    EXPECT_EQ(item.toolTip(), QStringLiteral("Tapewick")) << "drawn once, after the changes";
    QCoreApplication::processEvents();
    EXPECT_EQ(item.icon().availableSizes().value(0), plain) << "the title is not drawn";
    EXPECT_EQ(item.toolTip(), QStringLiteral("Tapewick\n00:05"));
}

TEST(TrayStatusItemTest, TheMenuOpensBesideTheItemOnTheSideAwayFromItsPanelAndStaysOnTheScreen)
{
    const QRect screen(0, 0, 1280, 1024);
    const QSize menu(200, 300);
    const struct
    {
        const char *panel;
        QRect item;
        QPoint expected;
    } cases[] = {
        { "top", QRect(600, 1, 22, 22), QPoint(600, 23) },
        { "top, right corner", QRect(1257, 1, 22, 22), QPoint(1080, 23) },
        { "bottom", QRect(600, 1001, 22, 22), QPoint(600, 701) },
        { "bottom, left corner", QRect(0, 1001, 22, 22), QPoint(0, 701) },
        { "left", QRect(1, 500, 22, 22), QPoint(23, 500) },
        { "left, near the bottom", QRect(1, 900, 22, 22), QPoint(23, 724) },
        { "right", QRect(1257, 500, 22, 22), QPoint(1057, 500) },
    };
    for (const auto &test : cases) {
        const QPoint placed = TrayStatusItem::menuPosition(test.item, menu, screen);
        EXPECT_EQ(placed, test.expected) << test.panel << ": " << placed.x() << "," << placed.y();
        EXPECT_FALSE(QRect(placed, menu).intersects(test.item)) << test.panel;
        EXPECT_TRUE(screen.contains(QRect(placed, menu))) << test.panel;
    }
}

} // namespace
