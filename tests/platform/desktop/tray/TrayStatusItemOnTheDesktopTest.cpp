#include "DesktopTest.h"
#include "EventLoop.h"
#include "TrayIcon.h"
#include "XInput.h"

#include "platform/desktop/StatusPictures.h"
#include "platform/desktop/TrayStatusItem.h"

#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include <gtest/gtest.h>

namespace {

using TrayStatusItemOnTheDesktopTest = TestSupport::DesktopTest;

// A title as wide as four digits, drawn as a block.
class WideTitle : public StatusButtonTitle
{
public:
    QString text() const override { return QStringLiteral("00:42"); }
    QSizeF size() const override { return { 40, 14 }; }
    void draw(QPainter &painter, const QPointF &topLeft) const override
    {
        painter.fillRect(QRectF(topLeft, size()), painter.pen().color());
    }
};

TEST_F(TrayStatusItemOnTheDesktopTest, TheTrayEmbedsTheItemAtItsHeightAndItsTitleIsInTheToolTip)
{
    TrayStatusItem item;
    QPixmap image(16, 16);
    image.fill(Qt::red);
    item.button().setImage(QIcon(image));
    item.button().setAccessibilityTitle(QStringLiteral("Tapewick"));
    item.button().setAccessibilityValue(QStringLiteral("Recording"));
    item.setVisible(true);
    ASSERT_TRUE(item.isVisible());
    // The tray host gives the item its place only once it has embedded it.
    QRect placed;
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        placed = item.geometry();
        return !placed.isEmpty();
    })) << "the tray host never embedded the item";
    EXPECT_EQ(placed.width(), placed.height()) << "the tray gave the item no square";

    item.button().setAttributedTitle(std::make_shared<WideTitle>());
    item.button().setImagePosition(StatusBarButton::ImagePosition::imageRight);
    TestSupport::processEventsFor(std::chrono::milliseconds(50));
    const QSize drawn = item.icon().availableSizes().value(0);
    EXPECT_EQ(drawn.height(), qRound(placed.height() * QGuiApplication::primaryScreen()->devicePixelRatio()));
    EXPECT_EQ(drawn.width(), drawn.height()) << "the title is not drawn: its digits would be too small";
    EXPECT_EQ(item.toolTip(), QStringLiteral("Tapewick\nRecording\n00:42"));

    // The level moves the tint ten times a second, mostly by steps no one sees: only a step that
    // shows, or small ones once they add up, gives the tray a new picture.
    constexpr int tolerance = StatusPictures::tolerance;
    const struct
    {
        int red;
        bool redrawn;
    } steps[] = { { 254, false }, { 255 - tolerance, false }, { 254 - tolerance, true }, { 200, true } };
    int shownRed = 255;
    for (const auto &[red, redrawn] : steps) {
        SCOPED_TRACE(red);
        const qint64 shown = item.icon().cacheKey();
        image.fill(QColor(red, 0, 0));
        item.button().setImage(QIcon(image));
        // The title is drawn with the picture: once it is in the tooltip, any new picture is shown.
        const QString title = QStringLiteral("00:%1").arg(red);
        item.button().setTitle(title);
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return item.toolTip().endsWith(title); }));
        EXPECT_EQ(item.icon().cacheKey() != shown, redrawn);
        shownRed = redrawn ? red : shownRed;
        const QImage picture = item.icon().pixmap(drawn).toImage();
        EXPECT_EQ(picture.pixelColor(picture.width() / 2, picture.height() / 2).red(), shownRed);
    }
}

// With the pointer on the item, as a user clicks it: the menu opens beside the item, and a second
// click on the item closes it without choosing what the first opening put under the pointer.
TEST_F(TrayStatusItemOnTheDesktopTest, ASecondClickOnTheItemClosesItsMenuAndChoosesNothing)
{
    TrayStatusItem item;
    QPixmap image(16, 16);
    image.fill(Qt::red);
    item.button().setImage(QIcon(image));
    QMenu menu;
    int chosen = 0;
    int opened = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        // Filled as it opens, as the status menu is.
        ++opened;
        menu.clear();
        for (int i = 0; i < 12; ++i) {
            QObject::connect(
                menu.addAction(QStringLiteral("Record %1").arg(i)), &QAction::triggered, [&] { ++chosen; });
        }
    });
    item.setMenu(&menu);
    item.setVisible(true);
    QRect placed;
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !(placed = item.geometry()).isEmpty(); }));
    // Clicks reach the item once the tray has embedded it, which may come after its placing.
    ASSERT_TRUE(TestSupport::processEventsUntil(
        [&] { return embeddedTrayIcon(QCoreApplication::applicationPid()) == item.geometry(); }));
    placed = item.geometry();
    const QPoint center = placed.center();

    for (const QString &button : { QStringLiteral("1"), QStringLiteral("3") }) {
        SCOPED_TRACE(button.toStdString());
        opened = 0;
        TestSupport::xdotool(
            { "mousemove", QString::number(center.x()), QString::number(center.y()), "click", button });
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible(); }));
        TestSupport::processEventsFor(std::chrono::milliseconds(200));
        EXPECT_FALSE(menu.geometry().intersects(placed))
            << "menu at " << menu.geometry().x() << "," << menu.geometry().y() << " over the item";
        EXPECT_EQ(menu.geometry().top(), placed.bottom() + 1) << "below the item on a panel at the top";

        TestSupport::xdotool({ "click", button });
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !menu.isVisible(); })) << "still open";
        TestSupport::processEventsFor(std::chrono::milliseconds(500));
        EXPECT_FALSE(menu.isVisible()) << "opened again";
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(chosen, 0) << "the second click chose an item";
    }
}

} // namespace
