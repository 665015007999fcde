#include "app/PreviousRecordingMenu.h"
#include "Command.h"
#include "EventLoop.h"
#include "FakeUrlHandler.h"
#include "FileContents.h"
#include "MenuInspection.h"
#include "ScopedEnv.h"
#include "StandardDefaultsTest.h"
#include "app/MenuTexts.h"
#include "app/SettingsKeys.h"
#include "kit/foundation/files/TemporaryCopies.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/InstalledApps.h"
#include "kit/services/KwApp.h"
#include "kit/services/KwMenu.h"
#include "kit/services/MenuItems.h"
#include "kit/services/SystemShareMenu.h"
#include "kit/ui/Pasteboard.h"
#include "platform/desktop/DBusMenuExporter.h"
#include "platform/desktop/DesktopLauncher.h"
#include "platform/desktop/GreyedReason.h"
#include "platform/desktop/ShareServices.h"
#include "preferences/Defaults.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QTemporaryDir>
#include <QThreadPool>

#include <memory>
#include <optional>

namespace {

// A silent 16-bit mono WAV file of the given length at 8 kHz: 16 000 bytes a second.
void writeSilence(const QString &path, int seconds)
{
    const TestSupport::CommandResult made = TestSupport::runCommand(QStringLiteral("gst-launch-1.0"),
        { "-q", "audiotestsrc", "wave=silence", "samplesperbuffer=800",
            QStringLiteral("num-buffers=%1").arg(seconds * 10), "!",
            "audio/x-raw,format=S16LE,rate=8000,channels=1", "!", "wavenc", "!", "filesink",
            QStringLiteral("location=\"%1\"").arg(path) });
    ASSERT_TRUE(made.succeeded()) << made.describe().toStdString();
}

// Lets the worker threads finish and their answers reach the menus.
void settle()
{
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The rows of the length and size: the two below the name and its separator.
QStringList infoRowsOf(const QMenu &menu)
{
    const QStringList rows = menuRows(menu);
    return rows.mid(rows.indexOf(QStringLiteral("-")) + 1, 2);
}

// What the one share service the tests register (services stay for the process's life) was
// handed last; it offers itself only while `offered`.
struct Catcher
{
    QList<QUrl> shared;
    bool offered = true;
};

Catcher &catcher()
{
    static Catcher catcher;
    [[maybe_unused]] static const bool registered
        = (ShareServices::registerService(
               { QStringLiteral("Catcher"), QIcon(), [](const QList<QUrl> &) { return catcher.offered; },
                   [](const QList<QUrl> &items) { catcher.shared = items; } }),
            true);
    return catcher;
}

bool isCopy(const QUrl &url)
{
    return url.toLocalFile().startsWith(
        TemporaryCopies::parentPath(UniqueTemporaryDirectories::defaultBase()) + u'/');
}

class PreviousRecordingMenuTest : public StandardDefaultsTest
{
protected:
    void SetUp() override
    {
        StandardDefaultsTest::SetUp();
        // The warning is a modal alert; the copy is what is checked here.
        KwApp::runOnce(QStringLiteral("copyWarning"));
        // Share offers a service whatever the machine has installed.
        catcher().offered = true;
        m_location = QUrl::fromLocalFile(
            m_dir.filePath(QStringLiteral("Audio Recording 2024-01-01 at 10.00.00.wav")));
        writeSilence(m_location.toLocalFile(), 2);
    }
    void TearDown() override
    {
        InstalledApps::setAppURLOverride({});
        catcher().offered = true;
        StandardDefaultsTest::TearDown();
    }

    QStringList rows(const QUrl &location)
    {
        std::unique_ptr<KwMenu> menu(PreviousRecordingMenu::make(location));
        settle();
        return menuRows(*menu);
    }

    QTemporaryDir m_dir;
    QUrl m_location;
};

TEST_F(PreviousRecordingMenuTest,
    ShowsTheFileOffersTranscriptionOnlyWithTheAppInstalledAndLeavesOutWhatCannotBeRead)
{
    const QStringList commands { QStringLiteral("-"), MenuTexts::copy, MenuTexts::share,
        MenuTexts::showInFolder };
    const QStringList ending { QStringLiteral("-"), MenuTexts::clear, MenuTexts::moveToTrash };
    const QStringList header { QStringLiteral("(Audio Recording)"), QStringLiteral("(2024-01-01 at)"),
        QStringLiteral("(10.00.00.wav)") };
    InstalledApps::setAppURLOverride([](const QString &) { return std::nullopt; });
    EXPECT_EQ(rows(m_location),
        header + QStringList({ QStringLiteral("-"), QStringLiteral("(2 sec)"), QStringLiteral("(32 KB)") })
            + commands + ending);

    InstalledApps::setAppURLOverride([](const QString &id) -> std::optional<QUrl> {
        return id == QLatin1String(PreviousRecordingMenu::transcriptionAppId)
            ? std::optional(QUrl(QStringLiteral("file:///quillo.desktop")))
            : std::nullopt;
    });
    EXPECT_EQ(rows(m_location).mid(header.size() + 3, 5), commands + QStringList { MenuTexts::transcribe });

    // Clear forgets the recording without deleting it.
    Defaults::set(SettingsKeys::previousRecording(), std::optional(SandboxURLBookmark::fromURL(m_location)));
    std::unique_ptr<KwMenu> menu(PreviousRecordingMenu::make(m_location));
    findItem(*menu, MenuTexts::clear)->trigger();
    EXPECT_EQ(Defaults::get(SettingsKeys::previousRecording()), std::nullopt);
    EXPECT_TRUE(QFile::exists(m_location.toLocalFile()));

    // A length that cannot be read is left out, and a missing file's size is zero.
    const QString garbled
        = TestSupport::writeFile(m_dir.filePath(QStringLiteral("garbled.m4a")), QByteArray(500, 'x'));
    const std::pair<QUrl, QString> cases[] = {
        { QUrl::fromLocalFile(garbled), QStringLiteral("(500 bytes)") },
        { QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.m4a"))), QStringLiteral("(Zero KB)") },
    };
    for (const auto &[location, size] : cases) {
        QMenu menu;
        PreviousRecordingMenu::addInfoItems(&menu, location);
        settle();
        EXPECT_EQ(menuRows(menu), QStringList { size }) << location.toString().toStdString();
    }
}

TEST_F(PreviousRecordingMenuTest, OpeningWaitsForNeitherTheLengthNorACopy)
{
    const QStringList sizeOnly { QStringLiteral("(32 KB)") };
    const QStringList lengthAndSize { QStringLiteral("(2 sec)"), QStringLiteral("(32 KB)") };
    // The rows below the name and its separator.
    const auto infoRows = [](const KwMenu &menu) { return infoRowsOf(menu); };

    QList<QUrl> *shared = &catcher().shared;
    shared->clear();
    // The length is read on a worker thread: the menu has only the size until its answer is in.
    std::unique_ptr<KwMenu> first(PreviousRecordingMenu::make(m_location));
    EXPECT_EQ(infoRows(*first), sizeOnly + QStringList { QStringLiteral("-") });
    settle();
    EXPECT_EQ(infoRows(*first), lengthAndSize);

    // The unchanged file's length is known at once; a changed one is read again.
    std::unique_ptr<KwMenu> again(PreviousRecordingMenu::make(m_location));
    EXPECT_EQ(infoRows(*again), lengthAndSize);
    writeSilence(m_location.toLocalFile(), 3);
    std::unique_ptr<KwMenu> changed(PreviousRecordingMenu::make(m_location));
    EXPECT_EQ(infoRows(*changed), QStringList({ QStringLiteral("(48 KB)"), QStringLiteral("-") }));
    settle();
    EXPECT_EQ(infoRows(*changed), QStringList({ QStringLiteral("(3 sec)"), QStringLiteral("(48 KB)") }));

    const auto *share = qobject_cast<SystemShareMenu *>(findItem(*changed, MenuTexts::share)->menu());
    ASSERT_NE(share, nullptr);
    EXPECT_EQ(share->shareItems(), QList<QUrl> { m_location });
    // Share matches services against the saved file and hands the chosen one a fresh copy.
    QAction *catcher = findItem(*share, QStringLiteral("Catcher"));
    ASSERT_NE(catcher, nullptr);
    catcher->trigger();
    EXPECT_TRUE(shared->isEmpty());
    settle();
    ASSERT_EQ(shared->size(), 1);
    EXPECT_EQ(shared->front().fileName(), m_location.fileName());
    EXPECT_NE(shared->front().adjusted(QUrl::RemoveFilename), m_location.adjusted(QUrl::RemoveFilename));
    QFile copy(shared->front().toLocalFile());
    EXPECT_EQ(copy.size(), QFileInfo(m_location.toLocalFile()).size());
    // The service may read it at any time: it stays whatever the clipboard does.
    EXPECT_TRUE(isCopy(shared->front())) << shared->front().toString().toStdString();
    Pasteboard::copyString(QStringLiteral("other"));
    settle();
    EXPECT_TRUE(copy.exists());
}

// Copies lie apart from the recordings to recover; one on the clipboard goes once the clipboard
// offers other content, the next copy's or anyone else's.
TEST_F(PreviousRecordingMenuTest, ClipboardCopiesLieApartFromRecordingsAndGoOnceNoLongerOffered)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto copied = [&] {
        settle();
        const QMimeData *data = clipboard->mimeData();
        return data && data->hasUrls() ? data->urls().value(0) : QUrl();
    };
    const QDir recordings(UniqueTemporaryDirectories::parentPath());
    const QStringList waiting = recordings.entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    PreviousRecordingMenu::copyToClipboard(m_location);
    const QUrl first = copied();
    ASSERT_TRUE(isCopy(first)) << first.toString().toStdString();
    EXPECT_EQ(first.fileName(), m_location.fileName());
    EXPECT_TRUE(QFileInfo::exists(first.toLocalFile()));
    EXPECT_EQ(recordings.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), waiting);

    PreviousRecordingMenu::copyToClipboard(m_location);
    const QUrl second = copied();
    ASSERT_TRUE(isCopy(second)) << second.toString().toStdString();
    EXPECT_NE(second, first);
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(first.toLocalFile()).path()));
    EXPECT_TRUE(QFileInfo::exists(second.toLocalFile()));

    // Other content of the same URL keeps it readable; anything else lets it go.
    Pasteboard::copyUrl(second);
    settle();
    EXPECT_TRUE(QFileInfo::exists(second.toLocalFile()));
    Pasteboard::copyString(QStringLiteral("other"));
    settle();
    EXPECT_FALSE(QFileInfo::exists(QFileInfo(second.toLocalFile()).path()));
    EXPECT_EQ(recordings.entryList(QDir::AllEntries | QDir::NoDotAndDotDot), waiting);
}

