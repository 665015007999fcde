#include "kit/services/AlertBuilder.h"

#include "EventLoop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

std::unique_ptr<QMessageBox> build(const AlertOptions &options)
{
    return std::unique_ptr<QMessageBox>(makeAlert(options));
}

QStringList titles(const QMessageBox &alert)
{
    QStringList result;
    for (const QAbstractButton *button : alertButtons(&alert)) {
        result.append(button->text());
    }
    return result;
}

// Shows the alert, presses Return and answers the button it chose (none when it stays open).
QAbstractButton *pressReturn(QMessageBox &alert)
{
    alert.show();
    QTest::keyClick(&alert, Qt::Key_Return);
    TestSupport::processEventsFor(20ms);
    return alert.isVisible() ? nullptr : alert.clickedButton();
}

AlertOptions quitOptions()
{
    AlertOptions options;
    options.title = QStringLiteral("Are you sure?");
    options.message = QStringLiteral("Really.");
    options.buttonTitles = { QStringLiteral("Continue Recording"), QStringLiteral("Quit") };
    options.destructiveButtonIndexes = { 1 };
    return options;
}

} // namespace

TEST(AlertBuilder, TitleMessageAndButtonsInOrder)
{
    AlertOptions options = quitOptions();
    options.buttonTitles.append(QStringLiteral("Later"));
    const auto alert = build(options);
    EXPECT_EQ(alert->text(), QStringLiteral("Are you sure?"));
    EXPECT_EQ(alert->informativeText(), QStringLiteral("Really."));
    EXPECT_EQ(titles(*alert),
        (QStringList {
            QStringLiteral("Continue Recording"), QStringLiteral("Quit"), QStringLiteral("Later") }));
    EXPECT_EQ(alert->icon(), QMessageBox::Warning);
    EXPECT_EQ(alert->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(alert->findChild<QPlainTextEdit *>(), nullptr);
    EXPECT_EQ(alert->checkBox(), nullptr);
}

TEST(AlertBuilder, ReturnPressesTheDefaultButtonAndNeverADestructiveOne)
{
    struct Case
    {
        QStringList titles;
        std::optional<int> defaultIndex;
        QList<int> destructive;
        int pressed; // -1: Return leaves the alert open
    };
    const Case cases[] = {
        { {}, std::nullopt, {}, 0 },
        { { QStringLiteral("A"), QStringLiteral("B") }, std::nullopt, {}, 0 },
        { { QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C") }, 2, {}, 2 },
        { { QStringLiteral("A") }, -1, {}, -1 },
        { { QStringLiteral("Continue Recording"), QStringLiteral("Quit") }, std::nullopt, { 1 }, 0 },
        { { QStringLiteral("Continue Recording"), QStringLiteral("Quit") }, 1, { 1 }, -1 },
    };
    for (const Case &c : cases) {
        AlertOptions options;
        options.title = QStringLiteral("Choose");
        options.buttonTitles = c.titles;
        options.defaultButtonIndex = c.defaultIndex;
        options.destructiveButtonIndexes = c.destructive;
        const auto alert = build(options);
        const QList<QAbstractButton *> buttons = alertButtons(alert.get());
        ASSERT_EQ(buttons.size(), std::max<qsizetype>(c.titles.size(), 1));
        if (c.titles.isEmpty()) {
            EXPECT_EQ(alert->standardButton(buttons[0]), QMessageBox::Ok) << "without titles, one OK";
        }
        for (qsizetype index = 0; index < buttons.size(); ++index) {
            EXPECT_EQ(isDestructive(buttons[index]), c.destructive.contains(int(index)));
        }
        EXPECT_EQ(pressReturn(*alert), c.pressed < 0 ? nullptr : buttons[c.pressed])
            << c.titles.join(u',').toStdString();
    }
}

TEST(AlertBuilder, DetailTextSuppressionAndWidth)
{
    AlertOptions options;
    options.title = QStringLiteral("Details");
    options.detailText = QStringLiteral("line 1\nline 2");
    options.showsSuppressionButton = true;
    options.minimumWidth = 500;
    options.style = AlertStyle::Critical;
    const auto alert = build(options);
    const auto *detail = alert->findChild<QPlainTextEdit *>();
    ASSERT_TRUE(detail);
    EXPECT_TRUE(detail->isReadOnly());
    EXPECT_EQ(detail->toPlainText(), QStringLiteral("line 1\nline 2"));
    ASSERT_TRUE(alert->checkBox());
    EXPECT_EQ(alert->checkBox()->text(), QStringLiteral("Do not show this message again"));
    EXPECT_EQ(alert->icon(), QMessageBox::Critical);
    alert->show();
    TestSupport::processEventsFor(20ms);
    EXPECT_GE(alert->width(), 500);

    options.suppressionButtonTitle = QStringLiteral("Never again");
    EXPECT_EQ(build(options)->checkBox()->text(), QStringLiteral("Never again"));
}

TEST(AlertBuilder, RunModalAnswersTheChosenIndex)
{
    QMessageBox *alert = makeAlert(quitOptions());
    QTimer::singleShot(0, alert, [alert] { alertButtons(alert).at(1)->click(); });
    EXPECT_EQ(runAlertModal(alert), 1);
}

TEST(AlertBuilder, PresentOnMainQueueReturnsAtOnceAndShowsLater)
{
    presentAlertOnMainQueue(
        nullptr, QStringLiteral("Please read!"), QStringLiteral("Text"), { QStringLiteral("OK") });
    bool shown = false;
    QString message;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *box = qobject_cast<QMessageBox *>(widget);
            if (box && box->isVisible() && box->text() == QLatin1String("Please read!")) {
                shown = true;
                message = box->informativeText();
                alertButtons(box).first()->click();
            }
        }
    });
    poll.start();
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return shown; }));
    poll.stop();
    EXPECT_EQ(message, QStringLiteral("Text"));
}
