#include "DesktopTest.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "Pactl.h"
#include "PulseModule.h"

#include "MenuInspection.h"
#include "app/InputDeviceMenu.h"
#include "app/MenuTexts.h"
#include "app/PreviousRecordingMenu.h"
#include "kit/foundation/files/Trash.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwMenu.h"
#include "recording/AudioDevice.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <memory>

namespace {

using namespace std::chrono_literals;

class MenuPartsOnTheDesktopTest : public TestSupport::DesktopTest
{
protected:
    void SetUp() override
    {
        TestSupport::DesktopTest::SetUp();
        m_defaultSource = TestSupport::Pactl::defaultSource();
        ASSERT_FALSE(m_defaultSource.isEmpty());
    }
    void TearDown() override
    {
        TestSupport::Pactl::run({ QStringLiteral("set-default-source"), m_defaultSource });
    }

    // The item of the source with that name, in a menu built afresh.
    QAction *deviceItem(QMenu &menu, const QString &sourceName)
    {
        menu.clear();
        const std::vector<CaptureDevice> devices = AudioCaptureDevices::audioInputDevices();
        InputDeviceMenu::addDeviceItems(&menu, devices);
        for (std::size_t index = 0; index < devices.size(); ++index) {
            if (devices[index].uniqueId == sourceName) {
                return menu.actions().at(static_cast<qsizetype>(index));
            }
        }
        return nullptr;
    }

    QString m_defaultSource;
    CaughtErrors m_errors;
};

TEST_F(MenuPartsOnTheDesktopTest, ChoosingASourceMakesItTheServersDefaultAndAGoneOneDoesNothing)
{
    auto module = TestSupport::PulseModule::loadNullSource(QStringLiteral("tapewick_menu_input"), 1);
    ASSERT_TRUE(module);
    QMenu menu;
    QAction *item = nullptr;
    // The menu shows what the server's events told, a moment after the source came.
    TestSupport::processEventsUntil(
        [&] { return (item = deviceItem(menu, QStringLiteral("tapewick_menu_input"))) != nullptr; });
    ASSERT_NE(item, nullptr) << menuRows(menu).join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(item->isChecked());
    EXPECT_EQ(item->toolTip(), MenuTexts::mono);

    item->trigger();
    EXPECT_TRUE(TestSupport::processEventsUntil(
        [&] { return deviceItem(menu, QStringLiteral("tapewick_menu_input"))->isChecked(); }));
    EXPECT_EQ(TestSupport::Pactl::defaultSource(), QStringLiteral("tapewick_menu_input"));

    // The source goes away between the menu opening and the choice.
    ASSERT_TRUE(
        TestSupport::Pactl::run({ QStringLiteral("set-default-source"), m_defaultSource }).succeeded());
    item = deviceItem(menu, QStringLiteral("tapewick_menu_input"));
    ASSERT_TRUE(module->unload());
    item->trigger();
    TestSupport::processEventsFor(100ms);
    EXPECT_EQ(TestSupport::Pactl::defaultSource(), m_defaultSource);
    EXPECT_EQ(m_errors.presentedTexts(), QStringList());
}

TEST_F(MenuPartsOnTheDesktopTest, HoveringADeviceShowsItsChannelsAsATooltip)
{
    KwMenu menu;
    QAction *item = nullptr;
    TestSupport::processEventsUntil([&] { return (item = deviceItem(menu, m_defaultSource)) != nullptr; });
    ASSERT_NE(item, nullptr) << menuRows(menu).join(QLatin1Char('|')).toStdString();

    menu.popup(QPoint(40, 40));
    ASSERT_TRUE(TestSupport::processEventsUntil([&] { return menu.isVisible(); }));
    // The pointer rests on the item, as a user's would.
    const QPoint centre = menu.actionGeometry(item).center();
    QTest::mouseMove(&menu, centre - QPoint(2, 0));
    QTest::mouseMove(&menu, centre);
    EXPECT_TRUE(TestSupport::processEventsUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), item->toolTip());
    menu.hide();
}

TEST_F(MenuPartsOnTheDesktopTest, CopyPutsAFreshCopyOnTheClipboardAndMoveToTrashTrashesTheFile)
{
    KwApp::runOnce(QStringLiteral("copyWarning"));
    // Beside the trash, so that the file goes into the home trash rather than its file system's.
    QTemporaryDir folder(QDir(qEnvironmentVariable("XDG_DATA_HOME")).filePath(QStringLiteral("menu-XXXXXX")));
    const QUrl location = QUrl::fromLocalFile(folder.filePath(QStringLiteral("Recording.wav")));
    TestSupport::writeFile(location.toLocalFile(), "RIFF not really a recording");
    std::unique_ptr<KwMenu> menu(PreviousRecordingMenu::make(location));
    // The clipboard outlives the test: an earlier copy on it would pass for this one while this
    // one is still being made, and the file would go to the trash under it.
    QApplication::clipboard()->clear();
    const auto clearClipboard = qScopeGuard([] { QApplication::clipboard()->clear(); });
    ASSERT_TRUE(QApplication::clipboard()->mimeData()->urls().isEmpty());

    findItem(*menu, MenuTexts::copy)->trigger();
    // The clipboard is read back through the X server, as another application would see it.
    QList<QUrl> copied;
    ASSERT_TRUE(TestSupport::processEventsUntil([&] {
        copied = QApplication::clipboard()->mimeData()->urls();
        return !copied.isEmpty();
    }));
    ASSERT_EQ(copied.size(), 1);
    EXPECT_NE(copied.front(), location);
    EXPECT_EQ(TestSupport::readFile(copied.front().toLocalFile()), QByteArray("RIFF not really a recording"));

    findItem(*menu, MenuTexts::moveToTrash)->trigger();
    EXPECT_FALSE(QFile::exists(location.toLocalFile()));
    EXPECT_TRUE(QFile::exists(Trash::homeTrashPath() + QStringLiteral("/files/Recording.wav")));
    EXPECT_TRUE(QFile::exists(Trash::homeTrashPath() + QStringLiteral("/info/Recording.wav.trashinfo")));
    EXPECT_EQ(m_errors.presentedTexts(), QStringList());

    // A second attempt finds nothing to trash and says so.
    findItem(*menu, MenuTexts::moveToTrash)->trigger();
    TestSupport::processEventsFor(50ms);
    EXPECT_EQ(m_errors.presented->size(), 1u) << m_errors.presentedTexts().join(u'|').toStdString();
}

} // namespace