// A share service is handed a copy of every item or nothing: when one cannot be copied, that is
// said, and the copies made before it go.
TEST_F(PreviousRecordingMenuTest, AShareThatCannotCopyAnItemLeavesNoCopyBehind)
{
    const QUrl missing = QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("gone.wav")));
    const auto copies = [] {
        const std::optional<QString> directory = TemporaryCopies::shared().directory();
        return directory ? QDir(*directory).entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                         : QStringList();
    };
    const auto alert = [] { return qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); };
    const struct
    {
        const char *name;
        QList<QUrl> items;
        qsizetype shared;
    } cases[] = {
        { "both copied", { m_location, m_location }, 2 },
        { "the second one missing", { m_location, missing }, 0 },
    };
    for (const auto &[name, items, sharedCount] : cases) {
        SCOPED_TRACE(name);
        const QStringList before = copies();
        QList<QUrl> shared;
        QCoro::waitFor(PreviousRecordingMenu::shareFreshCopies(
            items, [&](const QList<QUrl> &handed) { shared = handed; }));
        if (sharedCount == 0) {
            ASSERT_TRUE(TestSupport::processEventsUntil([&] { return alert() != nullptr; }));
            EXPECT_TRUE(alert()->text().contains(missing.fileName())) << alert()->text().toStdString();
            alert()->close();
        }
        EXPECT_EQ(alert(), nullptr);
        ASSERT_EQ(shared.size(), sharedCount);
        EXPECT_EQ(copies().size(), before.size() + sharedCount);
        for (const QUrl &copy : std::as_const(shared)) {
            EXPECT_TRUE(isCopy(copy)) << copy.toString().toStdString();
            TemporaryCopies::shared().remove(copy);
        }
        EXPECT_EQ(copies(), before);
    }
}

