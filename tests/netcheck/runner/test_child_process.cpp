// The platform's hidden child process: pipes, parallel children, group ends, big and binary outputs.
#include "netcheck/NcTest_ProcessCount.h"
#include "common/NcTest_TempDir.h"
#include "KX_Platform/KXPlatform_ChildProcess.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using KXPlatform::CChildProcess;

bool Start(CChildProcess& child, const std::string& strScriptName, const std::string& strScript) {
    WriteTestFile(strScriptName, strScript);
    return child.OpenPipe() && child.StartScript(strScriptName.c_str());
}

bool WaitEnded(CChildProcess& child) {
    return proccount::WaitFor([&] { return child.PollEnded(); });
}

std::string ReadAll(CChildProcess& child, uint32_t uMax = 1u << 20) {
    std::string out;
    EXPECT_TRUE(child.ReadOutput(uMax, out));
    return out;
}

TEST(ChildProcess, OutputAndErrorShareOnePipe) {
    ScopedTempDir dir(true);
    CChildProcess child;
    ASSERT_TRUE(Start(child, "a.sh", "echo out\necho err 1>&2\nexit\n"));
    ASSERT_TRUE(WaitEnded(child));
    EXPECT_EQ("out\nerr\n", ReadAll(child));
    // The output is handed over once.
    EXPECT_EQ("", ReadAll(child));
    EXPECT_TRUE(child.HasProcess());
    child.ReleaseProcess();
    EXPECT_FALSE(child.HasProcess());
    EXPECT_FALSE(child.PollEnded());
    EXPECT_TRUE(child.HasPipe());
}

TEST(ChildProcess, EmptySlotsAndSilentChildren) {
    ScopedTempDir dir(true);
    CChildProcess child;
    std::string out = "x";
    EXPECT_FALSE(child.ReadOutput(100, out));  // no pipe
    EXPECT_EQ("", out);
    EXPECT_FALSE(child.StartScript("missing.sh"));  // no pipe either
    EXPECT_FALSE(child.PollEnded());
    EXPECT_FALSE(child.Terminate());

    ASSERT_TRUE(Start(child, "quiet.sh", "true\nexit\n"));
    // Reading before the end never blocks.
    EXPECT_TRUE(child.ReadOutput(100, out));
    ASSERT_TRUE(WaitEnded(child));
    EXPECT_EQ("", ReadAll(child));
    // A second start needs the ended child released first.
    EXPECT_FALSE(child.StartScript("quiet.sh"));
}

TEST(ChildProcess, TwoChildrenRunSideBySideIntoSeparatePipes) {
    ScopedTempDir dir(true);
    CChildProcess first, second;
    // The first can only end once the second has run: a serial runner would never finish.
    ASSERT_TRUE(Start(first, "one.sh", "while [ ! -f flag ]; do sleep 0.01; done\necho first\nexit\n"));
    ASSERT_TRUE(Start(second, "two.sh", "echo second\ntouch flag\nexit\n"));
    ASSERT_TRUE(proccount::WaitFor([&] { return first.PollEnded() && second.PollEnded(); }));
    EXPECT_EQ("first\n", ReadAll(first));
    EXPECT_EQ("second\n", ReadAll(second));
}

TEST(ChildProcess, TerminateEndsTheWholeGroupAndReapsTheChild) {
    ScopedTempDir dir(true);
    const size_t childrenBefore = proccount::ChildProcesses();
    CChildProcess child;
    ASSERT_TRUE(Start(child, "tree.sh", "sleep 30 &\necho $! > bg.pid\necho $$ > sh.pid\nsleep 30\nexit\n"));
    ASSERT_TRUE(proccount::WaitFor([] { return ReadTestFile("bg.pid").size() > 1 && ReadTestFile("sh.pid").size() > 1; }));
    const long bgPid = std::stol(ReadTestFile("bg.pid"));
    const long shPid = std::stol(ReadTestFile("sh.pid"));
    EXPECT_FALSE(child.PollEnded());

    EXPECT_TRUE(child.Terminate());
    EXPECT_FALSE(child.HasProcess());
    EXPECT_TRUE(proccount::ProcessEnded(shPid));
    // The grandchild was in the group too; once killed it is reaped by whoever adopted it.
    EXPECT_TRUE(proccount::WaitFor([&] { return proccount::ProcessEnded(bgPid); }, 5000));
    EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
    // Ending again acts on nothing.
    EXPECT_FALSE(child.Terminate());
}

TEST(ChildProcess, WhatAScriptLeftInTheBackgroundEndsWithIt) {
    ScopedTempDir dir(true);
    const size_t childrenBefore = proccount::ChildProcesses();
    CChildProcess child;
    ASSERT_TRUE(Start(child, "bg.sh", "sleep 300 &\necho $! > bg.pid\necho started\nexit\n"));
    ASSERT_TRUE(WaitEnded(child));
    const long bgPid = std::stol(ReadTestFile("bg.pid"));
    EXPECT_TRUE(proccount::WaitFor([&] { return proccount::ProcessEnded(bgPid); }, 5000));
    EXPECT_EQ("started\n", ReadAll(child));
    EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
}

