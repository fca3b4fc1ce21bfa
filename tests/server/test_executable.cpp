// The ncserver program itself: the account import, serving on a port of the system's choosing, and the
// exit on SIGTERM with nothing lost.
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
    // The bound port is in the first log line.
    uint16_t uPort = 0;
    for (int i = 0; i < 100 && uPort == 0; ++i) {
        const std::string strLog = ReadTestFile(tmp / "stderr");
        const size_t uAt = strLog.find("event=listening addr=127.0.0.1:");
        if (uAt != std::string::npos) uPort = static_cast<uint16_t>(std::atoi(strLog.c_str() + uAt + 31));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
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

TEST(ServerProgram, BadCommandLinesExitWithUsage) {
    ScopedTempDir tmp;
    const pid_t pid = StartServer({"--listen", "localhost"}, tmp.Path());
    EXPECT_EQ(WaitExit(pid), 2);
    EXPECT_NE(ReadTestFile(tmp / "stderr").find("usage: ncserver"), std::string::npos);
}

}  // namespace