// Without a service that can share the recording, Share says why instead of opening empty. Mail
// needs a mail program: xdg-email alone, which most desktops have, sends nothing.
TEST_F(PreviousRecordingMenuTest, ShareIsDisabledAndSaysWhyWithoutAService)
{
    QTemporaryDir bin;
    const QString composer = TestSupport::writeFile(bin.filePath(QStringLiteral("xdg-email")), "#!/bin/sh\n");
    ASSERT_TRUE(QFile::setPermissions(composer, QFile::ReadOwner | QFile::ExeOwner));
    QTemporaryDir empty;
    const struct
    {
        const char *name;
        QString path;
        bool mailProgram;
        bool catcherOffered;
        QStringList entries;
    } cases[] = {
        { "xdg-email without a mail program", bin.path(), false, false, {} },
        { "a mail program without xdg-email", empty.path(), true, false, { QStringLiteral("Email") } },
        { "a registered service", empty.path(), false, true, { QStringLiteral("Catcher") } },
    };
    for (const auto &[name, path, mailProgram, catcherOffered, entries] : cases) {
        SCOPED_TRACE(name);
        const TestSupport::ScopedEnv searched("PATH", path);
        std::optional<TestSupport::FakeUrlHandler> mail;
        if (mailProgram) {
            mail.emplace(QStringLiteral("FakeMail"), QStringList { QStringLiteral("mailto") });
        }
        // The desktop hears of a mail program coming or going a moment later.
        ASSERT_TRUE(TestSupport::processEventsUntil(
            [&] { return DesktopLauncher::defaultMailProgram().has_value() == mailProgram; }));
        catcher().offered = catcherOffered;
        std::unique_ptr<KwMenu> menu(PreviousRecordingMenu::make(m_location));
        QAction *share = findItem(*menu, MenuTexts::share);
        ASSERT_NE(share, nullptr);
        ASSERT_NE(share->menu(), nullptr);
        EXPECT_EQ(menuRows(*share->menu()), entries);
        EXPECT_EQ(share->isEnabled(), !entries.isEmpty());
        EXPECT_EQ(DBusMenuExporter::properties(*share).value(QStringLiteral("enabled")),
            QVariant(!entries.isEmpty()));
        EXPECT_EQ(share->toolTip(), entries.isEmpty() ? MenuTexts::noShareServices : MenuTexts::share);
        // The reason goes to panels as well, which show no tooltips.
        EXPECT_EQ(GreyedReason::shown(*share),
            entries.isEmpty() ? std::optional(MenuTexts::noShareServices) : std::nullopt);
        settle();
    }
}

