// The ncserver program itself: the account import, serving on a port of the system's choosing, and the
// exit on SIGTERM with nothing lost, not even the clients still waiting to be accepted.
#include "common/NcTest_Paths.h"
#include "common/NcTest_TempDir.h"
#include "server/NcServerTest_Http.h"
#include "server/store/NcStore.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

std::string ServerPath() { return NcTestToolsDir() + "/../server/ncserver"; }

// Runs ncserver with the words, its standard output and error going to files in strDir.
pid_t StartServer(const std::vector<std::string>& words, const std::string& strDir) {
    const pid_t pid = fork();
    if (pid == 0) {
        const std::string strOut = strDir + "/stdout", strErr = strDir + "/stderr";
        if (!freopen(strOut.c_str(), "w", stdout) || !freopen(strErr.c_str(), "w", stderr)) _exit(127);
        std::vector<char*> argv;
        const std::string strPath = ServerPath();
        argv.push_back(const_cast<char*>(strPath.c_str()));
        for (const std::string& w : words) argv.push_back(const_cast<char*>(w.c_str()));
        argv.push_back(nullptr);
        execv(strPath.c_str(), argv.data());
        _exit(127);
    }
    return pid;
}

int WaitExit(pid_t pid) {
    int status = 0;
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -2;
}

// The bound port, from the first log line (0 when it never came).
uint16_t WaitListening(const std::string& strDir) {
    for (int i = 0; i < 100; ++i) {
        const std::string strLog = ReadTestFile(strDir + "/stderr");
        const size_t uAt = strLog.find("event=listening addr=127.0.0.1:");
        if (uAt != std::string::npos) return static_cast<uint16_t>(std::atoi(strLog.c_str() + uAt + 31));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 0;
}

TEST(ServerProgram, ImportsAccountsServesAndStopsCleanlyOnSigterm) {
    ScopedTempDir tmp;
    const std::string strDb = "sqlite:" + (tmp / "reports.db");
    WriteTestFile(tmp / "accounts.csv", "account\nalice\nbob\nalice\n");
    pid_t pid = StartServer({"accounts", "import", tmp / "accounts.csv", "--db", strDb}, tmp.Path());
    ASSERT_EQ(WaitExit(pid), 0) << ReadTestFile(tmp / "stderr");
    EXPECT_EQ(ReadTestFile(tmp / "stdout"), "accounts read=3 added=2\n");

    WriteTestFile(tmp / "ncserver.ini", "[ncserver]\nAccountPolicy=table\nListen=127.0.0.1:0\n");
    pid = StartServer({"--config", tmp / "ncserver.ini", "--db", strDb, "--catalogues", tmp.Path(), "--dumps", tmp / "dumps"},
                      tmp.Path());
    const uint16_t uPort = WaitListening(tmp.Path());
    ASSERT_NE(uPort, 0) << ReadTestFile(tmp / "stderr");
    const std::string strFields = "&QuestionType=q&ServerName=s&NetType=n&Description=d&CheckContent=c";
    EXPECT_EQ(SendRaw(uPort, MakeRequest("POST", "/report", "UserName=mallory" + strFields)).strBody, "{ret=-2}");
    const HttpReply stored = SendRaw(uPort, MakeRequest("POST", "/report", "UserName=bob" + strFields));
    EXPECT_EQ(stored.strBody, "{ret=1}");

    // The dump folder was made at start.
    EXPECT_EQ(SendRaw(uPort, MakeRequest("PUT", "/dumps/a.dmp", "dump")).nStatus, 201);
    EXPECT_EQ(ReadTestFile(tmp / "dumps/a.dmp"), "dump");

    kill(pid, SIGTERM);
    EXPECT_EQ(WaitExit(pid), 0);
    const std::string strLog = ReadTestFile(tmp / "stderr");
    EXPECT_NE(strLog.find("method=POST path=/report status=200"), std::string::npos) << strLog;
    EXPECT_NE(strLog.find("event=stopped"), std::string::npos) << strLog;
    std::string strError;
    std::unique_ptr<INcStore> pStore = NcOpenStore(strDb, &strError);
    ASSERT_TRUE(pStore) << strError;
    EXPECT_EQ(pStore->CountReports(), 1);
}

// SIGTERM while the only worker thread is held by a wrong sign-in's delay and further clients wait in the
// listen queue: every one of them is answered, a client arriving after the signal is refused, and the
// process exits 0 without using up its grace.
TEST(ServerProgram, SigtermAnswersTheClientsWaitingInTheListenQueue) {
    ScopedTempDir tmp;
    WriteTestFile(tmp / "ncserver.ini",
                  "[ncserver]\nListen=127.0.0.1:0\nThreads=1\nSignInDelayMs=1000\nShutdownGraceSec=5\n");
    const pid_t pid = StartServer({"--config", tmp / "ncserver.ini", "--db", "sqlite:" + (tmp / "reports.db"),
                                   "--catalogues", tmp.Path(), "--dumps", tmp / "dumps"},
                                  tmp.Path());
    const uint16_t uPort = WaitListening(tmp.Path());
    if (uPort == 0) {
        kill(pid, SIGKILL);
        WaitExit(pid);
        FAIL() << ReadTestFile(tmp / "stderr");
    }
    const std::string strToken(64, 'a');
    const int nBusy = ConnectLoopback(uPort);
    ASSERT_GE(nBusy, 0);
    ASSERT_TRUE(SendAll(nBusy, MakeRequest("POST", "/support/login", "csrf=" + strToken + "&name=nobody&password=wrong",
                                           "Cookie: nc_signin=" + strToken + "\r\n")));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the worker is now in the sign-in delay
    std::vector<int> vecQueued;
    for (int i = 0; i < 5; ++i) {
        vecQueued.push_back(ConnectLoopback(uPort));
        if (vecQueued.back() >= 0) SendAll(vecQueued.back(), MakeRequest("GET", "/healthz"));
    }
    const auto tSignal = std::chrono::steady_clock::now();
    kill(pid, SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int nLate = ConnectLoopback(uPort);
    EXPECT_LT(nLate, 0);
    if (nLate >= 0) close(nLate);

    EXPECT_EQ(ReadReply(nBusy).nStatus, 401);
    close(nBusy);
    for (int nFd : vecQueued) {
        ASSERT_GE(nFd, 0);
        const HttpReply reply = ReadReply(nFd);
        close(nFd);
        EXPECT_EQ(reply.nStatus, 200) << reply.strHead;
        EXPECT_EQ(reply.strBody, "ok\n");
    }
    EXPECT_EQ(WaitExit(pid), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - tSignal, std::chrono::seconds(5));
    const std::string strLog = ReadTestFile(tmp / "stderr");
    EXPECT_EQ(strLog.find("after the grace"), std::string::npos) << strLog;
}

TEST(ServerProgram, BadCommandLinesExitWithUsage) {
    ScopedTempDir tmp;
    const pid_t pid = StartServer({"--listen", "localhost"}, tmp.Path());
    EXPECT_EQ(WaitExit(pid), 2);
    EXPECT_NE(ReadTestFile(tmp / "stderr").find("usage: ncserver"), std::string::npos);
}

}  // namespace
