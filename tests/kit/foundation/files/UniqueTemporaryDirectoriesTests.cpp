#include "kit/foundation/errors/Errno.h"
#include "kit/foundation/errors/GeneralError.h"
#include "kit/foundation/files/TemporaryCopies.h"
#include "kit/foundation/files/TemporaryDirectory.h"
#include "kit/foundation/files/UniqueTemporaryDirectories.h"
#include "kit/foundation/system/FoundationHooks.h"

#include "KitTesting.h"

#include <QTemporaryDir>
#include <QUuid>

#include <QScopeGuard>

#include <atomic>
#include <future>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

mode_t modeOf(const QString &path)
{
    struct stat status = {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &status), 0) << path.toStdString();
    return status.st_mode & 07777;
}

QString uniqueName()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

bool isEmptyDirectory(const QString &path)
{
    const QDir directory(path);
    return directory.exists()
        && directory.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

class UniqueTemporaryDirectoriesTest : public ::testing::Test
{
protected:
    QTemporaryDir m_base;
};

TEST_F(UniqueTemporaryDirectoriesTest, EachDirectoryIsNewPrivateAndBesideTheOthersWhateverTheUmask)
{
    const QString parent = UniqueTemporaryDirectories::parentPath(m_base.path());
    EXPECT_EQ(QFileInfo(parent).fileName(), u"%1-%2"_s.arg(FoundationHooks::appName()).arg(::getuid()));

    const mode_t previous = ::umask(0);
    const QString first = UniqueTemporaryDirectories::create(m_base.path()).toLocalFile();
    ::umask(previous);
    const QString second = UniqueTemporaryDirectories::create(m_base.path()).toLocalFile();
    EXPECT_NE(first, second);
    for (const QString &directory : { first, second }) {
        EXPECT_TRUE(isEmptyDirectory(directory)) << directory.toStdString();
        EXPECT_EQ(QFileInfo(directory).path(), parent);
        EXPECT_EQ(modeOf(directory), 0700u);
    }
    EXPECT_EQ(modeOf(parent), 0700u);
}

TEST_F(UniqueTemporaryDirectoriesTest, RefusesAParentOthersCanWriteOrThatIsALink)
{
    const QString parent = UniqueTemporaryDirectories::parentPath(m_base.path());
    ASSERT_TRUE(QDir().mkpath(parent));
    ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0777), 0);
    EXPECT_THROW(UniqueTemporaryDirectories::create(m_base.path()), GeneralError);
    EXPECT_TRUE(isEmptyDirectory(parent)) << "nothing may be made inside a refused parent";

    ASSERT_TRUE(QDir(parent).removeRecursively());
    const QString elsewhere = m_base.filePath(u"elsewhere"_s);
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_EQ(::chmod(QFile::encodeName(elsewhere).constData(), 0700), 0);
    ASSERT_TRUE(QFile::link(elsewhere, parent));
    EXPECT_THROW(UniqueTemporaryDirectories::create(m_base.path()), GeneralError);
    EXPECT_TRUE(isEmptyDirectory(elsewhere));
}

// Puts a directory owned by someone else at `parent`: the superuser gives one away; anyone else
// mounts the root directory there inside a private user and mount namespace, where root's
// files belong to an unmapped user.
bool placeForeignDirectory(const QString &parent)
{
    if (::geteuid() == 0) {
        return ::chmod(QFile::encodeName(parent).constData(), 0700) == 0
            && ::chown(QFile::encodeName(parent).constData(), 65534, 65534) == 0;
    }
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    const auto write = [](const char *file, const QByteArray &text) {
        const int fd = ::open(file, O_WRONLY);
        const bool written = fd >= 0 && ::write(fd, text.constData(), text.size()) == text.size();
        ::close(fd);
        return written;
    };
    return ::unshare(CLONE_NEWUSER | CLONE_NEWNS) == 0
        && write("/proc/self/uid_map", QByteArray::number(uid) + ' ' + QByteArray::number(uid) + " 1")
        && write("/proc/self/setgroups", "deny")
        && write("/proc/self/gid_map", QByteArray::number(gid) + ' ' + QByteArray::number(gid) + " 1")
        && ::mount("/", QFile::encodeName(parent).constData(), nullptr, MS_BIND | MS_REC, nullptr) == 0;
}

