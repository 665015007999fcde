#include "kit/ui/ActionTrampoline.h"
#include "kit/ui/CocoaLabel.h"
#include "kit/ui/KwCAAnimationDelegate.h"
#include "kit/ui/LabelButton.h"
#include "kit/ui/ListEditing.h"
#include "kit/ui/MacSystemSound.h"
#include "kit/ui/MenuBarAppWindow.h"
#include "kit/ui/OptionalText.h"
#include "kit/ui/ResponderChain.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "kit/ui/StaticToolbar.h"
#include "kit/ui/SyntheticEvents.h"
#include "kit/ui/TrackingArea.h"
#include "kit/ui/WindowLevel.h"
#include "kit/ui/WindowResizeObserverView.h"
#include "kit/ui/WindowViewModifier.h"
#include "kit/ui/ZeroSizeView.h"
#include "preferences/DefaultsSerializable.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <ctime>
#include <vector>

namespace {

TEST(WindowLevelTest, EveryLevelMapsToItsStackingLayerAndReadsBack)
{
    struct Case
    {
        WindowLevel level;
        bool onTop;
        bool onBottom;
    };
    const Case cases[] = {
        { WindowLevel::minimum, false, true },
        { WindowLevel::desktop, false, true },
        { WindowLevel::desktopIcon, false, true },
        { WindowLevel::backstopMenu, false, true },
        { WindowLevel::normal, false, false },
        { WindowLevel::floating, true, false },
        { WindowLevel::utility, true, false },
        { WindowLevel::overlay, true, false },
        { WindowLevel::help, true, false },
        { WindowLevel::dragging, true, false },
        { WindowLevel::assistiveTechHigh, true, false },
        { WindowLevel::shielding, true, false },
        { WindowLevel::cursor, true, false },
        { WindowLevel::maximum, true, false },
    };
    QWidget shown;
    shown.show();
    QWidget hidden;
    for (const Case &c : cases) {
        for (QWidget *window : { &shown, &hidden }) {
            setWindowLevel(window, c.level);
            EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), c.onTop) << int(c.level);
            EXPECT_EQ(window->windowFlags().testFlag(Qt::WindowStaysOnBottomHint), c.onBottom)
                << int(c.level);
            EXPECT_EQ(windowLevel(window), c.level);
        }
        // Changing flags hides a window; the level must not change whether it is shown.
        EXPECT_TRUE(shown.isVisible());
        EXPECT_FALSE(hidden.isVisible());
    }
    setWindowLevel(nullptr, WindowLevel::floating);
}

TEST(WindowViewModifierTest, ReportsNoWindowFirstThenKeepsTheHostingOne)
{
    auto *content = new QLabel(QStringLiteral("content"));
    std::vector<QWidget *> reported;
    const WindowViewModifier *modifier
        = WindowViewModifier::apply(content, [&](QWidget *window) { reported.push_back(window); });
    EXPECT_EQ(reported, std::vector<QWidget *> { nullptr });
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    layout->addWidget(content);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(reported.back(), &window);
    EXPECT_EQ(modifier->window(), &window);
}

TEST(MenuBarAppWindowTest, OnlyAWindowAllowedAboveThePanelsMayCoverThem)
{
    MenuBarAppWindow window;
    const QRect available(0, 32, 1440, 868);
    EXPECT_EQ(window.constrainFrameRect(QRect(100, -10, 400, 300), available), QRect(100, 32, 400, 300));
    EXPECT_EQ(window.constrainFrameRect(QRect(100, 40, 400, 300), available), QRect(100, 40, 400, 300));
    window.setAllowedAboveMenuBar(true);
    EXPECT_EQ(window.constrainFrameRect(QRect(100, -10, 400, 300), available), QRect(100, -10, 400, 300));
}

TEST(OptionalTextTest, NoneIsNoLabelAndAnyTextIsShownAsItStands)
{
    EXPECT_EQ(optionalText(std::nullopt), nullptr);
    const auto empty = optionalText(QString());
    ASSERT_NE(empty, nullptr);
    EXPECT_TRUE(empty->text().isEmpty());
    const auto markup = optionalText(QStringLiteral("<b>100%</b> &Save %1"));
    EXPECT_EQ(markup->textFormat(), Qt::PlainText);
    EXPECT_EQ(markup->text(), QStringLiteral("<b>100%</b> &Save %1"));
}

