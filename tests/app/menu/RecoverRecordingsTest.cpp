#include "app/MenuTexts.h"
#include "app/MoreMenu.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwMenu.h"

#include "FileContents.h"
#include "MenuInspection.h"
#include "ScopedEnv.h"
#include "ShownAlerts.h"
#include "StandardDefaultsTest.h"
#include "UrlOpenCatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace {

using RecoverRecordingsTest = StandardDefaultsTest;

// The first choice says where recordings wait and only then opens that folder; later choices
// open it at once. Looking leaves nothing behind in it.
TEST_F(RecoverRecordingsTest, TheTipShowsOnceBeforeTheFolderOfRecordingsOpens)
{
    UrlOpenCatcher folders;
    const std::unique_ptr<KwMenu> menu(MoreMenu::make());
    QAction *recover = findItem(*menu, MenuTexts::recoverRecordings);
    ASSERT_NE(recover, nullptr);
    const QDir parent(UniqueTemporaryDirectories::parentPath());
    const QStringList held = parent.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    ShownAlerts alerts([&] { return QString::number(folders.opened.size()); });
    for (const qsizetype choices : { 1, 2 }) {
        recover->trigger();
        EXPECT_EQ(folders.opened, QList<QUrl>(choices, QUrl::fromLocalFile(parent.path())));
    }
    ASSERT_EQ(alerts.shown.size(), 1u);
    EXPECT_EQ(alerts.shown[0].title, MenuTexts::recoverTitle);
    EXPECT_EQ(alerts.shown[0].message, MenuTexts::recoverMessage);
    EXPECT_EQ(alerts.shown[0].buttons, 1);
    EXPECT_EQ(alerts.shown[0].note, QStringLiteral("0")) << "the folder opened before the tip was read";
    EXPECT_EQ(parent.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), held);
}

TEST_F(RecoverRecordingsTest, AFolderThatCannotBeMadeIsReportedAndShown)
{
    KwApp::runOnce(QStringLiteral("recoverRecordingsTip"));
    // Neither the recordings' own place nor the fallback in the temporary folder can be made.
    QTemporaryDir dir;
    const TestSupport::ScopedEnv base(
        "TAPEWICK_TEMPORARY_BASE", TestSupport::writeFile(dir.filePath(QStringLiteral("a file"))));
    const TestSupport::ScopedEnv temporary("TMPDIR", dir.filePath(QStringLiteral("missing")));
    const CaughtErrors errors;
    UrlOpenCatcher folders;
    const ShownAlerts alerts;
    MoreMenu::recoverRecordings();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(alerts.shown.empty()) << "the tip again";
    EXPECT_TRUE(folders.opened.isEmpty()) << folders.opened.value(0).toString().toStdString();
    ASSERT_EQ(errors.presented->size(), 1u);
    EXPECT_TRUE(errors.presentedTexts().front().contains(dir.filePath(QStringLiteral("missing"))))
        << errors.presentedTexts().front().toStdString();
    EXPECT_TRUE(errors.reportedTexts().contains(errors.presentedTexts().front()));
}

} // namespace