// 0 when the refusal names the other user.
int anotherUsersParentProblem(const QString &base, const QString &parent)
{
    if (!placeForeignDirectory(parent)) {
        return 1;
    }
    const auto refusal = KitTesting::thrown<GeneralError>([&] { UniqueTemporaryDirectories::create(base); });
    return !refusal ? 2 : refusal->localizedDescription().contains(u"another user"_s) ? 0 : 3;
}

// Whether a child can place a foreign directory here: where unprivileged user namespaces are
// turned off (or a container keeps root from giving files away) it cannot. A forked child is
// single-threaded, so it may enter namespaces.
bool foreignDirectoriesCanBePlaced(const QString &base)
{
    const QString probe = base + u"/probe"_s;
    if (!QDir().mkpath(probe)) {
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(placeForeignDirectory(probe) ? 0 : 1);
    }
    int status = 0;
    const bool placed
        = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    QDir(probe).removeRecursively();
    return placed;
}

TEST_F(UniqueTemporaryDirectoriesTest, RefusesAParentAnotherUserOwns)
{
    if (!foreignDirectoriesCanBePlaced(m_base.path())) {
        GTEST_SKIP() << "no directory of another user can be made here: unprivileged user namespaces are "
                        "off, and the test does not run as a root that may give files away";
    }
    const QString parent = UniqueTemporaryDirectories::parentPath(m_base.path());
    ASSERT_TRUE(QDir().mkpath(parent));
    // A forked child is single-threaded, so it may enter namespaces.
    GTEST_FLAG_SET(death_test_style, "fast");
    EXPECT_EXIT(::_exit(anotherUsersParentProblem(m_base.path(), parent)), ::testing::ExitedWithCode(0), "")
        << "1: no foreign directory could be placed, 2: accepted, 3: other error";
}

TEST(UniqueTemporaryDirectory, UsesTheSharedParentWhenSafeElseReportsWhyAndFallsBackToAPrivateDirectory)
{
    QTemporaryDir temporary;
    const KitTesting::ScopedEnv tmpdir("TMPDIR", temporary.path());
    const QString appName = u"tapewick-test-"_s + QUuid::createUuid().toString(QUuid::Id128);
    FoundationHooks::setAppName(appName);
    std::vector<QString> reports;
    FoundationHooks::setReportError([&](const Error &error, const QVariantMap &, const QString &, int) {
        reports.push_back(error.localizedDescription());
    });
    const QString parent = UniqueTemporaryDirectories::parentPath();
    const QString first = uniqueTemporaryDirectory().toLocalFile();
    const QString second = uniqueTemporaryDirectory(QUrl::fromLocalFile(QDir::homePath())).toLocalFile();
    {
        const KitTesting::ScopedEnv unset("TAPEWICK_TEMPORARY_BASE", QString());
        EXPECT_EQ(UniqueTemporaryDirectories::defaultBase(), u"/var/tmp"_s);
    }
    EXPECT_EQ(QFileInfo(first).path(), parent);
    EXPECT_EQ(QFileInfo(second).path(), parent);
    EXPECT_NE(first, second);
    EXPECT_TRUE(reports.empty());

    ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0777), 0);
    // Where "Recover Recordings…" looks too, so a later day finds it.
    const QString fallback = uniqueTemporaryDirectory().toLocalFile();
    const QString fallbackParent = UniqueTemporaryDirectories::parentPath(temporary.path());
    EXPECT_EQ(UniqueTemporaryDirectories::recordingParents(), QStringList({ parent, fallbackParent }));
    ASSERT_EQ(::chmod(QFile::encodeName(fallbackParent).constData(), 0777), 0);
    const QString last = uniqueTemporaryDirectory().toLocalFile();
    FoundationHooks::setReportError({});
    FoundationHooks::setAppName({});
    QDir(parent).removeRecursively();

    EXPECT_EQ(QFileInfo(fallback).path(), fallbackParent);
    EXPECT_EQ(QFileInfo(last).path(), temporary.path());
    EXPECT_TRUE(QFileInfo(last).fileName().startsWith(appName + u'-'));
    for (const QString &directory : { fallback, last }) {
        EXPECT_TRUE(isEmptyDirectory(directory));
        EXPECT_EQ(modeOf(directory), 0700u);
    }
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_TRUE(reports[0].contains(parent)) << reports[0].toStdString();
    EXPECT_TRUE(reports[2].contains(fallbackParent)) << reports[2].toStdString();
}