TEST(SecondaryTextStyleTest, SizeFollowsTheUsersTextSize)
{
    const QFont original = QApplication::font();
    QFont base = original;
    base.setPointSizeF(10);
    QApplication::setFont(base);
    QLabel label(QStringLiteral("Explanation"));
    applySecondaryTextStyle(&label, 8);
    EXPECT_DOUBLE_EQ(label.font().pointSizeF(), 8);
    QFont larger = base;
    larger.setPointSizeF(15);
    QApplication::setFont(larger);
    EXPECT_DOUBLE_EQ(label.font().pointSizeF(), 12);
    QApplication::setFont(original);
}

TEST(CocoaLabelTest, DisabledTextIsTheSecondaryColour)
{
    CocoaLabel label(QStringLiteral("<i>plain</i>"));
    const QColor primary = label.palette().color(QPalette::Active, QPalette::WindowText);
    label.setEnabled(false);
    EXPECT_EQ(
        label.palette().color(QPalette::Disabled, QPalette::WindowText), TextStyle::secondaryColor(primary));
    label.setEnabled(true);
    EXPECT_EQ(label.palette().color(QPalette::Active, QPalette::WindowText), primary);
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

TEST(WindowResizeObserverViewTest, ReportsResizesOfTheWindowItIsIn)
{
    QWidget first;
    QWidget second;
    auto *observer = new WindowResizeObserverView(&first);
    int resizes = 0;
    observer->onResize = [&] { ++resizes; };
    first.resize(200, 100);
    first.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&first));
    const int afterShow = resizes;
    first.resize(300, 150);
    EXPECT_GT(resizes, afterShow);
    observer->setParent(&second);
    const int beforeMove = resizes;
    first.resize(320, 160);
    EXPECT_EQ(resizes, beforeMove);
    second.resize(50, 50);
    second.show();
    EXPECT_GT(resizes, beforeMove);
}

TEST(StaticToolbarTest, ItemsKeepTheirOrderAndUnknownIdentifiersHaveNone)
{
    QToolBar bar;
    auto *record = new QAction(QStringLiteral("Record"));
    auto *stop = new QAction(QStringLiteral("Stop"));
    const StaticToolbar toolbar(&bar, { { "record", record }, { "stop", stop }, { "record", stop } });
    EXPECT_EQ(toolbar.itemIdentifiers(), (QList<QString> { "record", "stop" }));
    EXPECT_EQ(toolbar.item(QStringLiteral("stop")), stop);
    EXPECT_EQ(toolbar.item(QStringLiteral("pause")), nullptr);
    EXPECT_EQ(bar.actions(), (QList<QAction *> { record, stop }));
    QToolBar emptyBar;
    EXPECT_EQ(StaticToolbar(&emptyBar, {}).item(QStringLiteral("record")), nullptr);
}

TEST(TrackingAreaTest, ReportsThePointerOnlyInsideItsRectangle)
{
    QWidget view;
    view.resize(100, 100);
    std::vector<QString> seen;
    {
        TrackingArea area(&view, QRect(10, 10, 20, 20));
        QObject::connect(&area, &TrackingArea::entered, [&] { seen.push_back("entered"); });
        QObject::connect(&area, &TrackingArea::moved,
            [&](QPoint p) { seen.push_back(QStringLiteral("moved %1").arg(p.x())); });
        QObject::connect(&area, &TrackingArea::exited, [&] { seen.push_back("exited"); });
        for (const int x : { 5, 15, 20, 50 }) {
            QMouseEvent move(QEvent::MouseMove, QPointF(x, 15), QPointF(x, 15), Qt::NoButton, {}, {});
            QApplication::sendEvent(&view, &move);
        }
        QMouseEvent back(QEvent::MouseMove, QPointF(12, 12), QPointF(12, 12), Qt::NoButton, {}, {});
        QApplication::sendEvent(&view, &back);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&view, &leave);
    }
    QMouseEvent afterDrop(QEvent::MouseMove, QPointF(15, 15), QPointF(15, 15), Qt::NoButton, {}, {});
    QApplication::sendEvent(&view, &afterDrop);
    EXPECT_EQ(seen,
        (std::vector<QString> {
            "entered", "moved 15", "moved 20", "exited", "entered", "moved 12", "exited" }));
}

TEST(LabelButtonTest, ClicksPassThroughToWhatIsBehind)
{
    QWidget window;
    auto *behind = new QPushButton(&window);
    behind->setGeometry(0, 0, 100, 40);
    auto *label = new LabelButton(QStringLiteral("Label"), &window);
    label->setGeometry(0, 0, 100, 40);
    EXPECT_EQ(window.childAt(50, 20), behind);
}

TEST(ZeroSizeViewTest, TakesNoRoomInALayout)
{
    QWidget window;
    auto *layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *zero = new ZeroSizeView;
    auto *other = new QLabel(QStringLiteral("text"));
    layout->addWidget(zero);
    layout->addWidget(other);
    window.resize(200, 40);
    window.show();
    EXPECT_EQ(zero->width(), 0);
    EXPECT_EQ(other->width(), 200);
}

