#include "kit/ui/DockProgress.h"
#include "kit/ui/Progress.h"

#include "EventLoop.h"

#include <QApplication>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QWidget>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

namespace {

using TestSupport::processEventsFor;
using namespace std::chrono_literals;

QIcon solidIcon(const QColor &color)
{
    QPixmap pixmap(DockProgress::tileSize, DockProgress::tileSize);
    pixmap.fill(color);
    return QIcon(pixmap);
}

// Counts how often the window icon was set, which every redraw does: each window hears of it.
class RedrawCounter : public QWidget
{
public:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ApplicationWindowIconChange) {
            ++count;
        }
        return QWidget::event(event);
    }
    int count = 0;
};

class DockProgressTest : public testing::Test
{
protected:
    void SetUp() override
    {
        DockProgress::setProgressInstance(nullptr);
        DockProgress::setStyle(DockProgress::Bar {});
        QApplication::setWindowIcon(m_plain);
    }
    void TearDown() override { DockProgress::setProgressInstance(nullptr); }

    QIcon m_plain = solidIcon(Qt::blue);
};

TEST_F(DockProgressTest, RedrawsOnlyWhenTheShownFractionMovesAndOverlaysOnlyBelowOne)
{
    RedrawCounter redraws;
    for (const auto &[progress, count] : std::vector<std::pair<double, int>> {
             { 0.5, 1 }, { 0.505, 1 }, { 0.52, 2 }, { 0.515, 2 }, { 0.529, 2 }, { 0.531, 3 } }) {
        DockProgress::setProgress(progress);
        EXPECT_EQ(redraws.count, count) << progress;
    }
    EXPECT_NE(QApplication::windowIcon().cacheKey(), m_plain.cacheKey());
    // Reset always ends with a redraw at 0; from 0 even a tiny step redraws.
    DockProgress::resetProgress();
    EXPECT_EQ(redraws.count, 5);
    EXPECT_EQ(DockProgress::progress(), 0);
    DockProgress::setProgress(0.001);
    EXPECT_EQ(redraws.count, 6);
    DockProgress::setProgress(1.0);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), m_plain.cacheKey());
    for (const double plain : { 1.0, 1.5, -0.2, std::nan("") }) {
        EXPECT_EQ(
            DockProgress::drawTile(m_plain, plain, DockProgress::Bar {}).cacheKey(), m_plain.cacheKey());
    }

    // Without an icon nothing is touched, tray icons included.
    QApplication::setWindowIcon(QIcon());
    const QIcon red = solidIcon(Qt::red);
    QSystemTrayIcon tray(red);
    DockProgress::addTrayIcon(&tray);
    const int before = redraws.count;
    DockProgress::setProgress(0.6);
    EXPECT_EQ(redraws.count, before);
    EXPECT_TRUE(QApplication::windowIcon().isNull());
    EXPECT_EQ(tray.icon().cacheKey(), red.cacheKey());
}

// The bar spans 20…30 up from the bottom edge: rows 98…108 from the top. A tray icon shows the overlay
// on its own image.
TEST_F(DockProgressTest, BarFillsItsShareAlongTheBottomOfEachIcon)
{
    const QImage tile = DockProgress::drawTile(m_plain, 0.5, DockProgress::Bar {}).pixmap(128, 128).toImage();
    EXPECT_EQ(tile.pixelColor(10, 103), QColor(Qt::white));
    EXPECT_LT(tile.pixelColor(100, 103).lightness(), 60);
    EXPECT_EQ(tile.pixelColor(64, 60), QColor(Qt::blue));
    EXPECT_EQ(tile.pixelColor(64, 112), QColor(Qt::blue));

    const QIcon red = solidIcon(Qt::red);
    {
        QSystemTrayIcon tray(red);
        DockProgress::addTrayIcon(&tray);
        DockProgress::setProgress(0.5);
        const QImage shown = tray.icon().pixmap(128, 128).toImage();
        EXPECT_EQ(shown.pixelColor(64, 60), QColor(Qt::red));
        EXPECT_EQ(shown.pixelColor(10, 103), QColor(Qt::white));
        DockProgress::setProgress(1.0);
        EXPECT_EQ(tray.icon().cacheKey(), red.cacheKey());
    }
    // A destroyed tray icon is let go of.
    DockProgress::setProgress(0.2);
}