TEST(TemporaryDirectory, RemovesItsTreeWhenDroppedAndCopiesGoUnderTheGivenOrTheirOwnName)
{
    QString path;
    {
        const TemporaryDirectory directory { makeUniqueTemporaryDirectory() };
        path = directory.url().toLocalFile();
        KitTesting::writeFile(path + u"/a/b/c.wav"_s);
    }
    EXPECT_FALSE(QFileInfo::exists(path));

    QTemporaryDir source;
    const QString original = KitTesting::writeFile(source.filePath(u"take.m4a"_s), "sound");

    const QUrl named = copyToUniqueTemporaryDirectory(QUrl::fromLocalFile(original), u"Renamed.m4a"_s);
    const QUrl own = copyToUniqueTemporaryDirectory(QUrl::fromLocalFile(original));
    const TemporaryDirectory namedOwner { QUrl::fromLocalFile(QFileInfo(named.toLocalFile()).path()) };
    const TemporaryDirectory ownOwner { QUrl::fromLocalFile(QFileInfo(own.toLocalFile()).path()) };

    EXPECT_EQ(QFileInfo(named.toLocalFile()).fileName(), u"Renamed.m4a"_s);
    EXPECT_EQ(QFileInfo(own.toLocalFile()).fileName(), u"take.m4a"_s);
    EXPECT_NE(QFileInfo(named.toLocalFile()).path(), QFileInfo(own.toLocalFile()).path());
    EXPECT_EQ(KitTesting::readFile(named.toLocalFile()), QByteArray("sound"));
    EXPECT_TRUE(QFileInfo::exists(original));
}

