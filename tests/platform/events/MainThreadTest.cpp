// The GUI-thread check is an assertion, which a build without them leaves out; forced here so that
// every build tests the check itself.
#define QT_FORCE_ASSERTS

#include "platform/events/MainThread.h"
#include "platform/events/PassthroughSubject.h"

#include "EventLoop.h"

#include <QCoreApplication>
#include <QThread>

#include <QCoro/QCoroTask>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

using namespace Events;
using TestSupport::processEventsFor;
using TestSupport::processEventsUntil;

namespace {

QThread *guiThread()
{
    return QCoreApplication::instance()->thread();
}

} // namespace

TEST(MainThread, RunOnMainRunsOnTheGuiThreadOnALaterTurnInOrder)
{
    EXPECT_TRUE(isMainThread());
    bool onWorker = true;
    std::atomic<QThread *> ranOn { nullptr };
    std::thread([&] {
        onWorker = isMainThread();
        runOnMain([&] { ranOn = QThread::currentThread(); });
    }).join();
    EXPECT_FALSE(onWorker);

    std::vector<int> ran;
    for (int i = 0; i < 5; ++i) {
        runOnMain([&ran, i] { ran.push_back(i); });
    }
    EXPECT_TRUE(ran.empty()) << "not even from the GUI thread itself";
    ASSERT_TRUE(processEventsUntil([&] { return ran.size() == 5 && ranOn.load() != nullptr; }));
    EXPECT_EQ(ran, (std::vector { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(ranOn.load(), guiThread());
}

TEST(MainThreadDeathTest, GuiOnlyEntryPointsStopWhenCalledFromAnotherThread)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    ASSERT_MAIN_THREAD();
    EXPECT_DEATH(std::thread([] { ASSERT_MAIN_THREAD(); }).join(), "called off the GUI thread");
}

TEST(MainThreadDeathTest, WorkArrivingWhileTheApplicationGoesAwayIsDroppedNotRunElsewhere)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            QThread *gui = guiThread();
            std::atomic<bool> stop { false };
            std::atomic<int> ran { 0 };
            std::atomic<int> misplaced { 0 };
            std::thread worker([&] {
                while (!stop) {
                    runOnMain([&] {
                        ++ran;
                        if (QThread::currentThread() != gui || QCoreApplication::closingDown()) {
                            ++misplaced;
                        }
                    });
                }
            });
            processEventsUntil([&] { return ran > 0; });
            // This process is disposable: its application goes away under the worker's feet.
            QCoreApplication::instance()->~QCoreApplication();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stop = true;
            worker.join();
            std::_Exit(ran > 0 && misplaced == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(ReceiveOnMain, DeliversOnTheGuiThreadOnALaterTurnInSendOrder)
{
    PassthroughSubject<int> subject;
    std::vector<int> received;
    bool allOnGui = true;
    bool finished = false;
    auto c = subject.receiveOnMain().sink([&](const Completion<Never> &) { finished = true; },
        [&](int v) {
            allOnGui = allOnGui && QThread::currentThread() == guiThread();
            received.push_back(v);
        });
    constexpr int Count = 2000;
    subject.send(0);
    std::thread([&] {
        for (int i = 1; i < Count; ++i) {
            subject.send(i);
        }
    }).join();
    subject.send(Completion<Never>::finished());
    EXPECT_TRUE(received.empty()) << "not even what the GUI thread sent";
    EXPECT_FALSE(finished);

    ASSERT_TRUE(processEventsUntil([&] { return finished; }));
    EXPECT_TRUE(allOnGui);
    std::vector<int> expected(Count);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(received, expected);
}

TEST(ReceiveOnMain, CancellationDropsWhatIsStillPendingEvenFromTheHandler)
{
    PassthroughSubject<int> subject;
    std::vector<int> received, fromHandler, witness;
    bool finished = false;
    auto cancelled = subject.receiveOnMain().sink(
        [&](const Completion<Never> &) { finished = true; }, [&](int v) { received.push_back(v); });
    AnyCancellable selfCancelling;
    selfCancelling = subject.receiveOnMain().sink([&](int v) {
        fromHandler.push_back(v);
        selfCancelling.cancel();
    });
    auto kept = subject.receiveOnMain().sink([&](int v) { witness.push_back(v); });
    subject.send(1);
    subject.send(2);
    subject.send(Completion<Never>::finished());
    cancelled.cancel();

    ASSERT_TRUE(processEventsUntil([&] { return witness.size() == 2; }));
    processEventsFor(std::chrono::milliseconds(20));
    EXPECT_TRUE(received.empty());
    EXPECT_FALSE(finished);
    EXPECT_EQ(fromHandler, (std::vector { 1 }));
}

namespace {

QCoro::Task<> hopToMain(std::atomic<QThread *> &before, std::atomic<QThread *> &after)
{
    before = QThread::currentThread();
    co_await resumeOnMain();
    after = QThread::currentThread();
}

} // namespace

TEST(ResumeOnMain, ContinuesOnTheGuiThreadAtOnceWhenAlreadyThere)
{
    std::atomic<QThread *> before { nullptr };
    std::atomic<QThread *> after { nullptr };
    auto task = hopToMain(before, after);
    EXPECT_TRUE(task.isReady());
    EXPECT_EQ(after.load(), guiThread());

    before = after = nullptr;
    std::thread([&] { hopToMain(before, after); }).join();
    ASSERT_NE(before.load(), nullptr);
    EXPECT_NE(before.load(), guiThread());
    ASSERT_TRUE(processEventsUntil([&] { return after.load() != nullptr; }));
    EXPECT_EQ(after.load(), guiThread());
}
