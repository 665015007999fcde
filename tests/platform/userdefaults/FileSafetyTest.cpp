#include "SettingsFiles.h"
#include "TemporaryConfigHome.h"

#include "platform/userdefaults/UserDefaults.h"
#include "platform/userdefaults/UserDefaultsFile.h"

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr char original[] = R"({"kept": 7, "other": "text"})";
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

TEST(UserDefaultsFileSafetyTest, WritesResumeOnceTheFileCanBeReadAgain)
{
    TemporaryConfigHome home;
    const QString path = UserDefaultsFile::pathForSuite("mended");
    writeFile(path, oversized);
    auto defaults = UserDefaults::suite("mended");
    EXPECT_EQ(defaults->object("kept"), std::nullopt);
    writeFile(path, original);
    defaults->setObject("added", PropertyValue(3));
    UserDefaultsFile::Identity identity;
    const auto loaded = UserDefaultsFile(path).load(&identity);
    ASSERT_TRUE(loaded.document);
    EXPECT_EQ(loaded.document->values.size(), 3u) << "the file's values are read before writing";
}

TEST(UserDefaultsFileSafetyTest, ASymbolicLinkIsWrittenThroughToItsTarget)
{
    TemporaryConfigHome home;
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

} // namespace
