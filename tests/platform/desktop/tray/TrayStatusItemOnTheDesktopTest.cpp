#include "DesktopTest.h"
#include "EventLoop.h"

#include "platform/desktop/TrayStatusItem.h"

#include <QGuiApplication>
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

TEST_F(TrayStatusItemOnTheDesktopTest, TheTrayEmbedsTheItemAndItsTitleIsDrawnAtTheTraysHeight)
{
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
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

    item.button().setAttributedTitle(std::make_shared<WideTitle>());
    item.button().setImagePosition(StatusBarButton::ImagePosition::imageRight);
    TestSupport::processEventsFor(std::chrono::milliseconds(50));
    const QSize drawn = item.icon().availableSizes().value(0);
    EXPECT_EQ(drawn.height(), qRound(placed.height() * QGuiApplication::primaryScreen()->devicePixelRatio()));
    EXPECT_GT(drawn.width(), drawn.height()) << "the title is drawn beside the image";
    EXPECT_EQ(item.toolTip(), QStringLiteral("Tapewick\nRecording\n00:42"));
}

} // namespace
