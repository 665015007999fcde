#pragma once

#include "Command.h"
#include "EventLoop.h"
#include "TestDesktop.h"

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

// The test desktop's sound server, stopped so that it keeps its connections but answers nothing,
// and answering again once this goes, for the tests that follow.
class FrozenSoundServer
{
public:
    FrozenSoundServer()
        : m_processes(TestSupport::TestDesktop::soundServerProcesses())
    {
        EXPECT_FALSE(m_processes.empty()) << "no sound server in the test desktop";
        signal(SIGSTOP);
    }
    ~FrozenSoundServer()
    {
        signal(SIGCONT);
        EXPECT_TRUE(TestSupport::processEventsUntil(
            [] {
                return TestSupport::runCommand(QStringLiteral("pactl"), { QStringLiteral("info") })
                    .succeeded();
            },
            std::chrono::seconds(10)));
    }
    FrozenSoundServer(const FrozenSoundServer &) = delete;
    FrozenSoundServer &operator=(const FrozenSoundServer &) = delete;

private:
    void signal(int number)
    {
        for (const qint64 pid : m_processes) {
            ::kill(pid_t(pid), number);
        }
    }
    std::vector<qint64> m_processes;
};