// Copies lie apart from the recordings, each in a directory of its own inside their owner's; that
// goes with its owner, and one whose owner died goes when another owner next looks.
TEST_F(UniqueTemporaryDirectoriesTest, CopiesLieApartAndGoWithTheirOwnerOrAtTheNextLook)
{
    QTemporaryDir source;
    const QUrl original = QUrl::fromLocalFile(KitTesting::writeFile(source.filePath(u"take.m4a"_s), "sound"));
    const QString parent = TemporaryCopies::parentPath(m_base.path());
    EXPECT_EQ(
        QFileInfo(parent).fileName(), u"%1-%2-copies"_s.arg(FoundationHooks::appName()).arg(::getuid()));
    const QString abandoned
        = KitTesting::writeFile(parent + u'/' + uniqueName() + u'/' + uniqueName() + u"/take.m4a"_s);
    // Names are bytes: one that is no UTF-8 goes too.
    const QByteArray undecodable = QFile::encodeName(QFileInfo(abandoned).path()) + "/t\xe4ke.m4a";
    ASSERT_TRUE(FileDescriptor(::open(undecodable.constData(), O_WRONLY | O_CREAT, 0600)).isValid());
    // Not a name the program gives: the user's own.
    const QString mine = KitTesting::writeFile(parent + u"/Notes/take.m4a"_s);
    ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0700), 0);
    // Another process's, as far as the lock tells: held through a descriptor of its own.
    const QString held = parent + u'/' + uniqueName();
    ASSERT_TRUE(QDir().mkpath(held));
    std::optional<FileDescriptor> holder(
        FileDescriptor(::open(QFile::encodeName(held).constData(), O_RDONLY)));
    ASSERT_EQ(::flock(holder->get(), LOCK_EX), 0);

    QString directory;
    {
        TemporaryCopies copies(m_base.path());
        EXPECT_EQ(copies.directory(), std::nullopt) << "nothing made before the first copy";
        const QUrl first = copies.copy(original);
        const QUrl second = copies.copy(original);
        ASSERT_TRUE(copies.directory());
        directory = *copies.directory();
        EXPECT_EQ(QFileInfo(directory).path(), parent);
        EXPECT_NE(first, second);
        for (const QUrl &copy : { first, second }) {
            EXPECT_EQ(copy.fileName(), u"take.m4a"_s);
            EXPECT_EQ(QFileInfo(QFileInfo(copy.toLocalFile()).path()).path(), directory);
            EXPECT_EQ(KitTesting::readFile(copy.toLocalFile()), QByteArray("sound"));
        }
        EXPECT_FALSE(QFileInfo::exists(UniqueTemporaryDirectories::parentPath(m_base.path())))
            << "a copy among the recordings";
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(QFileInfo(abandoned).path()).path()));
        EXPECT_TRUE(QFileInfo::exists(held));
        EXPECT_TRUE(QFileInfo::exists(mine));

        copies.remove(first);
        copies.remove(original);
        EXPECT_FALSE(QFileInfo::exists(QFileInfo(first.toLocalFile()).path()));
        EXPECT_TRUE(QFileInfo::exists(second.toLocalFile()));
        EXPECT_TRUE(QFileInfo::exists(original.toLocalFile())) << "not a copy";
        // A copy that fails leaves nothing behind.
        EXPECT_THROW(copies.copy(QUrl::fromLocalFile(source.filePath(u"gone.m4a"_s))), Error);
        EXPECT_EQ(
            QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 1);
        // Another owner's look leaves a living owner's copies.
        TemporaryCopies(m_base.path()).removeAbandoned();
        EXPECT_TRUE(QFileInfo::exists(second.toLocalFile()));
    }
    EXPECT_FALSE(QFileInfo::exists(directory));
    EXPECT_TRUE(QFileInfo::exists(held));
    holder.reset();
    TemporaryCopies(m_base.path()).removeAbandoned();
    EXPECT_FALSE(QFileInfo::exists(held));
    EXPECT_TRUE(QFileInfo::exists(mine));
}

// A copies folder the program must not use: someone else's, or one others can write. Nothing in it
// is touched, and copies go to the fallback base instead.
TEST_F(UniqueTemporaryDirectoriesTest, ACopiesFolderOfAnotherUserOrThatOthersCanWriteIsLeftAlone)
{
    const bool root = ::geteuid() == 0;
    for (const bool foreign : { false, true }) {
        SCOPED_TRACE(foreign ? "another user's" : "others can write");
        if (foreign && !root) {
            continue; // only the superuser can make a folder of another user's here
        }
        QTemporaryDir base;
        QTemporaryDir fallback;
        const QString parent = TemporaryCopies::parentPath(base.path());
        const QString theirs = KitTesting::writeFile(parent + u'/' + uniqueName() + u"/theirs.m4a"_s);
        ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0777), 0);
        if (foreign) {
            for (const QString &path : { parent, QFileInfo(theirs).path(), theirs }) {
                ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
            }
        }
        std::vector<QString> reports;
        FoundationHooks::setReportError([&](const Error &error, const QVariantMap &, const QString &, int) {
            reports.push_back(error.localizedDescription());
        });
        const auto restore = qScopeGuard([] { FoundationHooks::setReportError({}); });
        QTemporaryDir source;
        {
            TemporaryCopies copies(base.path(), fallback.path());
            copies.removeAbandoned();
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_TRUE(reports.front().contains(parent)) << reports.front().toStdString();
            const QUrl copy
                = copies.copy(QUrl::fromLocalFile(KitTesting::writeFile(source.filePath(u"a.m4a"_s))));
            EXPECT_TRUE(copy.toLocalFile().startsWith(TemporaryCopies::parentPath(fallback.path())));
        }
        EXPECT_TRUE(QFileInfo::exists(theirs));
        if (foreign) {
            ::chown(QFile::encodeName(parent).constData(), ::getuid(), ::getgid());
        }
    }
}