TEST_F(DockProgressTest, EachStyleDrawsWhereItBelongs)
{
    QRectF customRect;
    const std::vector<std::pair<DockProgress::Style, QPoint>> cases {
        // A quarter clockwise from the top: the ring has reached the right side, not the left.
        { DockProgress::Circle { 40, Qt::red }, QPoint(104, 64) },
        { DockProgress::Squircle { std::nullopt, Qt::red }, QPoint(15, 64) },
        { DockProgress::Badge { Qt::red, [] { return 7; } }, QPoint(116, 83) },
        { DockProgress::Custom { [&](QPainter &painter, const QRectF &rect) {
             customRect = rect;
             painter.fillRect(QRectF(0, 0, 10, 10), Qt::red);
         } },
            QPoint(5, 122) },
    };
    for (const auto &[style, redAt] : cases) {
        const QImage tile = DockProgress::drawTile(m_plain, 0.3, style).pixmap(128, 128).toImage();
        const QColor seen = tile.pixelColor(redAt);
        EXPECT_GT(seen.red(), 200) << style.index();
        EXPECT_LT(seen.blue(), 60) << style.index();
    }
    EXPECT_EQ(customRect, QRectF(0, 0, 128, 128));
    const QImage circle = DockProgress::drawTile(m_plain, 0.2, DockProgress::Circle { 40, Qt::red })
                              .pixmap(128, 128)
                              .toImage();
    EXPECT_EQ(circle.pixelColor(24, 64), QColor(Qt::blue));
}

TEST(DockProgressBadgeTest, TextShortensLargeValues)
{
    for (const auto &[value, text] : std::vector<std::pair<int, const char *>> { { 0, "0" }, { -12, "-12" },
             { 999, "999" }, { 1000, "1k" }, { 1999, "1k" }, { -3500, "-3k" }, { 9999, "9k" },
             { 10000, "9k+" }, { -10000, "-9k+" }, { INT_MAX, "9k+" }, { INT_MIN, "-9k+" } }) {
        EXPECT_EQ(DockProgress::badgeText(value), QLatin1String(text)) << value;
    }
}

TEST_F(DockProgressTest, FollowsAProgressObjectUntilItEnds)
{
    Progress finishing(100);
    DockProgress::setProgressInstance(&finishing);
    finishing.setCompletedUnitCount(40);
    EXPECT_EQ(DockProgress::progress(), 0); // acted on later, on the GUI thread
    processEventsFor(10ms);
    EXPECT_DOUBLE_EQ(DockProgress::progress(), 0.4);
    finishing.setCompletedUnitCount(100);
    processEventsFor(10ms);
    EXPECT_EQ(DockProgress::progress(), 1.0);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), m_plain.cacheKey());

    Progress cancelled(10);
    DockProgress::setProgressInstance(&cancelled);
    cancelled.setCompletedUnitCount(3);
    processEventsFor(10ms);
    EXPECT_DOUBLE_EQ(DockProgress::progress(), 0.3);
    const qint64 shown = QApplication::windowIcon().cacheKey();
    cancelled.cancel();
    cancelled.setCompletedUnitCount(10);
    processEventsFor(10ms);
    EXPECT_DOUBLE_EQ(DockProgress::progress(), 0.3);
    EXPECT_EQ(QApplication::windowIcon().cacheKey(), shown);

    // The earlier object is no longer followed.
    finishing.setCompletedUnitCount(50);
    processEventsFor(10ms);
    EXPECT_DOUBLE_EQ(DockProgress::progress(), 0.3);

    DockProgress::setProgressInstance(nullptr);
    EXPECT_EQ(DockProgress::progress(), 0);
}

} // namespace
