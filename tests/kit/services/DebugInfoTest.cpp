#include "TemporaryConfigHome.h"

#include "kit/services/DebugInfo.h"
#include "kit/services/DebugWindowController.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwKit.h"

#include "EventLoop.h"
#include "KitTesting.h"

#include "platform/userdefaults/UserDefaults.h"

#include <QPlainTextEdit>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QUrlQuery>
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

TEST(DebugWindow, ShowsTheStoredSettingsAndFollowsTheirChanges)
{
    TemporaryConfigHome home;
    UserDefaults::standard()->setObject("before", PropertyValue(1));
    DebugWindowController::shared().showWindow();
    QWidget *window = DebugWindowController::shared().window();
    ASSERT_TRUE(window);
    auto *text = window->findChild<QPlainTextEdit *>("userDefaultsText");
    ASSERT_TRUE(text);
    EXPECT_TRUE(text->toPlainText().contains("before = "));
    UserDefaults::standard()->setObject("after", PropertyValue(2));
    EXPECT_TRUE(TestSupport::processEventsUntil([&] { return text->toPlainText().contains("after = "); }));
    DebugWindowController::shared().showWindow();
    EXPECT_EQ(DebugWindowController::shared().window(), window);
    window->close();
}
