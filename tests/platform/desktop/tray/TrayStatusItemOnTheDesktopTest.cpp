#include "DesktopTest.h"
#include "EventLoop.h"
#include "TrayIcon.h"
#include "XInput.h"

#include "platform/desktop/StatusPictures.h"
#include "platform/desktop/TrayStatusItem.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

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

// Whatever dialog waits, a click on the item opens its menu, which chooses and closes as it does
// without one; the dialog waits on. Qt holds back every click on a window that an
// application-modal dialog blocks, the item's among them.
TEST_F(TrayStatusItemOnTheDesktopTest, TheMenuOpensAndChoosesWhateverDialogWaits)
{
    using namespace std::chrono_literals;
    TrayStatusItem item;
    QPixmap image(16, 16);
    image.fill(Qt::red);
    item.button().setImage(QIcon(image));
    QMenu menu;
    QStringList chosen;
    int opened = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++opened;
        menu.clear();
        for (int i = 0; i < 4; ++i) {
            const QString title = QStringLiteral("Record %1").arg(i);
            QObject::connect(
                menu.addAction(title), &QAction::triggered, [&chosen, title] { chosen << title; });
        }
    });
    item.setMenu(&menu);
    item.setVisible(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return !item.geometry().isEmpty()
            && embeddedTrayIcon(QCoreApplication::applicationPid()) == item.geometry();
    }));
    const QPoint icon = item.geometry().center();
    const auto click = [](const QPoint &at) {
        TestSupport::xdotool({ "mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1" });
    };

    QWidget owner;
    owner.show();
    const struct
    {
        const char *name;
        std::function<std::unique_ptr<QDialog>()> make;
        // Run as alerts are, in an event loop of its own; else shown, its modality as given.
        bool ownLoop;
    } cases[] = {
        { "an alert in its own event loop",
            [] {
                auto alert = std::make_unique<QMessageBox>();
                alert->setText(QStringLiteral("Waiting"));
                return std::unique_ptr<QDialog>(std::move(alert));
            },
            true },
        { "an application-modal save dialog",
            [] {
                auto panel = std::make_unique<QFileDialog>();
                panel->setOption(QFileDialog::DontUseNativeDialog);
                panel->setAcceptMode(QFileDialog::AcceptSave);
                panel->setWindowModality(Qt::ApplicationModal);
                return std::unique_ptr<QDialog>(std::move(panel));
            },
            false },
        // Which leaves the item's clicks to Qt: they open the menu once, not twice.
        { "a dialog modal to another window alone",
            [&owner] {
                auto dialog = std::make_unique<QDialog>(&owner);
                dialog->setWindowModality(Qt::WindowModal);
                return dialog;
            },
            false },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        const std::unique_ptr<QDialog> dialog = testCase.make();
        const auto whileItWaits = [&] {
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return dialog->isVisible(); }));
            opened = 0;
            chosen.clear();
            click(icon);
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible(); })) << "no menu";
            TestSupport::processEventsFor(300ms);
            EXPECT_TRUE(menu.isVisible()) << "closed again";
            EXPECT_EQ(opened, 1);
            const QList<QAction *> actions = menu.actions();
            ASSERT_EQ(actions.size(), 4);
            click(menu.mapToGlobal(menu.actionGeometry(actions.at(2)).center()));
            EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !chosen.isEmpty(); }));
            EXPECT_EQ(chosen, QStringList { QStringLiteral("Record 2") });
            EXPECT_FALSE(menu.isVisible());

            // A second click on the item still closes the menu and chooses nothing.
            click(icon);
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible(); }));
            click(icon);
            EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !menu.isVisible(); })) << "still open";
            TestSupport::processEventsFor(300ms);
            EXPECT_FALSE(menu.isVisible()) << "opened again";
            EXPECT_EQ(opened, 2);
            EXPECT_EQ(chosen.size(), 1);
            EXPECT_TRUE(dialog->isVisible()) << "the dialog waits on";
        };
        if (testCase.ownLoop) {
            QTimer::singleShot(0, dialog.get(), [&] {
                whileItWaits();
                dialog->reject();
            });
            dialog->exec();
        } else {
            dialog->show();
            whileItWaits();
            dialog->reject();
        }
    }
}

} // namespace
