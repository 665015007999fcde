#include "kit/services/AlertBuilder.h"

#include "EventLoop.h"
#include "KitTesting.h"

#include "kit/foundation/errors/AlertIcon.h"
#include "kit/foundation/errors/AlertTextWidth.h"
#include "kit/foundation/errors/ErrorDialog.h"
#include "kit/foundation/errors/GeneralError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace std::chrono_literals;

namespace {

std::unique_ptr<QMessageBox> build(const AlertOptions &options)
{
    return std::unique_ptr<QMessageBox>(makeAlert(options));
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
    options.title = "Are you sure?";
    options.message = "Really.";
    options.buttonTitles = { "Continue Recording", "Quit" };
    options.destructiveButtonIndexes = { 1 };
    return options;
}

} // namespace

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
        { { "A", "B" }, std::nullopt, {}, 0 },
        { { "A", "B", "C" }, 2, {}, 2 },
        { { "A" }, -1, {}, -1 },
        { { "Continue", "Quit" }, std::nullopt, { 1 }, 0 },
        { { "Continue", "Quit" }, 1, { 1 }, -1 },
    };
    for (const Case &c : cases) {
        AlertOptions options;
        options.title = "Choose";
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

TEST(AlertBuilder, ShowsWhatTheOptionsSay)
{
    AlertOptions options = quitOptions();
    const auto plain = build(options);
    EXPECT_EQ(plain->text(), "Are you sure?");
    EXPECT_EQ(plain->informativeText(), "Really.");
    ASSERT_EQ(alertButtons(plain.get()).size(), 2);
    EXPECT_EQ(alertButtons(plain.get())[1]->text(), "Quit");
    EXPECT_EQ(plain->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(plain->findChild<QPlainTextEdit *>(), nullptr);
    EXPECT_EQ(plain->checkBox(), nullptr);

    options.detailText = "line 1\nline 2";
    options.showsSuppressionButton = true;
    options.minimumWidth = 500;
    options.style = AlertStyle::Critical;
    const auto alert = build(options);
    const auto *detail = alert->findChild<QPlainTextEdit *>();
    ASSERT_TRUE(detail);
    EXPECT_TRUE(detail->isReadOnly());
    EXPECT_EQ(detail->toPlainText(), "line 1\nline 2");
    ASSERT_TRUE(alert->checkBox());
    EXPECT_EQ(alert->checkBox()->text(), "Do not show this message again");
    alert->show();
    TestSupport::processEventsFor(20ms);
    EXPECT_GE(alert->width(), 500);
    options.suppressionButtonTitle = "Never again";
    EXPECT_EQ(build(options)->checkBox()->text(), "Never again");
}

// A short title does not squeeze the message into a narrow column: the message keeps the width of
// its longest line up to a readable measure, and only wraps beyond it. Errors are laid out alike.
TEST(AlertBuilder, TheMessageKeepsItsWidthUpToAReadableMeasure)
{
    const QString sentence
        = QStringLiteral("Tapewick lives in the tray (the microphone icon in your panel). ");
    const QStringList messages {
        sentence.repeated(3).trimmed(),
        QStringLiteral("Use headphones while recording."),
        QStringLiteral("A first paragraph.\n\nA second one, somewhat longer than the first, on its own."),
    };
    const std::vector<std::pair<const char *, std::function<QMessageBox *(const QString &)>>> builders {
        { "alert",
            [](const QString &message) {
                AlertOptions options;
                options.title = QStringLiteral("Welcome!");
                options.message = message;
                return makeAlert(options);
            } },
        { "error",
            [](const QString &message) {
                return ErrorDialog::create(
                    std::make_shared<GeneralError>(QStringLiteral("Failed."), message), nullptr);
            } },
    };
    for (const auto &[kind, make] : builders) {
        for (const QString &message : messages) {
            SCOPED_TRACE(testing::Message() << kind << ": " << message.toStdString());
            const std::unique_ptr<QMessageBox> alert(make(message));
            alert->show();
            TestSupport::processEventsFor(20ms);
            const auto *label = alert->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
            ASSERT_TRUE(label);
            const QFontMetrics metrics = label->fontMetrics();
            const int readable = metrics.averageCharWidth() * AlertTextWidth::readableCharacters;
            int longestLine = 0;
            for (const QString &line : message.split(u'\n')) {
                longestLine = std::max(longestLine, metrics.horizontalAdvance(line));
            }
            const int width = label->contentsRect().width();
            if (longestLine > readable) {
                EXPECT_GE(width, readable - metrics.averageCharWidth());
                EXPECT_LE(width, readable + readable / 5);
            } else {
                EXPECT_GE(width, longestLine) << "each line on one line";
            }
        }
    }
}

TEST(AlertBuilder, EachStyleShowsTheProgramsIconAndAGivenIconWins)
{
    const QIcon previous = QApplication::windowIcon();
    QPixmap program(AlertIcon::size, AlertIcon::size);
    program.fill(Qt::darkGreen);
    QApplication::setWindowIcon(QIcon(program));
    for (const auto &[style, kind] : { std::pair { AlertStyle::Warning, QMessageBox::Warning },
             std::pair { AlertStyle::Informational, QMessageBox::Information },
             std::pair { AlertStyle::Critical, QMessageBox::Critical } }) {
        AlertOptions options;
        options.style = style;
        EXPECT_EQ(build(options)->iconPixmap().toImage(), AlertIcon::forKind(kind).toImage())
            << static_cast<int>(style);
    }
    QPixmap given(AlertIcon::size, AlertIcon::size);
    given.fill(Qt::magenta);
    AlertOptions options;
    options.icon = QIcon(given);
    EXPECT_EQ(build(options)->iconPixmap().toImage(), given.toImage());
    QApplication::setWindowIcon(previous);
}

TEST(AlertBuilder, RunModalAnswersTheChosenIndex)
{
    QMessageBox *alert = makeAlert(quitOptions());
    QTimer::singleShot(0, alert, [alert] { alertButtons(alert).at(1)->click(); });
    EXPECT_EQ(runAlertModal(alert), 1);
}

TEST(AlertBuilder, PresentOnMainQueueReturnsAtOnceAndShowsLater)
{
    const auto shownAlert = [] {
        QMessageBox *box = KitTesting::visible<QMessageBox>();
        return box && box->text() == QLatin1String("Please read!") ? box : nullptr;
    };
    presentAlertOnMainQueue(nullptr, "Please read!", "Text", { "OK" });
    EXPECT_EQ(shownAlert(), nullptr);
    QString message;
    // The alert runs a loop of its own: a timer answers it from inside.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (QMessageBox *box = shownAlert()) {
            message = box->informativeText();
            alertButtons(box).first()->click();
        }
    });
    poll.start(10);
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !message.isEmpty(); }));
    EXPECT_EQ(message, "Text");
}
