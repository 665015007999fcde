#include "kit/foundation/errors/ErrorPresentation.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "EventLoop.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>

namespace {

QMessageBox *visibleMessageBox()
{
    for (QWidget *widget : QApplication::allWidgets()) {
        if (auto *box = qobject_cast<QMessageBox *>(widget); box && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

QAbstractButton *buttonTitled(QMessageBox *box, const QString &title)
{
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == title) {
            return button;
        }
    }
    return nullptr;
}

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
        while (QMessageBox *box = visibleMessageBox()) {
            box->close();
            TestSupport::processEventsFor(std::chrono::milliseconds(5));
        }
        FoundationHooks::setActivateApp({});
    }

    QMessageBox *waitForMessageBox()
    {
        QMessageBox *box = nullptr;
        TestSupport::processEventsUntil([&] { return (box = visibleMessageBox()) != nullptr; });
        return box;
    }

    std::atomic<int> m_activations { 0 };
};

TEST_F(ErrorPresentationTest, ModalFromAWorkerThreadShowsOnTheGuiThreadAndRunsTheChosenRecovery)
{
    std::vector<int> chosen;
    const GeneralError error(QStringLiteral("Could not save the recording."),
        QStringLiteral("Choose another folder."), {}, std::nullopt, {},
        { { QStringLiteral("Retry"),
              [&] {
                  chosen.push_back(0);
                  return true;
              } },
            { QStringLiteral("Show File"), [&] {
                 chosen.push_back(1);
                 return true;
             } } });
    QThread *worker = QThread::create([&error] { presentAsModal(error); });
    worker->start();
    worker->wait();
    delete worker;

    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->thread(), QApplication::instance()->thread());
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Could not save the recording."));
    EXPECT_EQ(box->informativeText(), QStringLiteral("Choose another folder."));
    EXPECT_EQ(m_activations, 1);
    ASSERT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->defaultButton()->text(), QStringLiteral("Retry"));

    QAbstractButton *showFile = buttonTitled(box, QStringLiteral("Show File"));
    ASSERT_NE(showFile, nullptr);
    showFile->click();
    ASSERT_TRUE(TestSupport::processEventsUntil([] { return visibleMessageBox() == nullptr; }));
    EXPECT_EQ(chosen, std::vector<int> { 1 });
}

TEST_F(ErrorPresentationTest, SheetIsWindowModalOnItsWindowAndFallsBackWhenTheWindowIsGone)
{
    QWidget window;
    window.show();
    presentAsSheet(GeneralError(QStringLiteral("Sheet error")), &window);
    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), &window);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(m_activations, 0);
    ASSERT_EQ(box->buttons().size(), 1);
    box->buttons().first()->click();
    ASSERT_TRUE(TestSupport::processEventsUntil([] { return visibleMessageBox() == nullptr; }));

    auto *doomed = new QWidget;
    presentAsSheet(GeneralError(QStringLiteral("Orphan error")), doomed);
    delete doomed;
    box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Orphan error"));
    EXPECT_EQ(box->parentWidget(), nullptr);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(m_activations, 1);
}

TEST_F(ErrorPresentationTest, AsyncPresentationFinishesOnlyOnceDismissed)
{
    auto finished = std::make_shared<bool>(false);
    auto task = awaitPresentation(GeneralError(QStringLiteral("Waiting error")), nullptr, finished);
    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    TestSupport::processEventsFor(std::chrono::milliseconds(50));
    EXPECT_FALSE(*finished);
    box->buttons().first()->click();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *finished; }));
}

TEST_F(ErrorPresentationTest, AsyncPresentationOnAWindowFinishesWhenTheWindowIsDestroyed)
{
    auto *window = new QWidget;
    window->show();
    auto finished = std::make_shared<bool>(false);
    auto task = awaitPresentation(GeneralError(QStringLiteral("Window error")), window, finished);
    QMessageBox *box = waitForMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), window);
    delete window;
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *finished; }));
}

TEST_F(ErrorPresentationTest, AHookReplacesTheBuiltInAlert)
{
    QString shown;
    FoundationHooks::setPresentError([&](const ErrorPtr &error, QWidget *, std::function<void()> dismissed) {
        shown = error->localizedDescription();
        dismissed();
    });
    auto finished = std::make_shared<bool>(false);
    auto task = awaitPresentation(GeneralError(QStringLiteral("Hooked")), nullptr, finished);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return *finished; }));
    FoundationHooks::setPresentError({});
    EXPECT_EQ(shown, QStringLiteral("Hooked"));
    EXPECT_EQ(visibleMessageBox(), nullptr);
}

} // namespace