TEST(ChildProcess, AnEndedChildIsNeverSignalled) {
    ScopedTempDir dir(true);
    CChildProcess child;
    ASSERT_TRUE(Start(child, "short.sh", "echo done\nexit\n"));
    ASSERT_TRUE(WaitEnded(child));
    // Reaped already: its id may belong to somebody else by now, so nothing is ended.
    EXPECT_FALSE(child.Terminate());
    EXPECT_EQ("done\n", ReadAll(child));
}

TEST(ChildProcess, AMegabyteOfOutputNeverBlocksTheChild) {
    ScopedTempDir dir(true);
    CChildProcess child;
    // 1 MiB of a repeating 16-byte pattern, far beyond what a pipe buffers.
    ASSERT_TRUE(Start(child, "big.sh", "yes 0123456789abcde | head -c 1048576\nexit\n"));
    ASSERT_TRUE(WaitEnded(child));
    std::string out;
    ASSERT_TRUE(child.ReadOutput(8192, out));
    ASSERT_EQ(8192u, out.size());
    for (size_t i = 0; i < out.size(); ++i) {
        ASSERT_EQ("0123456789abcde\n"[i % 16], out[i]) << i;
    }
    // What was kept beyond the first read is bounded.
    std::string rest;
    ASSERT_TRUE(child.ReadOutput(1u << 24, rest));
    EXPECT_EQ(CChildProcess::kGatherLimit - 8192, rest.size());
}

TEST(ChildProcess, AStartWithoutAPipeReportsWhyThePipeFailed) {
    ScopedTempDir dir(true);
    WriteTestFile("x.sh", "exit\n");
    CChildProcess child;
    {
        // No descriptor left for the pipe: the limit sits at the lowest free descriptor.
        rlimit saved{};
        ASSERT_EQ(0, getrlimit(RLIMIT_NOFILE, &saved));
        const int nLowestFree = open("/dev/null", O_RDONLY);
        ASSERT_GE(nLowestFree, 0);
        close(nLowestFree);
        rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(nLowestFree);
        ASSERT_EQ(0, setrlimit(RLIMIT_NOFILE, &tight));
        const bool bOpened = child.OpenPipe();
        setrlimit(RLIMIT_NOFILE, &saved);
        ASSERT_FALSE(bOpened);
    }
    EXPECT_EQ(EMFILE, child.GetLastError());
    EXPECT_FALSE(child.StartScript("x.sh"));
    EXPECT_EQ(EMFILE, child.GetLastError());

    // Misuse is reported as such, and a good pipe clears the old error.
    ASSERT_TRUE(child.OpenPipe());
    EXPECT_EQ(0, child.GetLastError());
    EXPECT_FALSE(child.StartScript(nullptr));
    EXPECT_EQ(EINVAL, child.GetLastError());
}

TEST(ChildProcess, BinaryOutputWithNulBytesArrivesWhole) {
    ScopedTempDir dir(true);
    CChildProcess child;
    ASSERT_TRUE(Start(child, "nul.sh", "printf 'a\\000b\\000\\000c'\nexit\n"));
    ASSERT_TRUE(WaitEnded(child));
    EXPECT_EQ(std::string("a\0b\0\0c", 6), ReadAll(child));
}

TEST(ChildProcess, Utf8OutputComesBackAsGbkEvenInPieces) {
    ScopedTempDir dir(true);
    CChildProcess child;
    // "网络" in UTF-8 (E7 BD 91 E7 BB 9C), then a GBK line that stays as it is.
    ASSERT_TRUE(Start(child, "zh.sh", "printf '\\347\\275\\221\\347\\273\\234\\n\\315\\370\\n'\nexit\n"));
    ASSERT_TRUE(WaitEnded(child));
    std::string first;
    // Four bytes would cut the second character: the piece ends after the first.
    ASSERT_TRUE(child.ReadOutput(4, first));
    EXPECT_EQ("\xCD\xF8", first);
    EXPECT_EQ("\xC2\xE7\n\xCD\xF8\n", ReadAll(child));
}

TEST(ChildProcess, ClosingReleasesEverything) {
    ScopedTempDir dir(true);
    const size_t fdsBefore = proccount::OpenFileDescriptors();
    const size_t childrenBefore = proccount::ChildProcesses();
    {
        CChildProcess running, ended;
        ASSERT_TRUE(Start(running, "slow.sh", "sleep 30\nexit\n"));
        ASSERT_TRUE(Start(ended, "fast.sh", "echo hi\nexit\n"));
        ASSERT_TRUE(WaitEnded(ended));
        EXPECT_EQ(childrenBefore + 1, proccount::ChildProcesses());
        // Reopening a pipe ends the child it had.
        ASSERT_TRUE(running.OpenPipe());
        EXPECT_FALSE(running.HasProcess());
        EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
        ASSERT_TRUE(Start(running, "slow.sh", "sleep 30\nexit\n"));
    }  // destructors end the sleeper and close both pipes
    EXPECT_EQ(fdsBefore, proccount::OpenFileDescriptors());
    EXPECT_EQ(childrenBefore, proccount::ChildProcesses());
}

}  // namespace
