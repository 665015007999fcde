#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "KitTesting.h"

#include <QPushButton>

#include <atomic>
#include <thread>

using namespace Qt::StringLiterals;
using KitTesting::visible;

namespace {

// Parameters live in the coroutine frame; captures of a temporary lambda would not.
QCoro::Task<> awaitPresentation(GeneralError error, QWidget *window, std::shared_ptr<bool> finished)
{
    co_await presentAsModalAsync(error, window);
    *finished = true;
}

class ErrorPresentationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        FoundationHooks::setActivateApp([this] { ++m_activations; });
    }

    void TearDown() override
    {
        KitTesting::closeMessageBoxes();
        FoundationHooks::setActivateApp({});
    }

    static QMessageBox *waitForMessageBox()
    {
        QMessageBox *box = nullptr;
        TestSupport::processEventsUntil([&] { return (box = visible<QMessageBox>()) != nullptr; });
        return box;
    }

    static bool waitUntilDismissed()
    {
        return TestSupport::processEventsUntil([] { return visible<QMessageBox>() == nullptr; });
    }

    std::atomic<int> m_activations { 0 };
};

TEST_F(ErrorPresentationTest, ModalFromAWorkerThreadShowsOnTheGuiThreadAndRunsTheChosenRecovery)
{
    std::vector<int> chosen;
    const auto option = [&](const QString &title, int index) {
        return ErrorRecoveryAttempter::Option { title,
            [&chosen, index] { return chosen.push_back(index), true; } };
    };
    const GeneralError error(u"Could not save the recording."_s, u"Choose another folder."_s, {},
        std::nullopt, {}, { option(u"Retry"_s, 0), option(u"Show File"_s, 1) });
    std::thread([&error] { presentAsModal(error); }).join();

    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->thread(), QApplication::instance()->thread());
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->text(), u"Could not save the recording."_s);
    EXPECT_EQ(box->informativeText(), u"Choose another folder."_s);
    EXPECT_EQ(m_activations, 1);
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), u"Retry"_s);

    const auto buttons = box->buttons();
    const auto showFile = std::ranges::find(buttons, u"Show File"_s, &QAbstractButton::text);
    ASSERT_NE(showFile, buttons.end());
    (*showFile)->click();
    ASSERT_TRUE(waitUntilDismissed());
    EXPECT_EQ(chosen, std::vector<int> { 1 });
}

TEST_F(ErrorPresentationTest, SheetIsWindowModalOnItsWindowAndFallsBackWhenTheWindowIsGone)
{
    QWidget window;
    window.show();
    presentAsSheet(GeneralError(u"Sheet error"_s), &window);
    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), &window);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(m_activations, 0);
    ASSERT_EQ(box->buttons().size(), 1);
    box->buttons().first()->click();
    ASSERT_TRUE(waitUntilDismissed());

    auto *doomed = new QWidget;
    presentAsSheet(GeneralError(u"Orphan error"_s), doomed);
    delete doomed;
    box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), u"Orphan error"_s);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(m_activations, 1);
}

TEST_F(ErrorPresentationTest, AsyncPresentationFinishesOnlyOnceDismissedOrItsWindowIsDestroyed)
{
    auto finished = std::make_shared<bool>(false);
    auto task = awaitPresentation(GeneralError(u"Waiting error"_s), nullptr, finished);
    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    TestSupport::processEventsFor(std::chrono::milliseconds(50));
    EXPECT_FALSE(*finished);
    box->buttons().first()->click();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *finished; }));

    auto *window = new QWidget;
    window->show();
    auto onWindow = std::make_shared<bool>(false);
    auto windowTask = awaitPresentation(GeneralError(u"Window error"_s), window, onWindow);
    box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), window);
    delete window;
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *onWindow; }));
}

TEST_F(ErrorPresentationTest, AHookReplacesTheBuiltInAlert)
{
    QString shown;
    FoundationHooks::setPresentError([&](const ErrorPtr &error, QWidget *, std::function<void()> dismissed) {
        shown = error->localizedDescription();
        dismissed();
    });
    auto finished = std::make_shared<bool>(false);
    auto task = awaitPresentation(GeneralError(u"Hooked"_s), nullptr, finished);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *finished; }));
    FoundationHooks::setPresentError({});
    EXPECT_EQ(shown, u"Hooked"_s);
    EXPECT_EQ(visible<QMessageBox>(), nullptr);
}

} // namespace
