#include "kit/collections/KVOObservable.h"
#include "kit/collections/ListenOnlyPublisherObservable.h"
#include "kit/collections/ObservableValue.h"
#include "kit/collections/PublishedUnique.h"
#include "kit/collections/ViewTimer.h"

#include "EventLoop.h"

#include <gtest/gtest.h>

#include <QMenu>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Log = std::vector<QString>;

// An observable object with one unique value, as an owner would declare it.
struct Owner
{
    ObservableObjectPublisher objectWillChange;
    PublishedUnique<int> count { 1, &objectWillChange };
};

} // namespace

TEST(PublishedUnique, PublishesOnlyChangesAnnouncingThemFirst)
{
    Owner owner;
    Log log;
    const auto announced = owner.objectWillChange.sink([&] { log.push_back("will change"); });
    const auto values
        = owner.count.projectedValue().sink([&](int value) { log.push_back(QString::number(value)); });
    EXPECT_EQ(log, (Log { "1" })) << "a new subscriber gets the current value at once";

    owner.count.setValue(1);
    owner.count.modify([](int &value) {
        value += 1;
        value -= 1;
    });
    EXPECT_EQ(log, (Log { "1" }));

    owner.count.setValue(2);
    owner.count.modify([](int &value) { value *= 5; });
    EXPECT_EQ(log, (Log { "1", "will change", "2", "will change", "10" }));
    EXPECT_EQ(owner.count.value(), 10);
}

TEST(ListenOnlyPublisherObservable, AnnouncesOnTheGuiThreadLater)
{
    Events::PassthroughSubject<Events::Void> source;
    std::vector<QThread *> announcedOn;
    {
        const ListenOnlyPublisherObservable observable(source.eraseToAnyPublisher());
        const auto observation
            = observable.objectWillChange().sink([&] { announcedOn.push_back(QThread::currentThread()); });
        source.send();
        std::thread([&source] { source.send(); }).join();
        EXPECT_TRUE(announcedOn.empty());
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return announcedOn.size() == 2; }));
        EXPECT_EQ(announcedOn, (std::vector<QThread *>(2, QThread::currentThread())));

        source.send();
    }
    // Sent before the object went, delivered after: dropped.
    TestSupport::processEventsFor(10ms);
    source.send(Events::Completion<Events::Never>::finished());
    EXPECT_EQ(announcedOn.size(), 2u);

    Events::PassthroughSubject<Events::Void> direct;
    const ListenOnlyPublisherObservable2 immediate(direct.eraseToAnyPublisher());
    int announced = 0;
    const auto observation = immediate.objectWillChange().sink([&] { ++announced; });
    direct.send();
    EXPECT_EQ(announced, 1);
}

TEST(ObservableValue, AnnouncesBeforeTakingTheNewValue)
{
    Events::PassthroughSubject<int> source;
    const ObservableValue<int> observable(0, source.eraseToAnyPublisher());
    std::vector<int> seenWhenAnnounced;
    const auto observation
        = observable.objectWillChange().sink([&] { seenWhenAnnounced.push_back(observable.wrappedValue()); });
    source.send(4);
    source.send(5);
    EXPECT_EQ(seenWhenAnnounced, (std::vector<int> { 0, 4 }));
    EXPECT_EQ(observable.wrappedValue(), 5);
}

TEST(KVOObservable, FollowsAPropertyThroughItsChangeSignal)
{
    auto object = std::make_unique<QObject>();
    object->setObjectName("first");
    const KVOObservable<QString> observable(object.get(), "objectName");
    int announced = 0;
    const auto observation = observable.objectWillChange().sink([&] { ++announced; });
    EXPECT_EQ(observable.value(), "first");
    object->setObjectName("second");
    EXPECT_EQ(observable.value(), "second");
    EXPECT_EQ(announced, 1);
    object.reset();
    EXPECT_EQ(observable.value(), "second");

    QObject plain;
    EXPECT_THROW(KVOObservable<int>(&plain, "noSuchProperty"), std::invalid_argument);
}

TEST(ViewTimer, ConvertsDurationsAndCutsTheTimersIntervalToWhatItCanTake)
{
    const ViewTimer fine(250us, 100ms);
    EXPECT_DOUBLE_EQ(fine.interval(), 0.00025);
    EXPECT_EQ(fine.timerInterval(), 1) << "never a zero interval";
    const ViewTimer endless(std::chrono::nanoseconds::max());
    EXPECT_DOUBLE_EQ(endless.interval(), 9223372036.854776);
    EXPECT_EQ(endless.tolerance(), std::nullopt);
    EXPECT_EQ(endless.timerInterval(), std::numeric_limits<int>::max());
    EXPECT_FALSE(endless.wrappedValue());
}

// A real GUI-only entry point, not only the check itself: the tests' build keeps its assertions.
TEST(ViewTimerDeathTest, MadeOffTheGuiThreadStopsAnAssertingBuild)
{
#ifdef QT_NO_DEBUG
    GTEST_SKIP() << "built without assertions";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(std::thread([] { const ViewTimer timer(10ms); }).join(), "called off the GUI thread");
#endif
}

TEST(ViewTimer, KeepsTickingWhileAMenuIsOpen)
{
    const ViewTimer timer(10ms);
    std::vector<bool> valuesWhenAnnounced;
    const auto observation
        = timer.objectWillChange().sink([&] { valuesWhenAnnounced.push_back(timer.value()); });
    EXPECT_TRUE(timer.value());

    QMenu menu;
    menu.addAction("Item");
    std::size_t ticksBeforeMenu = 0;
    QTimer::singleShot(0, &menu, [&] { ticksBeforeMenu = valuesWhenAnnounced.size(); });
    QTimer::singleShot(300ms, &menu, [&menu] { menu.close(); });
    menu.exec(QPoint(0, 0));
    EXPECT_GE(valuesWhenAnnounced.size(), ticksBeforeMenu + 2) << "ticks while the menu ran its own loop";
    for (std::size_t index = 0; index < valuesWhenAnnounced.size(); ++index) {
        EXPECT_EQ(valuesWhenAnnounced[index], index % 2 == 0) << "flips at every tick, announced before";
    }
    EXPECT_FALSE(timer.wrappedValue());
}