// A lock is only ever tried, never waited on: whoever holds the parent, or a process directory,
// holds nothing up.
TEST_F(UniqueTemporaryDirectoriesTest, NoLockSomeoneElseHoldsHoldsTheSweepOrACopyUp)
{
    const QString parent = TemporaryCopies::parentPath(m_base.path());
    const QString held = parent + u'/' + uniqueName();
    ASSERT_TRUE(QDir().mkpath(held));
    ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0700), 0);
    std::vector<FileDescriptor> holders;
    for (const QString &path : { parent, held }) {
        holders.emplace_back(::open(QFile::encodeName(path).constData(), O_RDONLY));
        ASSERT_EQ(::flock(holders.back().get(), LOCK_EX), 0);
    }
    QTemporaryDir source;
    const QUrl original = QUrl::fromLocalFile(KitTesting::writeFile(source.filePath(u"a.m4a"_s)));
    auto work = std::async(std::launch::async, [&] {
        TemporaryCopies copies(m_base.path());
        copies.removeAbandoned();
        return copies.copy(original).isValid();
    });
    const bool finished = work.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    // Let a sweep that waits go, so that a failure ends rather than hangs.
    holders.clear();
    EXPECT_TRUE(finished) << "the sweep or the copy waited on a lock held elsewhere";
    EXPECT_TRUE(work.get());
    EXPECT_TRUE(QFileInfo::exists(held));
}

// An entry swapped for a link to the user's own folder at the moment the sweep opens it: the
// sweep removes through what it opened, and the link's target keeps all it holds.
TEST_F(UniqueTemporaryDirectoriesTest, AnEntrySwappedForALinkWhenOpenedLeavesTheLinksTargetAlone)
{
    const QString parent = TemporaryCopies::parentPath(m_base.path());
    QTemporaryDir victim;
    QStringList victims;
    for (int i = 0; i < 20; ++i) {
        victims.append(KitTesting::writeFile(victim.filePath(u"kept-%1.m4a"_s.arg(i))));
    }
    QStringList entries;
    for (int i = 0; i < 20; ++i) {
        entries.append(uniqueName());
        KitTesting::writeFile(parent + u'/' + entries.last() + u"/copy.m4a"_s);
    }
    ASSERT_EQ(::chmod(QFile::encodeName(parent).constData(), 0700), 0);
    const FileDescriptor watch(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
    ASSERT_GE(::inotify_add_watch(watch.get(), QFile::encodeName(parent).constData(), IN_OPEN), 0);
    int stop[2];
    ASSERT_EQ(::pipe2(stop, O_CLOEXEC), 0);
    const FileDescriptor stopRead(stop[0]);
    FileDescriptor stopWrite(stop[1]);
    std::atomic<int> swapped = 0;
    std::thread swapper([&] {
        alignas(inotify_event) char buffer[4096];
        for (;;) {
            pollfd fds[] = { { watch.get(), POLLIN, 0 }, { stopRead.get(), POLLIN, 0 } };
            if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN)) {
                return;
            }
            const ssize_t length = ::read(watch.get(), buffer, sizeof buffer);
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                at += ssize_t(sizeof(inotify_event) + event->len);
                const QByteArray name = event->len ? QByteArray(event->name) : QByteArray();
                if (!entries.contains(QString::fromLatin1(name))) {
                    continue;
                }
                const QByteArray from = QFile::encodeName(parent) + '/' + name;
                if (::rename(from.constData(), (from + ".moved").constData()) == 0
                    && ::symlink(QFile::encodeName(victim.path()).constData(), from.constData()) == 0) {
                    ++swapped;
                }
            }
        }
    });
    TemporaryCopies(m_base.path()).removeAbandoned();
    const char done = 0;
    EXPECT_EQ(::write(stopWrite.get(), &done, 1), 1);
    swapper.join();

    EXPECT_GT(swapped, 0);
    for (const QString &file : victims) {
        EXPECT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    }
}

} // namespace
