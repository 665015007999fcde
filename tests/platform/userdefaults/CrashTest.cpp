#include "TemporaryConfigHome.h"

#include "platform/userdefaults/PropertyJson.h"
#include "platform/userdefaults/UserDefaults.h"
#include "platform/userdefaults/UserDefaultsFile.h"

#include <QFile>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

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
