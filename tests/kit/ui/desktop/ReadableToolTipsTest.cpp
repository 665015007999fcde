#include "kit/ui/ReadableToolTips.h"

#include "EventLoop.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QString longTip = QStringLiteral(
    "Plays the input (microphone) audio on the default output audio device (speaker). Use headphones "
    "while recording for best results.");
const QString longerTip = QStringLiteral(
    "When enabled, the input (microphone) audio is played on the default output audio device (speaker) "
    "while recording. This lets you hear in real-time what's being recorded. Use headphones while "
    "recording for best results.");
const QString shortTip = QStringLiteral("Stereo");

QLabel *shownTip()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("qtooltip_label") && window->isVisible()) {
            return qobject_cast<QLabel *>(window);
        }
    }
    return nullptr;
}

// Asks `widget` for its tip at `position` as the pointer resting there does, and answers the tip
// once it shows the text.
QLabel *hover(QWidget *widget, QPoint position, const QString &text)
{
    const QPoint global = widget->mapToGlobal(position);
    QCursor::setPos(global);
    QHelpEvent help(QEvent::ToolTip, position, global);
    QApplication::sendEvent(widget, &help);
    QLabel *tip = nullptr;
    TestSupport::processEventsUntil([&] { return (tip = shownTip()) && tip->text() == text; }, 2s);
    TestSupport::processEventsFor(50ms);
    return tip && tip->text() == text ? tip : nullptr;
}

// The tip shows its whole text, no wider than the measure, on the screen and beside the pointer.
void expectReadable(const QLabel &tip, bool wraps)
{
    const int readable = tip.fontMetrics().averageCharWidth() * ReadableToolTips::readableCharacters;
    const int lineHeight = tip.fontMetrics().lineSpacing();
    EXPECT_LE(tip.contentsRect().width(), readable);
    EXPECT_LE(tip.heightForWidth(tip.width()), tip.height()) << "no line cut off";
    EXPECT_EQ(tip.contentsRect().height() >= 2 * lineHeight, wraps);
    const QRect screen = tip.screen()->geometry();
    EXPECT_TRUE(screen.contains(tip.frameGeometry())) << "on the screen";
    const QPoint pointer = QCursor::pos();
    const QRect box = tip.geometry();
    const auto gap
        = [](int point, int low, int high) { return point < low ? low - point : std::max(0, point - high); };
    EXPECT_LE(gap(pointer.x(), box.left(), box.right()), 40) << "beside the pointer";
    EXPECT_LE(gap(pointer.y(), box.top(), box.bottom()), 40) << "beside the pointer";
}

class ReadableToolTipsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { ReadableToolTips::install(); }
    void TearDown() override
    {
        QToolTip::hideText();
        TestSupport::processEventsFor(50ms);
    }
};

TEST_F(ReadableToolTipsTest, AMenuItemsLongTipWrapsBesideTheMenu)
{
    QMenu menu;
    menu.setToolTipsVisible(true);
    QAction *monitor = menu.addAction(QStringLiteral("Monitor Input"));
    monitor->setToolTip(longTip);
    QAction *whileRecording = menu.addAction(QStringLiteral("Monitor Input While Recording"));
    whileRecording->setToolTip(longerTip);
    QAction *device = menu.addAction(QStringLiteral("Test Microphone"));
    device->setToolTip(shortTip);
    // Where a tray menu opens: at the right edge of the screen, under the panel.
    const QRect screen = QApplication::primaryScreen()->geometry();
    menu.popup(QPoint(screen.right() - menu.sizeHint().width(), screen.top() + 24));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&menu));

    // One after another, as the pointer moves down the menu: a showing tip takes the next text.
    const std::tuple<QAction *, QString, bool> cases[] = {
        { monitor, longTip, true },
        { whileRecording, longerTip, true },
        { device, shortTip, false },
        { monitor, longTip, true },
    };
    for (const auto &[action, text, wraps] : cases) {
        SCOPED_TRACE(text.toStdString());
        QLabel *tip = hover(&menu, menu.actionGeometry(action).center(), text);
        ASSERT_TRUE(tip);
        expectReadable(*tip, wraps);
    }
}

TEST_F(ReadableToolTipsTest, AWidgetsLongTipWrapsToo)
{
    QPushButton button(QStringLiteral("Lossless quality"));
    button.setToolTip(longTip);
    button.move(40, 200);
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    QLabel *tip = hover(&button, button.rect().center(), longTip);
    ASSERT_TRUE(tip);
    expectReadable(*tip, true);
}

} // namespace
