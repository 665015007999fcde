#include "DesktopTest.h"
#include "EventLoop.h"
#include "TrayIcon.h"
#include "XInput.h"

#include "platform/desktop/StatusPictures.h"
#include "platform/desktop/TrayStatusItem.h"

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QScopeGuard>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>

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

// Keeps the second XInput report of each button press from the program until it is handed on, as
// a read of the X connection that took in only the first would. XInput reports a press once for
// the device and once for the pointer it moves; Qt acts on the pointer's, the second.
class SecondPressReportHeldBack : public QAbstractNativeEventFilter
{
public:
    SecondPressReportHeldBack()
    {
        auto *connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        static constexpr char name[] = "XInputExtension";
        const std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> reply(
            xcb_query_extension_reply(
                connection, xcb_query_extension(connection, sizeof name - 1, name), nullptr),
            &std::free);
        m_extension = reply && reply->present ? reply->major_opcode : -1;
        // Called before the filters installed earlier, the item's among them.
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SecondPressReportHeldBack() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *) override
    {
        const auto *event = static_cast<const xcb_ge_generic_event_t *>(message);
        if (m_handingOn || eventType != "xcb_generic_event_t"
            || (event->response_type & 0x7f) != XCB_GE_GENERIC || event->extension != m_extension
            || event->event_type != buttonPress) {
            return false;
        }
        // The device event's window and time, as the protocol lays them out.
        quint32 window = 0;
        quint32 time = 0;
        std::memcpy(&time, static_cast<const char *>(message) + 12, sizeof time);
        std::memcpy(&window, static_cast<const char *>(message) + 24, sizeof window);
        if (window != m_window || time != m_time) {
            m_window = window;
            m_time = time;
            return false;
        }
        // With the sequence number xcb puts after the first 32 bytes.
        m_held = QByteArray(static_cast<const char *>(message), 36 + 4 * int(event->length));
        return true;
    }

    bool holds() const { return !m_held.isEmpty(); }
    quint32 window() const { return m_window; }
    // Hands the report on to the program's filters; whether one of them took it from Qt.
    bool handOn()
    {
        m_handingOn = true;
        qintptr result = 0;
        const bool taken = QAbstractEventDispatcher::instance()->filterNativeEvent(
            "xcb_generic_event_t", m_held.data(), &result);
        m_handingOn = false;
        m_held.clear();
        return taken;
    }

private:
    static constexpr quint16 buttonPress = 4;
    int m_extension = -1;
    quint32 m_window = 0;
    quint32 m_time = 0;
    QByteArray m_held;
    bool m_handingOn = false;
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

// The title read in the tooltip goes on changing while the tooltip shows, as the elapsed time does
// while the pointer rests on the item; once the pointer has left, the tooltip shows no more.
TEST_F(TrayStatusItemOnTheDesktopTest, AShownToolTipFollowsTheTitle)
{
    TrayStatusItem item;
    QPixmap image(16, 16);
    image.fill(Qt::red);
    item.button().setImage(QIcon(image));
    item.button().setAccessibilityTitle(QStringLiteral("Tapewick"));
    item.button().setTitle(QStringLiteral("00:03"));
    item.setVisible(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return !item.geometry().isEmpty()
            && embeddedTrayIcon(QCoreApplication::applicationPid()) == item.geometry();
    }));
    const QPoint center = item.geometry().center();
    // Qt starts a tooltip only from a move, and drops a move to the spot it saw last, which an
    // earlier test may have left on the item: the click on the item (which has no menu) makes the
    // centre that spot, and the pointer ends one pixel beside it.
    TestSupport::xdotool(
        { "mousemove", "0", "0", "mousemove", QString::number(center.x()), QString::number(center.y()),
            "click", "1", "mousemove", QString::number(center.x() + 1), QString::number(center.y()) });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return QToolTip::isVisible() && QToolTip::text() == QStringLiteral("Tapewick\n00:03");
    })) << "no tooltip for the item: "
        << QToolTip::text().toStdString();
    for (const QString &title :
        { QStringLiteral("00:04"), QStringLiteral("00:05"), QStringLiteral("1:00:00") }) {
        item.button().setTitle(title);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] {
            return QToolTip::isVisible() && QToolTip::text() == QStringLiteral("Tapewick\n") + title;
        })) << title.toStdString()
            << " not shown; the tooltip reads " << QToolTip::text().toStdString();
    }

    TestSupport::xdotool({ "mousemove", "0", "0" });
    ASSERT_TRUE(TestSupport::processEventsUntil([] { return !QToolTip::isVisible(); }));
    item.button().setTitle(QStringLiteral("1:00:01"));
    TestSupport::processEventsFor(std::chrono::milliseconds(100));
    EXPECT_FALSE(QToolTip::isVisible()) << "shown again without the pointer on the item";
    EXPECT_EQ(item.toolTip(), QStringLiteral("Tapewick\n1:00:01"));
}

