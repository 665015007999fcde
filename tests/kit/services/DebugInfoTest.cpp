#include "TemporaryConfigHome.h"

#include "kit/foundation/system/FoundationHooks.h"
#include "kit/services/DebugInfo.h"
#include "kit/services/DebugLog.h"
#include "kit/services/DebugWindowController.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"
#include "kit/services/ServiceTexts.h"
#include "kit/services/SupportWindow.h"
#include "kit/ui/Buttons.h"
#include "kit/ui/MenuBarAppWindow.h"

#include "EventLoop.h"
#include "KitTesting.h"

#include "platform/userdefaults/UserDefaults.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QUrlQuery>
#include <QUuid>
#include <QWidget>

#include <gtest/gtest.h>

TEST(DebugInfo, MemoryAndMachineModelFromTheSystemsFiles)
{
    EXPECT_EQ(DebugInfo::totalMemory("MemFree: 10 kB\nMemTotal:       16777216 kB\n"), "16 GB");
    EXPECT_EQ(DebugInfo::totalMemory("MemFree: 10 kB\n"), std::nullopt);
    EXPECT_EQ(DebugInfo::totalMemory(QString()), std::nullopt);

    QTemporaryDir dmi;
    EXPECT_EQ(DebugInfo::machineModel(dmi.path()), std::nullopt);
    KitTesting::writeFile(dmi.filePath("sys_vendor"), "LENOVO\n");
    KitTesting::writeFile(dmi.filePath("product_name"), "20XW\n");
    KitTesting::writeFile(dmi.filePath("product_version"), "ThinkPad X1\n");
    EXPECT_EQ(DebugInfo::machineModel(dmi.path()), "LENOVO 20XW ThinkPad X1");
    // Placeholders are left out.
    KitTesting::writeFile(dmi.filePath("product_version"), "To be filled by O.E.M.\n");
    EXPECT_EQ(DebugInfo::machineModel(dmi.path()), "LENOVO 20XW");
}

TEST(DebugInfo, TextListsTheSystemThenTheCustomEntriesInOrder)
{
    const QStringList system = DebugInfo::text().split(QLatin1Char('\n'));
    ASSERT_EQ(system.size(), 8) << DebugInfo::text().toStdString();
    EXPECT_EQ(system[4], "Architecture: " + QSysInfo::currentCpuArchitecture());
    EXPECT_TRUE(system[5].startsWith("Machine: "));
    EXPECT_TRUE(system[6].startsWith("Memory: "));
    EXPECT_NE(system[6], "Memory: Unknown") << "this machine has a /proc/meminfo";

    KwApp::customDebugInfo().setValue("b", 2);
    KwApp::customDebugInfo().setValue("a", "one");
    const QString text = DebugInfo::text();
    KwApp::customDebugInfo().remove("a");
    KwApp::customDebugInfo().remove("b");
    EXPECT_EQ(text, system.join(QLatin1Char('\n')) + "\n\na: one\nb: 2");
}

TEST(FeedbackURL, CarriesTheProductAndTheDebugInformation)
{
    KwKit::setMetadata({ QUrl("https://example.org/tapewick"), QUrl("https://example.org/feedback"),
        QUrl("https://example.org/apps"), {} });
    KwApp::customDebugInfo().setValue("device", "USB mic");
    const QUrl url = KwApp::feedbackURL();
    KwApp::customDebugInfo().remove("device");
    EXPECT_EQ(url.adjusted(QUrl::RemoveQuery), QUrl("https://example.org/feedback"));
    const QUrlQuery query(url);
    EXPECT_EQ(query.queryItemValue("product", QUrl::FullyDecoded), KwApp::name());
    EXPECT_TRUE(query.queryItemValue("metadata", QUrl::FullyDecoded).contains("Qt: "));
    EXPECT_TRUE(query.hasQueryItem("messageField"));
    EXPECT_EQ(query.queryItemValue("extraInfo", QUrl::FullyDecoded), "device: USB mic");
}

TEST(DebugInfo, SystemEntriesComeInTheirShownOrder)
{
    const OrderedDictionary<QString, QString> entries = DebugInfo::systemEntries();
    const std::vector<QString> labels = entries.keys();
    EXPECT_EQ(labels,
        (std::vector<QString> {
            KwApp::name(), "Qt", "OS", "Kernel", "Architecture", "Machine", "Memory", "Desktop" }));
    EXPECT_EQ(entries.value(KwApp::name()), KwApp::version());
    EXPECT_EQ(DebugInfo::systemText().split('\n').front(), KwApp::name() + ' ' + KwApp::version());
}

// Puts `handler` beneath the log for as long as it lives, and then the handlers back as they were,
// the log installed or not; so does an early return of a failed assertion.
class HandlerBeneathTheLog
{
public:
    explicit HandlerBeneathTheLog(QtMessageHandler handler)
        : m_logWasInstalled(DebugLog::uninstall())
        , m_previous(qInstallMessageHandler(handler))
    { }
    ~HandlerBeneathTheLog()
    {
        DebugLog::uninstall();
        qInstallMessageHandler(m_previous);
        if (m_logWasInstalled) {
            DebugLog::install();
        }
    }
    HandlerBeneathTheLog(const HandlerBeneathTheLog &) = delete;
    HandlerBeneathTheLog &operator=(const HandlerBeneathTheLog &) = delete;

private:
    bool m_logWasInstalled;
    QtMessageHandler m_previous;
};

