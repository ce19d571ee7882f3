#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/linux/terminate.h"

using namespace quorvex;

namespace {

pid_t StartSleeper()
{
    const pid_t child = fork();
    if (child == 0) {
        for (;;)
            pause();
    }
    return child;
}

// Every case runs twice: with pidfd_open, and as on a kernel without it.
class TerminateLinuxProcessTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override { SetPidfdOpenFailure(GetParam()); }
    void TearDown() override { SetPidfdOpenFailure(0); }
};

INSTANTIATE_TEST_SUITE_P(Kernels, TerminateLinuxProcessTest, ::testing::Values(0, ENOSYS),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return info.param == 0 ? "WithPidfd" : "WithoutPidfd";
                         });

TEST_P(TerminateLinuxProcessTest, EndsTheListedChildWithSigkill)
{
    for (bool checkStartTime : {true, false}) {
        const pid_t child = StartSleeper();
        ASSERT_GT(child, 0);
        const uint64_t start = checkStartTime ? LinuxProcessStartTime(child) : 0;
        if (checkStartTime) {
            ASSERT_NE(start, 0u);
        }
        EXPECT_EQ(TerminateLinuxProcess(static_cast<uint32_t>(child), start), TerminateOutcome::Ended);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status));
        EXPECT_EQ(WTERMSIG(status), SIGKILL);
    }
}

TEST_P(TerminateLinuxProcessTest, StartTimeMismatchRefusesAndLeavesTheChildAlive)
{
    const pid_t child = StartSleeper();
    ASSERT_GT(child, 0);
    const uint64_t start = LinuxProcessStartTime(child);
    EXPECT_EQ(TerminateLinuxProcess(static_cast<uint32_t>(child), start + 1), TerminateOutcome::Gone);
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "the child must still run";
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
}

TEST_P(TerminateLinuxProcessTest, GoneOrInvalidPidRefuses)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    int status = 0;
    waitpid(child, &status, 0);  // reaped: the PID names nothing now
    EXPECT_EQ(TerminateLinuxProcess(static_cast<uint32_t>(child), 0), TerminateOutcome::Gone);
    EXPECT_EQ(LinuxProcessStartTime(static_cast<uint32_t>(child)), 0u);
    EXPECT_EQ(TerminateLinuxProcess(0, 0), TerminateOutcome::Gone);
    EXPECT_EQ(TerminateLinuxProcess(0xFFFFFFFFu, 0), TerminateOutcome::Gone);
}

}  // namespace