// Bringing the program forward asks each of its shown windows for the keyboard focus, the item's
// among them while nothing else shows. The item's window lies in the tray: it never takes the
// focus, or the tray's end of it would leave the display with none.
TEST_F(TrayStatusItemOnTheDesktopTest, AskedToComeForwardTheItemLeavesTheKeyboardFocusWhereItWas)
{
    TrayStatusItem item;
    QPixmap image(16, 16);
    image.fill(Qt::red);
    item.button().setImage(QIcon(image));
    item.setVisible(true);
    // Qt activates a window only once it knows it is on the screen, and until then puts it off.
    const auto shownWindows = [] {
        QWindowList shown;
        for (QWindow *window : QGuiApplication::topLevelWindows()) {
            if (window->isVisible()) {
                shown.append(window);
            }
        }
        return shown;
    };
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        const QWindowList shown = shownWindows();
        return !item.geometry().isEmpty() && !shown.isEmpty()
            && std::ranges::all_of(shown, [](const QWindow *window) { return window->isExposed(); });
    })) << "the tray host never embedded the item";
    auto *connection = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    // Asked on Qt's own connection, so after every request the program made on it.
    const auto focus = [connection] {
        const std::unique_ptr<xcb_get_input_focus_reply_t, decltype(&std::free)> reply(
            xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr), &std::free);
        return reply ? std::optional(reply->focus) : std::nullopt;
    };
    const std::optional<xcb_window_t> before = focus();
    ASSERT_TRUE(before.has_value());
    // Taken into the tray, the focus would end with the item: the tests after this one need it back.
    const auto giveBack = qScopeGuard([&] {
        if (focus() != before) {
            xcb_set_input_focus(connection, XCB_INPUT_FOCUS_POINTER_ROOT, *before, XCB_CURRENT_TIME);
            xcb_flush(connection);
        }
    });
    for (QWindow *window : shownWindows()) {
        window->raise();
        window->requestActivate();
    }
    EXPECT_EQ(focus(), before);
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

// The pointer's report of the press that opened the menu over a dialog may be read only once the
// menu is up; Qt, no longer holding back clicks on the item then, would take it for a click outside
// the menu and close it.
TEST_F(TrayStatusItemOnTheDesktopTest, ThePressReadAgainOnceTheMenuIsUpOverADialogLeavesItOpen)
{
    TrayStatusItem item;
    QPixmap image(16, 16);
    image.fill(Qt::red);
    item.button().setImage(QIcon(image));
    QMenu menu;
    int opened = 0;
    QObject::connect(&menu, &QMenu::aboutToShow, [&] {
        ++opened;
        menu.clear();
        menu.addAction(QStringLiteral("Record"));
    });
    item.setMenu(&menu);
    item.setVisible(true);
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        return !item.geometry().isEmpty()
            && embeddedTrayIcon(QCoreApplication::applicationPid()) == item.geometry();
    }));
    QDialog dialog;
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return dialog.isVisible(); }));
    SecondPressReportHeldBack reports;

    const QPoint icon = item.geometry().center();
    TestSupport::xdotool({ "mousemove", QString::number(icon.x()), QString::number(icon.y()), "click", "1" });
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible() && reports.holds(); }))
        << "menu shown " << menu.isVisible() << ", second report " << reports.holds();
    QWindow *const iconWindow = [&]() -> QWindow * {
        for (QWindow *window : QGuiApplication::allWindows()) {
            if (window->handle() && window->winId() == reports.window()) {
                return window;
            }
        }
        return nullptr;
    }();
    ASSERT_NE(iconWindow, nullptr);
    if (!reports.handOn()) {
        // Not taken: Qt handles it, as it does every press the filters leave it.
        QTest::mousePress(
            iconWindow, Qt::LeftButton, {}, QPoint(iconWindow->width() / 2, iconWindow->height() / 2));
    }
    TestSupport::processEventsFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(menu.isVisible()) << "closed by the press that opened it";
    EXPECT_EQ(opened, 1);
    menu.close();
}

} // namespace
