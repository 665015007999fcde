#include "app/settings/ChooseDirectory.h"
#include "EventLoop.h"
#include "FileContents.h"
#include "app/SettingsKeys.h"
#include "app/settings/SettingsTexts.h"
#include "app/settings/WritabilityProbe.h"
#include "kit/foundation/files/FileLocations.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/panels/OpenPanel.h"
#include "kit/ui/Buttons.h"
#include "preferences/DefaultAccessor.h"

#include "HelperProcess.h"
#include "ScopedEnv.h"
#include "StandardDefaultsTest.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ChooseDirectoryTest : public StandardDefaultsTest
{
protected:
    static QString storedPath()
    {
        const auto bookmark = Defaults::get(SettingsKeys::defaultOutputDirectory());
        return bookmark ? bookmark->resolvedURL().value_or(QUrl()).toLocalFile() : QString();
    }

    // Drops the locations on the choose button as the desktop would; answers whether it took them.
    bool dropOn(ChooseDirectory &chooser, const QList<QUrl> &urls)
    {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(chooser.chooseButton(), &enter);
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(chooser.chooseButton(), &event);
        return event.isAccepted();
    }

    QString file(const QString &name) { return TestSupport::writeFile(m_root.filePath(name), "recording"); }
    QString directory(const QString &name)
    {
        EXPECT_TRUE(QDir(m_root.path()).mkpath(name));
        return m_root.filePath(name) + u'/';
    }

    // Not named as the test program's own temporary folders (`<app name>-XXXXXX`), which are refused.
    QTemporaryDir m_root { QDir::tempPath() + QStringLiteral("/choose-directory-XXXXXX") };
    ChooseDirectory m_chooser { bindingFrom(Default(SettingsKeys::defaultOutputDirectory())),
        QStringLiteral("Pick"), 160 };
};

TEST_F(ChooseDirectoryTest, ShowsTheDirectoryAndItsPathFromHomeUntilClearedAndTakesOnlyDirectoryDrops)
{
    QTemporaryDir underHome(realHomeDirectory().toLocalFile() + QStringLiteral("/Talks & Notes-XXXXXX"));
    ASSERT_TRUE(underHome.isValid());
    m_chooser.setLocation(QUrl::fromLocalFile(underHome.path()));
    const QString name = QFileInfo(underHome.path()).fileName();
    EXPECT_EQ(m_chooser.chooseButton()->text(), QString(name).replace(u'&', QStringLiteral("&&")));
    EXPECT_EQ(m_chooser.chooseButton()->toolTip(), QStringLiteral("~/") + name);
    EXPECT_FALSE(m_chooser.chooseButton()->icon().isNull());
    EXPECT_FALSE(m_chooser.clearButton()->isHidden());
    EXPECT_FALSE(m_chooser.clearButton()->icon().isNull());

    m_chooser.clearButton()->click();
    EXPECT_EQ(standard().object("defaultOutputDirectory"), std::nullopt);
    EXPECT_EQ(m_chooser.chooseButton()->text(), QStringLiteral("Choose…"));
    EXPECT_TRUE(m_chooser.chooseButton()->icon().isNull());
    EXPECT_TRUE(m_chooser.chooseButton()->toolTip().isEmpty());
    EXPECT_TRUE(m_chooser.clearButton()->isHidden());
    EXPECT_TRUE(m_chooser.clearButton()->sizePolicy().retainSizeWhenHidden());

    // Only a dropped directory is taken.
    const QString folder = directory(QStringLiteral("folder"));
    const QString other = directory(QStringLiteral("other"));
    const QString recording = file(QStringLiteral("take.m4a"));
    // A directory whose name is not UTF-8, as a file manager hands it over: percent-encoded.
    const QByteArray unnamable = QFile::encodeName(m_root.path()) + "/\xff\xfe";
    ASSERT_EQ(::mkdir(unnamable.constData(), 0700), 0);
    // QTemporaryDir cannot name it to remove it.
    const auto removeUnnamable = qScopeGuard([&] { ::rmdir(unnamable.constData()); });
    const QUrl unnamableUrl = QUrl::fromEncoded("file://" + unnamable.toPercentEncoding("/"));
    const QString notADirectory = QStringLiteral("You can only drag and drop a directory.");
    const struct
    {
        QList<QUrl> dropped;
        bool taken;
        QString stored;
        QString error;
    } cases[] = {
        { {}, false, QString(), QString() },
        { { QUrl::fromLocalFile(recording) }, false, QString(), notADirectory },
        { { QUrl(QStringLiteral("https://example.com/music/")) }, false, QString(), notADirectory },
        { { QUrl::fromLocalFile(folder) }, true, folder, QString() },
        { { QUrl::fromLocalFile(other), QUrl::fromLocalFile(folder) }, true, other, QString() },
        // A refused drop leaves what was stored.
        { { QUrl::fromLocalFile(recording), QUrl::fromLocalFile(folder) }, false, other, notADirectory },
        { { unnamableUrl }, false, other, SettingsTexts::unnamableDirectory },
    };
    for (const auto &[dropped, taken, expected, error] : cases) {
        SCOPED_TRACE(QDebug::toString(dropped).toStdString());
        EXPECT_EQ(dropOn(m_chooser, dropped), taken);
        EXPECT_EQ(storedPath(), expected);
        if (!error.isEmpty()) {
            ASSERT_TRUE(m_chooser.shownError());
            EXPECT_EQ(m_chooser.shownError()->localizedDescription().toStdString(), error.toStdString());
        }
    }

    // A path decoded from the name has replacement characters in place of its bytes, and names
    // nothing.
    for (const QUrl &chosen : { unnamableUrl, QUrl::fromLocalFile(QFile::decodeName(unnamable)) }) {
        SCOPED_TRACE(chosen.toString().toStdString());
        EXPECT_EQ(WritabilityProbe::check(chosen), WritabilityProbe::unnamableDirectoryError());
        m_chooser.setLocation(chosen);
        EXPECT_EQ(storedPath(), other);
        ASSERT_TRUE(m_chooser.shownError());
        EXPECT_EQ(m_chooser.shownError()->localizedDescription().toStdString(),
            SettingsTexts::unnamableDirectory.toStdString());
    }
}