TEST_F(PreviousRecordingMenuTest, TheLengthReachesTheSubmenuItsItemsWereMovedInto)
{
    // As the status menu shows it: built on first opening, its items moved into the submenu.
    QMenu status;
    QAction *item = status.addAction(MenuTexts::previousRecording);
    setLazySubmenu(item, [this] { return PreviousRecordingMenu::make(m_location); });
    auto *submenu = item->menu<QMenu *>();
    ASSERT_NE(submenu, nullptr);
    emit submenu->aboutToShow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
    EXPECT_EQ(infoRowsOf(*submenu), QStringList({ QStringLiteral("(2 sec)"), QStringLiteral("(32 KB)") }));
}

// A menu item draws its text on one line, and a panel that shows the exported menu need not break
// a label into lines: each line of the name is an item of its own, its characters as they are.
TEST_F(PreviousRecordingMenuTest, EachLineOfTheNameIsAnItemOnTheScreenAndOnAPanel)
{
    const struct
    {
        QString name;
        QStringList labels; // as the panel is sent them
    } cases[] = {
        { QStringLiteral("Audio Recording 2024-01-01 at 10.00.00.m4a"),
            { QStringLiteral("Audio Recording"), QStringLiteral("2024-01-01 at"),
                QStringLiteral("10.00.00.m4a") } },
        { QStringLiteral("Talks & Notes_2 & more.m4a"),
            { QStringLiteral("Talks & Notes__2"), QStringLiteral("& more.m4a") } },
        { QStringLiteral("Take.m4a"), { QStringLiteral("Take.m4a") } },
    };
    for (const auto &[name, labels] : cases) {
        SCOPED_TRACE(name.toStdString());
        std::unique_ptr<KwMenu> menu(PreviousRecordingMenu::make(QUrl::fromLocalFile(m_dir.filePath(name))));
        QStringList sent;
        for (const QAction *action : menu->actions()) {
            if (action->isSeparator()) {
                break;
            }
            const QVariantMap properties = DBusMenuExporter::properties(*action);
            EXPECT_EQ(properties.value(QStringLiteral("enabled")), QVariant(false));
            sent << properties.value(QStringLiteral("label")).toString();
        }
        EXPECT_EQ(sent, labels);
        settle();
    }
}

} // namespace