TEST(KwCAAnimationDelegateTest, TellsStartAndWhetherTheAnimationFinished)
{
    for (const bool runToEnd : { true, false }) {
        QVariantAnimation animation;
        animation.setStartValue(0.0);
        animation.setEndValue(1.0);
        animation.setDuration(30);
        std::vector<QString> seen;
        KwCAAnimationDelegate *delegate = KwCAAnimationDelegate::attach(&animation);
        delegate->didStartHandler = [&] { seen.push_back("start"); };
        delegate->didStopHandler = [&](bool finished) { seen.push_back(finished ? "finished" : "stopped"); };
        animation.start();
        if (runToEnd) {
            QSignalSpy finished(&animation, &QAbstractAnimation::finished);
            ASSERT_TRUE(finished.wait(2000));
        } else {
            animation.stop();
        }
        EXPECT_EQ(seen, (std::vector<QString> { "start", runToEnd ? "finished" : "stopped" }));
    }
}

TEST(ActionTrampolineTest, PassesTheCausingEventOrASyntheticClickAndKeepsOneClosure)
{
    QPushButton button(QStringLiteral("Go"));
    button.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button));
    int earlierCalls = 0;
    ActionTrampoline::attach(&button, [&](const QEvent &) { ++earlierCalls; });
    std::vector<QEvent::Type> types;
    ActionTrampoline::attach(&button, [&](const QEvent &event) { types.push_back(event.type()); });
    QTest::mouseClick(&button, Qt::LeftButton);
    button.click();
    EXPECT_EQ(types, (std::vector<QEvent::Type> { QEvent::MouseButtonRelease, QEvent::MouseButtonPress }));
    EXPECT_EQ(earlierCalls, 0);

    QAction action;
    bool triggered = false;
    ActionTrampoline::attach(
        &action, [&](const QEvent &event) { triggered = event.type() == QEvent::MouseButtonPress; });
    action.trigger();
    EXPECT_TRUE(triggered);
}

TEST(SyntheticEventsTest, ALeftClickAtTheOriginStampedWithTheRawMonotonicClock)
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC_RAW, &now);
    const quint64 before = quint64(now.tv_sec) * 1000 + quint64(now.tv_nsec) / 1'000'000;
    const auto event = syntheticMouseEvent(QEvent::MouseButtonPress);
    EXPECT_EQ(event->position(), QPointF(0, 0));
    EXPECT_EQ(event->button(), Qt::LeftButton);
    EXPECT_GE(event->timestamp(), before);
    EXPECT_LT(event->timestamp(), before + 1000);
}

TEST(ListEditingTest, MoveAndDeleteWriteOnceEachAndDeleteAfterTheMove)
{
    std::vector<int> items { 1, 2, 3, 4 };
    int writes = 0;
    const Binding<std::vector<int>> binding { [&] { return items; },
        [&](const std::vector<int> &value) {
            items = value;
            ++writes;
        },
        {} };
    const auto handlers = ListEditing::handleMoveAndDelete(binding);
    handlers.move({ 0 }, 4);
    handlers.remove({ 0 });
    EXPECT_EQ(items, (std::vector<int> { 3, 4, 1 }));
    EXPECT_EQ(writes, 2);
}

TEST(ResponderChainTest, RunsFromTheObjectUpToItsWindowOnly)
{
    QWidget owner;
    QWidget window(&owner, Qt::Window);
    QWidget panel(&window);
    QLabel label(&panel);
    EXPECT_EQ(responderChain(&label), (std::vector<QObject *> { &label, &panel, &window }));
}

TEST(MacSystemSoundTest, StoredAsItsNameAndReadBackOnlyFromAnExactName)
{
    static_assert(!isNativelySupported<MacSystemSound>);
    for (const MacSystemSound &sound : MacSystemSound::allCases()) {
        EXPECT_EQ(MacSystemSound::fromRawValue(sound.rawValue()), sound);
    }
    EXPECT_FALSE(MacSystemSound::fromRawValue(QString()).has_value());
    EXPECT_EQ(Defaults::toSerializable(MacSystemSound(MacSystemSound::basso)), PropertyValue("Basso"));
    EXPECT_EQ(Defaults::toValue<MacSystemSound>(PropertyValue("Tink")), MacSystemSound(MacSystemSound::tink));
    EXPECT_EQ(Defaults::toValue<MacSystemSound>(PropertyValue("basso")), std::nullopt);
    EXPECT_EQ(Defaults::toValue<MacSystemSound>(PropertyValue(7)), std::nullopt);
}

} // namespace