// What is kept in the program's temporary folders is removed in time: neither they nor what is in
// them is taken, chosen or dropped. A folder of the user's own beside them is.
TEST_F(ChooseDirectoryTest, RefusesTheProgramsTemporaryFolders)
{
    const TestSupport::ScopedEnv base("TAPEWICK_TEMPORARY_BASE", m_root.path());
    const QString own = directory(QStringLiteral("own"));
    for (const QString &path : { UniqueTemporaryDirectories::parentPath(m_root.path()) + "/r",
             UniqueTemporaryDirectories::parentPath(m_root.path(), "copies") + "/c", own }) {
        ASSERT_TRUE(QDir().mkpath(path));
        for (const bool dropped : { false, true }) {
            SCOPED_TRACE(path.toStdString() + (dropped ? " dropped" : " chosen"));
            const QUrl url = QUrl::fromLocalFile(path);
            dropped ? (void)dropOn(m_chooser, { url }) : m_chooser.setLocation(url);
            EXPECT_EQ(storedPath(), path == own ? own : QString());
            if (path != own) {
                EXPECT_EQ(m_chooser.shownError(), WritabilityProbe::temporaryDirectoryError());
            }
        }
    }
}

// The panel opens where recordings go now, else at home: never in the working directory, which is
// wherever the program was started from.
TEST_F(ChooseDirectoryTest, ThePanelOpensInTheDefaultFolderElseAtHome)
{
    const QString started = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_root.path()));
    const QString kept = QDir::cleanPath(directory(QStringLiteral("kept")));
    const QString removed = QDir::cleanPath(directory(QStringLiteral("removed")));
    const struct
    {
        const char *name;
        std::optional<QString> stored;
        QString opensIn;
    } cases[] = {
        { "nothing stored", std::nullopt, QDir::homePath() },
        { "a default folder", kept, kept },
        { "a default folder removed since", removed, QDir::homePath() },
    };
    for (const auto &[name, stored, opensIn] : cases) {
        SCOPED_TRACE(name);
        if (stored) {
            m_chooser.setLocation(QUrl::fromLocalFile(*stored));
            ASSERT_EQ(QDir::cleanPath(storedPath()).toStdString(), stored->toStdString());
        }
        if (stored == removed) {
            ASSERT_TRUE(QDir(removed).removeRecursively());
        }
        m_chooser.chooseButton()->click();
        OpenPanel *panel = nullptr;
        ASSERT_TRUE(TestSupport::processEventsUntil([&] {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *shown = qobject_cast<OpenPanel *>(window); shown && shown->isVisible()) {
                    panel = shown;
                }
            }
            return panel != nullptr;
        }));
        EXPECT_EQ(panel->directory().absolutePath().toStdString(), opensIn.toStdString());
        panel->reject();
        ASSERT_TRUE(TestSupport::processEventsUntil([&] { return !panel->isVisible(); }));
    }
    QDir::setCurrent(started);
}

TEST_F(ChooseDirectoryTest, ProbeNeverTouchesWhatIsThere)
{
    const QString recording = file(QStringLiteral("take.m4a"));
    const QString folder = directory(QStringLiteral("folder"));
    ASSERT_TRUE(
        QFile::link(m_root.filePath(QStringLiteral("gone")), m_root.filePath(QStringLiteral("dangling"))));
    const QString fresh = m_root.filePath(QStringLiteral("fresh"));
    for (const QString &path : { recording, folder, fresh, m_root.filePath(QStringLiteral("dangling")) }) {
        EXPECT_EQ(WritabilityProbe::probe(QUrl::fromLocalFile(path)), nullptr) << path.toStdString();
    }
    EXPECT_EQ(TestSupport::readFile(recording), QByteArray("recording"));
    EXPECT_EQ(
        QDir(m_root.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
        QStringList({ QStringLiteral("dangling"), QStringLiteral("folder"), QStringLiteral("take.m4a") }));
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));

    const ErrorPtr missingParent = WritabilityProbe::probe(QUrl::fromLocalFile(m_root.filePath("no/such")));
    ASSERT_TRUE(missingParent);
    EXPECT_EQ(missingParent->code(), ENOENT);
}

TEST(ReadOnlyDirectoryTest, IsRefusedAndTheOldSettingKept)
{
    QTemporaryDir readOnly;
    ASSERT_TRUE(QFile::setPermissions(readOnly.path(), QFileDevice::Permissions(0x5555)));
    QTemporaryDir writable;
    ASSERT_TRUE(QFile::setPermissions(writable.path(), QFileDevice::Permissions(0x7777)));
    const HelperProcess helper;
    const std::string storedWritable = "stored: " + writable.path().toStdString() + '/';
    ASSERT_EQ(helper.run({ QStringLiteral("drop"), writable.path() }, true), "alert: Tip|" + storedWritable);

    const std::string refusal = "alert: The chosen directory is read-only and cannot be used.";
    EXPECT_EQ(helper.run({ QStringLiteral("drop"), readOnly.path() }, true), refusal + '|' + storedWritable);
    // The picker shows the same refusal and asks again; the second panel is cancelled here.
    EXPECT_EQ(helper.run({ QStringLiteral("pick"), readOnly.path() }, true),
        "panel|" + refusal + "|panel|" + storedWritable);
}

} // namespace
