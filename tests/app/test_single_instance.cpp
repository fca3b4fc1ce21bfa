// The single-instance rule: which processes count as another copy of the program.
#include "AppTest_Fixture.h"

#include "app/NetChk_SingleInstance.h"
#include "KX_Platform/KXPlatform_Process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace {

using KXPlatform::RunningProcess;

class SingleInstanceTest : public AppFixture {};

TEST_F(SingleInstanceTest, OnlyTheExactNameOfAnotherProcessCounts) {
    const uint32_t uSelf = 100;
    EXPECT_FALSE(NetChkApp::IsAnotherInstanceRunning({{uSelf, "QVRTNetcheck"}}, uSelf)) << "the program itself";
    EXPECT_FALSE(NetChkApp::IsAnotherInstanceRunning(
        {{1, "qvrtnetcheck"}, {2, "QVRTNetCheck"}, {3, "QVRTNetcheck.exe"}, {4, "QVRTNetcheck2"}, {5, "QVRTNetchec"}},
        uSelf));
    EXPECT_TRUE(m_log.Lines().empty());

    // The one found is logged with its image path and the error codes around the query.
    const uint32_t uOwnPid = KXPlatform::GetProcessId();
    EXPECT_TRUE(NetChkApp::IsAnotherInstanceRunning({{1, "bash"}, {uOwnPid, "QVRTNetcheck"}}, uSelf));
    EXPECT_TRUE(Logged("szExeFile /"));
    EXPECT_TRUE(Logged(" , dwLast1 "));
}

// A child whose executable is named like the program, and one whose name differs in case.
pid_t StartNamedSleeper(const std::string& strPath) {
    std::filesystem::copy_file("/bin/sleep", strPath, std::filesystem::copy_options::overwrite_existing);
    const pid_t pid = fork();
    if (pid == 0) {
        execl(strPath.c_str(), strPath.c_str(), "30", static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

bool Listed(const std::vector<RunningProcess>& vec, pid_t pid, const std::string& strName) {
    return std::any_of(vec.begin(), vec.end(), [&](const RunningProcess& p) {
        return p.uPid == static_cast<uint32_t>(pid) && p.strImageName == strName;
    });
}

TEST_F(SingleInstanceTest, TheSystemListShowsRunningProgramsByTheirFileName) {
    const pid_t exact = StartNamedSleeper(m_dir / "QVRTNetcheck");
    const pid_t other = StartNamedSleeper(m_dir / "qvrtnetcheck");
    ASSERT_GT(exact, 0);
    ASSERT_GT(other, 0);
    // exec replaces the forked copy's image shortly after fork returns.
    std::vector<RunningProcess> vec;
    for (int i = 0; i < 200 && !(Listed(vec, exact, "QVRTNetcheck") && Listed(vec, other, "qvrtnetcheck")); ++i) {
        usleep(10000);
        ASSERT_TRUE(KXPlatform::ListProcesses(vec));
    }
    EXPECT_TRUE(Listed(vec, exact, "QVRTNetcheck"));
    EXPECT_TRUE(Listed(vec, other, "qvrtnetcheck"));
    EXPECT_TRUE(NetChkApp::IsAnotherInstanceRunning());

    // An ended child that nobody has reaped yet runs no more.
    kill(exact, SIGKILL);
    for (int i = 0; i < 200 && Listed(vec, exact, "QVRTNetcheck"); ++i) {
        usleep(10000);
        ASSERT_TRUE(KXPlatform::ListProcesses(vec));
    }
    EXPECT_FALSE(std::any_of(vec.begin(), vec.end(), [&](const RunningProcess& p) { return p.uPid == uint32_t(exact); }));
    kill(other, SIGKILL);
    waitpid(exact, nullptr, 0);
    waitpid(other, nullptr, 0);
}

}  // namespace
