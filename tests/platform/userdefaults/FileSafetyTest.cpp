#include "FileContents.h"
#include "LonelyFifo.h"
#include "TemporaryConfigHome.h"

#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaults.h"
#include "platform/userdefaults/UserDefaultsFile.h"

#include <chrono>
#include <csignal>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <random>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using TestSupport::readFile;
using TestSupport::writeFile;

constexpr char original[] = R"({"kept": 7, "other": "text"})";
constexpr char halfWritten[] = R"({"kept": 7, "oth)";
const QByteArray oversized
    = R"({"kept": 7, "padding": ")" + QByteArray(UserDefaultsFile::maximumFileSize, 'x') + "\"}";

// Stores a key from a writer process; as root the writer runs as nobody, so that our file is one
// "left by another user" for it. Answers its exit status.
int setFromAnotherUser(const std::string &suite)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(126);
        }
        ::execl(
            CRASH_WRITER_PATH, CRASH_WRITER_PATH, suite.c_str(), "set", "k", static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(UserDefaultsFileSafetyTest, AFileThatCannotBeReadIsNeverReplaced)
{
    const auto chmodPath
        = [](const QString &path, mode_t mode) { ::chmod(QFile::encodeName(path).constData(), mode); };
    const std::pair<const char *, std::function<void(const QString &, const QString &)>> cases[] = {
        { "unreadable to the writer",
            [&](const QString &file, const QString &directory) {
                // Room for a careless writer to replace the file.
                chmodPath(QFileInfo(directory).absolutePath(), 0755);
                chmodPath(directory, 0777);
                chmodPath(file + ".lock", 0666);
                chmodPath(file, 0);
            } },
        { "far larger than a settings file",
            [](const QString &file, const QString &) { writeFile(file, oversized); } },
        { "lock file that cannot be opened",
            [](const QString &file, const QString &) {
                QFile::remove(file + ".lock");
                QDir().mkpath(file + ".lock");
            } },
    };
    for (const auto &[name, spoil] : cases) {
        SCOPED_TRACE(name);
        TemporaryConfigHome home;
        const QString path = UserDefaultsFile::pathForSuite("guarded");
        writeFile(path, original);
        {
            UserDefaultsFile::ProcessLock makesTheLockFile { UserDefaultsFile(path) };
        }
        spoil(path, home.appDirectory());
        const QByteArray before = readFile(path);
        if (std::string(name) == "unreadable to the writer") {
            EXPECT_EQ(setFromAnotherUser("guarded"), 0);
        } else {
            auto defaults = UserDefaults::suite("guarded");
            defaults->setObject("again", PropertyValue(2));
            EXPECT_EQ(defaults->object("again"), PropertyValue(2)) << "the session still sees its settings";
        }
        chmodPath(path, 0600);
        EXPECT_EQ(readFile(path), before);
    }
}

// A FIFO that nothing writes to, a link to one, or a folder at the settings path, found at the start
// or after an outside change: refused at once like a file that cannot be read, and left in place.
TEST(UserDefaultsFileSafetyTest, WhatIsNoRegularFileIsRefusedWithoutWaitingAndLeftInPlace)
{
    const auto encoded = [](const QString &path) { return QFile::encodeName(path); };
    // The FIFO goes in under another name of its own, so that the test can free a reader that waits.
    const std::pair<const char *, mode_t> kinds[]
        = { { "fifo", S_IFIFO }, { "link to a fifo", S_IFLNK }, { "folder", S_IFDIR } };
    const auto place = [&](mode_t type, const QString &fifo, const QString &path) {
        QFile::remove(path);
        return type == S_IFIFO ? ::link(encoded(fifo).constData(), encoded(path).constData()) == 0
            : type == S_IFLNK  ? QFile::link(fifo, path)
                               : QDir().mkpath(path);
    };
    for (const auto &[kind, type] : kinds) {
        for (const bool atStart : { true, false }) {
            SCOPED_TRACE(std::string(kind) + (atStart ? " at the start" : " put in place later"));
            TemporaryConfigHome home;
            const QString path = UserDefaultsFile::pathForSuite("odd");
            const TestSupport::LonelyFifo fifo(home.path() + "/fifo");
            ASSERT_TRUE(fifo.made() && QDir().mkpath(home.appDirectory()));
            std::shared_ptr<UserDefaults> defaults = atStart ? nullptr : UserDefaults::suite("odd");
            if (defaults) {
                defaults->setObject("first", PropertyValue(1));
            }
            ASSERT_TRUE(place(type, home.path() + "/fifo", path));
            EXPECT_TRUE(fifo.readsWithoutWaiting([&] {
                defaults ? defaults->synchronizeFromDisk() : void(defaults = UserDefaults::suite("odd"));
                defaults->setObject("again", PropertyValue(2));
            }));
            EXPECT_EQ(defaults->object("again"), PropertyValue(2)) << "the session still sees its settings";
            struct stat info
            {
            };
            ASSERT_EQ(::lstat(encoded(path).constData(), &info), 0);
            EXPECT_EQ(info.st_mode & S_IFMT, type);
        }
    }
}

TEST(UserDefaultsFileSafetyTest, WritesResumeOnceTheFileCanBeReadAgainAndGoThroughASymbolicLink)
{
    TemporaryConfigHome home;
    const QString mended = UserDefaultsFile::pathForSuite("mended");
    writeFile(mended, oversized);
    auto defaults = UserDefaults::suite("mended");
    EXPECT_EQ(defaults->object("kept"), std::nullopt);
    writeFile(mended, original);
    defaults->setObject("added", PropertyValue(3));
    UserDefaultsFile::Identity identity;
    const auto loaded = UserDefaultsFile(mended).load(&identity);
    ASSERT_TRUE(loaded.document);
    EXPECT_EQ(loaded.document->values.size(), 3u) << "the file's values are read before writing";

    const QString path = UserDefaultsFile::pathForSuite("linked");
    const QString target = home.path() + "/dotfiles/tapewick.json";
    writeFile(target, original);
    QDir().mkpath(home.appDirectory());
    ASSERT_TRUE(QFile::link(target, path));
    UserDefaults::suite("linked")->setObject("added", PropertyValue(3));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_TRUE(readFile(target).contains("added"));
    EXPECT_EQ(QDir(home.path() + "/dotfiles").entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file is left beside the target";
}

// Once the file has been read through (closed without writing), writes `then` into it in place, as
// an editor finishing its write would.
class FinishAfterFirstRead
{
public:
    FinishAfterFirstRead(const QString &path, const QByteArray &then)
        : m_fd(::inotify_init1(IN_CLOEXEC))
    {
        ::inotify_add_watch(m_fd, QFile::encodeName(path).constData(), IN_CLOSE_NOWRITE);
        m_thread = std::thread([this, path, then] {
            pollfd watched { m_fd, POLLIN, 0 };
            if (::poll(&watched, 1, 5000) == 1) {
                writeFile(path, then);
            }
        });
    }
    ~FinishAfterFirstRead()
    {
        m_thread.join();
        ::close(m_fd);
    }

private:
    int m_fd;
    std::thread m_thread;
};

// A file that stays half-written is read again for a while, then moved aside.
TEST(UserDefaultsFileSafetyTest, AFileThatStaysBrokenIsMovedAsideAfterItIsReadAgain)
{
    TemporaryConfigHome home;
    const QString path = UserDefaultsFile::pathForSuite("edited");
    writeFile(path, halfWritten);
    UserDefaultsFile::Identity identity;
    const auto started = std::chrono::steady_clock::now();
    const UserDefaultsFile::LoadResult loaded = UserDefaultsFile(path).load(&identity);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(loaded.document || loaded.refusal);
    EXPECT_GE(took, UserDefaultsFile::settleRereads * UserDefaultsFile::settlePause);
    EXPECT_LT(took, std::chrono::seconds(2)) << "the wait is bounded";
    const QStringList aside = QDir(home.appDirectory()).entryList({ "*.unreadable-*" }, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(readFile(home.appDirectory() + "/" + aside.first()), halfWritten);
}

// Caught half-written, the file is read again once finished, and the save keeps the edit.
TEST(UserDefaultsFileSafetyTest, ASaveWhileAnEditorWritesTheFileInPlaceKeepsTheEdit)
{
    TemporaryConfigHome home;
    auto defaults = UserDefaults::suite("edited");
    writeFile(defaults->filePath(), halfWritten);
    {
        const FinishAfterFirstRead editor(defaults->filePath(), original);
        defaults->setObject("added", PropertyValue(3));
    }
    UserDefaultsFile::Identity identity;
    const UserDefaultsFile::LoadResult saved = UserDefaultsFile(defaults->filePath()).load(&identity);
    ASSERT_TRUE(saved.document);
    EXPECT_EQ(saved.document->values,
        (PropertyDictionary { { "added", PropertyValue(3) }, { "kept", PropertyValue(7) },
            { "other", PropertyValue("text") } }));
    EXPECT_TRUE(QDir(home.appDirectory()).entryList({ "*.unreadable-*" }, QDir::Files).isEmpty());
}

// Starts the writer and waits until it has written once.
pid_t startWriter(const std::string &suite)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return -1;
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execl(CRASH_WRITER_PATH, CRASH_WRITER_PATH, suite.c_str(), static_cast<char *>(nullptr));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    char ready[6] = {};
    const ssize_t got = ::read(pipeFds[0], ready, 5);
    ::close(pipeFds[0]);
    return got == 5 ? pid : -1;
}

TEST(UserDefaultsCrash, FileAlwaysParsesAfterTheWriterIsKilled)
{
    TemporaryConfigHome home;
    const QString path = UserDefaultsFile::pathForSuite("crash");
    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delayMicroseconds(0, 50000);
    std::int64_t lastCounter = -1;
    std::int64_t maximumCounter = 0;
    for (int round = 0; round < 40; ++round) {
        const pid_t pid = startWriter("crash");
        ASSERT_GT(pid, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds(random)));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "round " << round;
        const QByteArray bytes = file.readAll();
        const auto document = PropertyJson::decodeDocument(bytes.toStdString());
        ASSERT_TRUE(document) << "round " << round << ": torn file:\n" << bytes.left(200).toStdString();
        ASSERT_TRUE(document->values.contains("counter"));
        // Each writer starts again at 0; the file never goes backwards within a round's writes.
        lastCounter = *document->values.at("counter").as<std::int64_t>();
        EXPECT_GE(lastCounter, 0);
        maximumCounter = std::max(maximumCounter, lastCounter);
    }
    // Kills must have landed in the middle of writing, not only before the first write.
    EXPECT_GT(maximumCounter, 0);
    // The writers' files are read back by the store itself without loss.
    auto defaults = UserDefaults::suite("crash");
    EXPECT_EQ(defaults->object("counter"), PropertyValue(lastCounter));
}

} // namespace
