#include "EventLoop.h"
#include "LoopbackServer.h"
#include "UrlOpenCatcher.h"

#include "kit/services/CrashReporting.h"
#include "kit/services/ServiceTexts.h"
#include "kit/ui/HostingWindow.h"
#include "kit/ui/Pasteboard.h"
#include "kit/ui/SecondaryTextStyle.h"
#include "kit/ui/WindowLevel.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

// A client in `dir` whose previous run died of a segfault, started.
std::unique_ptr<CrashReportClient> clientAfterACrash(
    const QTemporaryDir &dir, const QString &dsn, bool crashed = true)
{
    if (crashed) {
        QFile marker(dir.filePath(QStringLiteral("crashed")));
        EXPECT_TRUE(marker.open(QIODevice::WriteOnly));
        marker.write(QByteArray::number(SIGSEGV) + ' '
            + QByteArray::number(QDateTime::currentSecsSinceEpoch()) + '\n');
    }
    CrashReportOptions options;
    options.databasePath = dir.path();
    options.dsn = dsn;
    auto client = std::make_unique<CrashReportClient>(options);
    client->start();
    EXPECT_EQ(client->crashedLastRun(), crashed);
    return client;
}

QStringList buttonTitles(const QWidget *screen)
{
    QStringList titles;
    for (const QPushButton *button : screen->findChildren<QPushButton *>()) {
        titles << button->text();
    }
    return titles;
}

QPushButton *button(const QWidget *screen, const QString &title)
{
    for (QPushButton *candidate : screen->findChildren<QPushButton *>()) {
        if (candidate->text() == title) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

// With nowhere to send to, the window neither asks for an account of the crash nor offers to
// send one: it says where the report lies and hands it over.
TEST(CrashReportWindow, WithoutAnAddressSaysWhereTheReportIsKeptAndAsksForNothing)
{
    const struct
    {
        const char *name;
        QString dsn;
        bool crashed;
        QStringList buttons;
    } cases[] = {
        { "no address", {}, true,
            { ServiceTexts::crashReportCopy(), ServiceTexts::crashReportOpenFolder(),
                ServiceTexts::crashReportClose() } },
        // Plain http to another machine is refused, so nothing is sent there either.
        { "a refused address", QStringLiteral("http://publickey@example.org/42"), true,
            { ServiceTexts::crashReportCopy(), ServiceTexts::crashReportOpenFolder(),
                ServiceTexts::crashReportClose() } },
        // No report of its own to copy, but the folder holds what else waits.
        { "no report stored", {}, false,
            { ServiceTexts::crashReportOpenFolder(), ServiceTexts::crashReportClose() } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        const auto client = clientAfterACrash(dir, c.dsn, c.crashed);
        ASSERT_FALSE(client->isEnabled());
        QPointer<HostingWindow> window = CrashReportWindow::make(QStringLiteral("abc"), *client);
        window->show();
        CrashReportScreen *screen = qobject_cast<CrashReportScreen *>(window->content());
        ASSERT_TRUE(screen);
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return !titlebarButtonsVisible(window); }));

        EXPECT_FALSE(screen->asksToSend());
        EXPECT_TRUE(screen->findChildren<QLineEdit *>().isEmpty());
        EXPECT_TRUE(screen->findChildren<QPlainTextEdit *>().isEmpty());
        EXPECT_EQ(buttonTitles(screen), c.buttons);
        const auto *folder = screen->findChild<QLabel *>(QStringLiteral("crashReportFolder"));
        ASSERT_TRUE(folder);
        EXPECT_EQ(folder->text(), QDir::toNativeSeparators(dir.filePath(QStringLiteral("outbox"))));
        EXPECT_TRUE(folder->textInteractionFlags() & Qt::TextSelectableByMouse) << "the path can be copied";
        // The explanations are in the secondary style, the path in its small size.
        EXPECT_DOUBLE_EQ(folder->font().pointSizeF(), TextStyle::smallSystemFontSize());
        EXPECT_LT(folder->palette().color(QPalette::WindowText).alphaF(), 1.0);

        if (c.crashed) {
            QApplication::clipboard()->clear();
            button(screen, ServiceTexts::crashReportCopy())->click();
            const QString copied = QApplication::clipboard()->text();
            EXPECT_TRUE(copied.contains(QStringLiteral("Signal %1").arg(SIGSEGV))) << copied.toStdString();
            EXPECT_FALSE(copied.contains(QDir::homePath())) << "copied as it would be sent";
            EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasFormat(PasteboardType::source))
                << "marked as every copy of the program is";
            EXPECT_EQ(screen->statusLine()->text(), ServiceTexts::crashReportCopied());
            // The window grows by the new line; no explanation is squeezed for it.
            const auto unsqueezed = [&] {
                const QList<QLabel *> labels = screen->findChildren<QLabel *>();
                return std::ranges::all_of(labels, [](const QLabel *label) {
                    return !label->isVisible() || label->height() >= label->heightForWidth(label->width());
                });
            };
            EXPECT_TRUE(TestSupport::processEventsUntil(unsqueezed, 1s));

            // Gone from the folder: said, and the clipboard keeps what it had.
            QFile::remove(client->crashReportFile());
            button(screen, ServiceTexts::crashReportCopy())->click();
            EXPECT_EQ(screen->statusLine()->text(), ServiceTexts::crashReportGone());
            EXPECT_EQ(QApplication::clipboard()->text(), copied);
        }

        UrlOpenCatcher fileManager;
        button(screen, ServiceTexts::crashReportOpenFolder())->click();
        EXPECT_EQ(fileManager.opened, QList { QUrl::fromLocalFile(dir.filePath(QStringLiteral("outbox"))) });

        button(screen, ServiceTexts::crashReportClose())->click();
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return window.isNull(); }))
            << "closed and released";
    }
}