QStringList g_passedOn;

TEST(DebugLog, KeepsTheNewestLinesAndPassesEveryMessageOn)
{
    g_passedOn.clear();
    const HandlerBeneathTheLog beneath(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { g_passedOn << message; });
    DebugLog::install();
    DebugLog::install();
    const quint64 before = DebugLog::appendedCount();
    qWarning("first message");
    EXPECT_EQ(g_passedOn, QStringList { "first message" }) << "passed on once, however often installed";
    EXPECT_EQ(DebugLog::appendedCount(), before + 1);
    EXPECT_TRUE(DebugLog::lines().last().endsWith("first message"));

    for (int line = 0; line < DebugLog::maximumLines; ++line) {
        DebugLog::append(QString::number(line));
    }
    const QStringList kept = DebugLog::lines();
    ASSERT_EQ(kept.size(), DebugLog::maximumLines);
    EXPECT_EQ(kept.front(), "0");
    EXPECT_EQ(kept.back(), QString::number(DebugLog::maximumLines - 1));
    EXPECT_EQ(DebugLog::appendedCount(), before + 1 + DebugLog::maximumLines);
}

// The developer's window and the user's support window: one of each, on the kit's menu-bar window
// (so Ctrl+W closes it), released when closed, whichever way. What they copy carries the source
// marker, as every copy of the program does.
TEST(DebugWindow, OneOfEachKindOnTheMenuBarWindowCopiesMarkedTextAndIsReleasedWhenClosed)
{
    TemporaryConfigHome home;
    FoundationHooks::setAppIdentifier(QStringLiteral("org.example.Recorder"));
    const struct
    {
        const char *kind;
        std::function<void()> show;
        std::function<QWidget *()> window;
        QString title;
    } kinds[] = {
        { "debug", [] { SingletonWindowController::show<DebugWindowController>(false); },
            []() -> QWidget * {
                auto *controller = SingletonWindowController::existing<DebugWindowController>();
                return controller ? controller->window() : nullptr;
            },
            ServiceTexts::debugWindowTitle() },
        { "support", [] { SupportWindow::show(); }, [] { return SupportWindow::window(); },
            ServiceTexts::supportWindowTitle(KwApp::name()) },
    };
    for (const auto &kind : kinds) {
        SCOPED_TRACE(kind.kind);
        for (const bool byKeys : { false, true }) {
            kind.show();
            QPointer<QWidget> window = kind.window();
            ASSERT_TRUE(window);
            EXPECT_TRUE(qobject_cast<MenuBarAppWindow *>(window));
            EXPECT_EQ(window->windowTitle(), kind.title);
            EXPECT_TRUE(TestSupport::processEventsUntil([&] { return window->isVisible(); }));
            kind.show();
            EXPECT_EQ(kind.window(), window.data()) << "a second show brings up the same window";
            QGuiApplication::clipboard()->clear();
            for (auto *button : window->findChildren<QPushButton *>()) {
                if (button->text() == ServiceTexts::debugCopy()) {
                    button->click();
                }
            }
            const QMimeData *copied = QGuiApplication::clipboard()->mimeData();
            ASSERT_TRUE(copied);
            EXPECT_EQ(copied->text(), DebugInfo::text());
            EXPECT_EQ(copied->data("org.nspasteboard.source"), QByteArray("org.example.Recorder"));
            if (byKeys) {
                QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
            } else {
                window->close();
            }
            EXPECT_EQ(kind.window(), nullptr);
            EXPECT_TRUE(TestSupport::processEventsUntil([&] { return window.isNull(); }));
        }
    }
    FoundationHooks::setAppIdentifier({});
}

TEST(DebugWindow, ShowsTheSettingsAndTheLogAsTheyChangeAndAQuitButton)
{
    TemporaryConfigHome home;
    DebugLog::install();
    UserDefaults::standard()->setObject("before", PropertyValue(1));
    SingletonWindowController::show<DebugWindowController>(false);
    QWidget *window = SingletonWindowController::existing<DebugWindowController>()->window();
    auto *settings = window->findChild<QPlainTextEdit *>("userDefaultsText");
    auto *log = window->findChild<QPlainTextEdit *>("debugLog");
    ASSERT_TRUE(settings && log);
    EXPECT_TRUE(settings->toPlainText().contains("before = "));
    UserDefaults::standard()->setObject("after", PropertyValue(2));
    EXPECT_TRUE(
        TestSupport::processEventsUntil([&] { return settings->toPlainText().contains("after = "); }));

    // The log is redrawn on the next tick of its once-a-second schedule. The line is new also when
    // the test is repeated in one process, whose log keeps the earlier runs' lines.
    const QString line = QStringLiteral("a line for the debug window ") + QUuid::createUuid().toString();
    qWarning().noquote() << line;
    EXPECT_FALSE(log->toPlainText().contains(line));
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [&] { return log->toPlainText().contains(line); }, std::chrono::milliseconds(2500)));

    const QList<Buttons::Quit *> quit = window->findChildren<Buttons::Quit *>();
    ASSERT_EQ(quit.size(), 1);
    EXPECT_EQ(quit.front()->text(), Buttons::Quit::title(true));
    window->close();
}
