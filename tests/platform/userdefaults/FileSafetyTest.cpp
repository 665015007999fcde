#include "TemporaryConfigHome.h"

#include "platform/userdefaults/UserDefaults.h"
#include "platform/userdefaults/UserDefaultsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Stores "fromOtherProcess" in the suite from a writer process; as root the writer runs as
// nobody, so that a file of ours is one "left by another user" for it. Answers its exit status.
int setFromAnotherProcess(const std::string &suite)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
            ::_exit(126);
        }
        ::execl(CRASH_WRITER_PATH, CRASH_WRITER_PATH, suite.c_str(), "set", "fromOtherProcess",
            static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

constexpr char original[] = R"({"kept": 7, "other": "text"})";

struct UnsafeFileCase
{
    const char *name;
    // Makes the suite's file (already holding `original`) unsafe to replace.
    std::function<void(const QString &file, const QString &directory)> spoil;
    // Whether the write comes from another process rather than this one.
    bool otherProcess;
};

TEST(UserDefaultsFileSafetyTest, AFileThatCannotBeReadIsNeverReplaced)
{
    const UnsafeFileCase cases[] = {
        { "unreadable to the writer",
            [](const QString &file, const QString &directory) {
                // Room for the writer to replace the file, were it careless.
                ::chmod(QFile::encodeName(QFileInfo(directory).absolutePath()).constData(), 0755);
                ::chmod(QFile::encodeName(directory).constData(), 0777);
                ::chmod(QFile::encodeName(file + ".lock").constData(), 0666);
                ::chmod(QFile::encodeName(file).constData(), 0);
            },
            true },
        { "far larger than a settings file",
            [](const QString &file, const QString &) {
                QByteArray huge = R"({"kept": 7, "padding": ")";
                huge += QByteArray(UserDefaultsFile::maximumFileSize, 'x') + "\"}";
                writeFile(file, huge);
            },
            false },
        { "lock file that cannot be opened",
            [](const QString &file, const QString &) {
                QFile::remove(file + ".lock");
                QDir().mkpath(file + ".lock");
            },
            false },
    };
    for (const UnsafeFileCase &testCase : cases) {
        SCOPED_TRACE(testCase.name);
        TemporaryConfigHome home;
        const QString path = UserDefaultsFile::pathForSuite("guarded");
        writeFile(path, original);
        {
            UserDefaultsFile::ProcessLock makesTheLockFile { UserDefaultsFile(path) };
        }
        testCase.spoil(path, home.appDirectory());
        const QByteArray before = readFile(path);
        if (testCase.otherProcess) {
            EXPECT_EQ(setFromAnotherProcess("guarded"), 0);
        } else {
            auto defaults = UserDefaults::suite("guarded");
            defaults->setObject("fromThisProcess", PropertyValue(1));
            defaults->setObject("again", PropertyValue(2));
            EXPECT_EQ(defaults->object("again"), PropertyValue(2)) << "the session still sees its settings";
        }
        ::chmod(QFile::encodeName(path).constData(), 0600);
        EXPECT_EQ(readFile(path), before);
    }
}

TEST(UserDefaultsFileSafetyTest, WritesResumeOnceTheFileCanBeReadAgain)
{
    TemporaryConfigHome home;
    const QString path = UserDefaultsFile::pathForSuite("mended");
    QByteArray huge = R"({"padding": ")" + QByteArray(UserDefaultsFile::maximumFileSize, 'x') + "\"}";
    writeFile(path, huge);
    auto defaults = UserDefaults::suite("mended");
    EXPECT_EQ(defaults->object("padding"), std::nullopt);
    writeFile(path, original);
    defaults->setObject("added", PropertyValue(3));
    EXPECT_EQ(defaults->object("kept"), PropertyValue(7)) << "the file's values are read before writing";
    auto reopened = UserDefaultsFile(path);
    UserDefaultsFile::Identity identity;
    const auto loaded = reopened.load(&identity);
    ASSERT_TRUE(loaded.document);
    EXPECT_EQ(loaded.document->values.size(), 3u);
}

TEST(UserDefaultsFileSafetyTest, ASymbolicLinkIsWrittenThroughToItsTarget)
{
    TemporaryConfigHome home;
    const QString path = UserDefaultsFile::pathForSuite("linked");
    const QString target = home.path() + "/dotfiles/tapewick.json";
    writeFile(target, original);
    QDir().mkpath(home.appDirectory());
    ASSERT_TRUE(QFile::link(target, path));
    auto defaults = UserDefaults::suite("linked");
    EXPECT_EQ(defaults->object("kept"), PropertyValue(7));
    defaults->setObject("added", PropertyValue(3));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_TRUE(readFile(target).contains("added"));
    EXPECT_TRUE(QDir(home.path() + "/dotfiles").entryList(QDir::Files | QDir::Hidden).size() == 1)
        << "no temporary file is left beside the target";
}

} // namespace