// With an address, "Send" sends the account on the crash's event and closes the window once the
// service has taken it; a report that does not arrive is said in the window, which stays open.
TEST(CrashReportWindow, WithAnAddressSendsAndSaysWhenTheReportDoesNotArrive)
{
    const struct
    {
        const char *name;
        int status; // 0: nobody listens
        bool closes;
        QString says; // part of the status line
        bool kept;
    } cases[] = {
        { "taken", 200, true, {}, false },
        { "service busy", 503, false, QStringLiteral("status 503"), true },
        { "refused for good", 400, false, QStringLiteral("status 400"), false },
        { "nobody listens", 0, false, QStringLiteral("refused"), true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<LoopbackServer> server(std::in_place);
        const quint16 port = server->port();
        if (c.status == 0) {
            server.reset();
        } else {
            server->setStatus(c.status);
        }
        QTemporaryDir dir;
        const auto client
            = clientAfterACrash(dir, QStringLiteral("http://publickey@127.0.0.1:%1/42").arg(port));
        ASSERT_TRUE(client->isEnabled());
        QPointer<HostingWindow> window = CrashReportWindow::make(QStringLiteral("abc"), *client);
        EXPECT_EQ(window->options().constrainWindowToScreen, false);
        EXPECT_EQ(window->options().canBecomeKey, true);
        EXPECT_EQ(window->options().closeOnEscape, false);
        window->show();
        CrashReportScreen *screen = qobject_cast<CrashReportScreen *>(window->content());
        ASSERT_TRUE(screen);
        ASSERT_TRUE(screen->asksToSend());
        EXPECT_EQ(buttonTitles(screen),
            (QStringList { ServiceTexts::crashReportSend(), ServiceTexts::crashReportDontSend() }));
        QPushButton *send = button(screen, ServiceTexts::crashReportSend());
        EXPECT_FALSE(send->isEnabled()) << "nothing to send without comments";
        screen->nameField()->setText(QStringLiteral(" Ann "));
        screen->emailField()->setText(QStringLiteral("ann@example.org"));
        screen->commentsField()->setPlainText(QStringLiteral("  "));
        EXPECT_FALSE(send->isEnabled());
        screen->commentsField()->setPlainText(QStringLiteral(" I pressed stop. "));
        ASSERT_TRUE(send->isEnabled());
        send->click();
        EXPECT_FALSE(send->isEnabled()) << "one report per answer";

        if (c.closes) {
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return window.isNull(); }, 10s));
            // The crash's own report goes at the start, the answer on its own.
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return server->requests().size() >= 2; }));
            const QList<LoopbackServer::Request> &requests = server->requests();
            ASSERT_EQ(requests.size(), 2);
            const auto answer = std::ranges::find_if(
                requests, [](const auto &request) { return request.body.contains("user_report"); });
            ASSERT_NE(answer, requests.end());
            for (const char *part : { R"("type":"user_report")", R"("event_id":"abc")",
                     R"("comments":"I pressed stop.")", R"("name":"Ann")", R"("email":"ann@example.org")" }) {
                EXPECT_TRUE(answer->body.contains(part)) << part;
            }
            continue;
        }
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return screen->statusLine()->text().contains(c.says); }, 40s))
            << screen->statusLine()->text().toStdString();
        EXPECT_TRUE(screen->statusLine()->isVisible());
        EXPECT_FALSE(window.isNull()) << "a failure is not closed away";
        EXPECT_FALSE(send->isEnabled()) << "a kept report would go twice";
        const QString folder = QDir::toNativeSeparators(dir.filePath(QStringLiteral("outbox")));
        EXPECT_EQ(screen->statusLine()->text().contains(folder), c.kept)
            << screen->statusLine()->text().toStdString();
        EXPECT_EQ(buttonTitles(screen).last(), ServiceTexts::crashReportClose());
        button(screen, ServiceTexts::crashReportClose())->click();
        EXPECT_TRUE(TestSupport::processEventsUntil([&] { return window.isNull(); }));
    }
}
