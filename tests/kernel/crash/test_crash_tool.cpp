// The whole crash path from outside: nctool crash fails on purpose in a child process, and every
// artefact is checked: the log's report, the dump and its copy, the watchers, the messages, the exit,
// the upload, and nctool dump reading the result.
#include "kernel/crash/CrashTest_Child.h"

#include "common/NcTest_LoopbackServer.h"
#include "common/NcTest_TempDir.h"
#include "common/NcTest_Tool.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <regex>

namespace {

// Each needle must come after the one before it.
testing::AssertionResult InOrder(const std::string& strText, const std::vector<std::string>& vecNeedles) {
    size_t uAt = 0;
    for (const std::string& strNeedle : vecNeedles) {
        const size_t uFound = strText.find(strNeedle, uAt);
        if (uFound == std::string::npos)
            return testing::AssertionFailure() << "missing (in order): \"" << strNeedle << "\" in:\n" << strText;
        uAt = uFound + strNeedle.size();
    }
    return testing::AssertionSuccess();
}

size_t Count(const std::string& strText, const std::string& strNeedle) {
    size_t uCount = 0;
    for (size_t uAt = strText.find(strNeedle); uAt != std::string::npos; uAt = strText.find(strNeedle, uAt + 1))
        ++uCount;
    return uCount;
}

std::string ErrorCodeLine(int nSignal) {
    char szLine[32];
    std::snprintf(szLine, sizeof(szLine), "ErrorCode: %08X", nSignal);
    return szLine;
}

const std::string kStars(80, '*');
const std::regex kDumpName(R"(\d{4}-[1-9]\d?-[1-9]\d?_\d{1,2}-\d{1,2}-\d{1,2}_QVRTNetcheck_x32_{4}\.dmp)");

struct Kind {
    const char* szKind;
    int nSignal;
    const char* szFunction;
};

}  // namespace

TEST(CrashTool, EveryMainThreadKindLeavesReportDumpCopyWatchersAndMessages) {
    const Kind kKinds[] = {{"segv", SIGSEGV, "CrashBySegv"},
                           {"abort", SIGABRT, "CrashByAbort"},
                           {"fpe", SIGFPE, "CrashByFpe"},
                           {"throw", SIGABRT, "CrashByThrow"}};
    for (const Kind& kind : kKinds) {
        SCOPED_TRACE(kind.szKind);
        ScopedTempDir tmp;
        const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", kind.szKind});
        ASSERT_TRUE(run.bFinished) << run.strErr;
        // A failure of the main thread ends the process with the failing signal.
        EXPECT_TRUE(run.bSignalled);
        EXPECT_EQ(run.nSignal, kind.nSignal);
        EXPECT_TRUE(run.bPidWatcherPosted);
        EXPECT_TRUE(run.bDumpWatcherPosted);

        const std::vector<std::string> vecDumps = ListFiles(tmp / "save");
        ASSERT_EQ(vecDumps.size(), 1u);
        const std::string& strName = vecDumps[0];
        EXPECT_TRUE(std::regex_match(strName, kDumpName)) << strName;
        // No upload address: the upload fails, and the dump and its copy both stay.
        EXPECT_EQ(ReadTestFile(tmp / ("save/crash_log/" + strName)), ReadTestFile(tmp / ("save/" + strName)));

        const std::string strLog = ReadCrashLog(tmp.Path());
        // The report continues the log the process had open, in the same line ends.
        EXPECT_EQ(strLog.find("\r\r\n"), std::string::npos);
        EXPECT_TRUE(InOrder(strLog, {kStars, ErrorCodeLine(kind.nSignal), "Address: ", "Flags: ", "CallStack:",
                                     kind.szFunction, kStars, "PrintCallRecord 使用内存高峰: ",
                                     "PrintCallRecord 虚拟内存: ", "Last:", "------- begin print record",
                                     std::string("nctool crash ") + kind.szKind, "执行到这结束了 end print record",
                                     "基础信息:", "电脑已经运行了", "客户端已经运行了", "[进程数：",
                                     "Lumo：主线程宕机", "Fail uploading DMP File: " + strName,
                                     "成功保存到 save/" + strName}));
        EXPECT_TRUE(InOrder(run.strErr, {u8"QVRTNetcheck: 由于程序产成无法预知的错误，导致程序崩溃",
                                         u8"QVRTNetcheck: 成功保存到 save/" + strName}));

        const ToolResult dumped = RunNcTool({"dump", tmp / ("save/" + strName)});
        EXPECT_EQ(dumped.nExitCode, 0) << dumped.strErr;
        EXPECT_TRUE(InOrder(dumped.strOut, {"signal: ", "registers:", "rip", "frames:", "stack: ", "modules:",
                                            "report:", "CallStack:", kind.szFunction}));
    }
}

TEST(CrashTool, AWorkerThreadFailureStopsOnlyThatThread) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", "thread-segv"});
    ASSERT_TRUE(run.bFinished);
    EXPECT_FALSE(run.bSignalled) << run.nSignal;
    EXPECT_EQ(run.nExitCode, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("main thread alive"), std::string::npos) << run.strOut;
    EXPECT_TRUE(run.bPidWatcherPosted);
    EXPECT_TRUE(run.bDumpWatcherPosted);
    const std::string strLog = ReadCrashLog(tmp.Path());
    EXPECT_TRUE(InOrder(strLog, {"CallStack:", "CrashBySegv", "Lumo：线程宕机", "成功保存到"}));
    EXPECT_EQ(strLog.find("Lumo：主线程宕机"), std::string::npos);
    const std::vector<std::string> vecDumps = ListFiles(tmp / "save");
    ASSERT_EQ(vecDumps.size(), 1u);
    EXPECT_EQ(RunNcTool({"dump", tmp / ("save/" + vecDumps[0])}).nExitCode, 0);
}

TEST(CrashTool, AFaultInsideTheHandlerEndsTheProcessWithoutHanging) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", "handler-segv"}, 30);
    ASSERT_TRUE(run.bFinished) << "the crash path hung";
    EXPECT_TRUE(run.bSignalled);
    EXPECT_EQ(run.nSignal, SIGSEGV);
}

TEST(CrashTool, AHandlerReplacedAfterInstallationIsPutBack) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", "replaced-abort"});
    ASSERT_TRUE(run.bFinished);
    EXPECT_NE(run.strOut.find("reasserted 1 0\n"), std::string::npos) << run.strOut;
    EXPECT_EQ(run.nSignal, SIGABRT) << run.nExitCode;
    EXPECT_TRUE(run.bDumpWatcherPosted);
    EXPECT_EQ(ListFiles(tmp / "save").size(), 1u);
    EXPECT_TRUE(InOrder(ReadCrashLog(tmp.Path()), {"CallStack:", "CrashByAbort", "Lumo：主线程宕机"}));
}

TEST(CrashTool, TwoWorkerThreadsFailingAtOnceAreBothReported) {
    ScopedTempDir tmp;
    const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", "two-threads-segv"});
    ASSERT_TRUE(run.bFinished) << "the second report waited for ever";
    EXPECT_FALSE(run.bSignalled) << run.nSignal;
    EXPECT_EQ(run.nExitCode, 0) << run.strErr;
    EXPECT_NE(run.strOut.find("main thread alive"), std::string::npos) << run.strOut;
    const std::string strLog = ReadCrashLog(tmp.Path());
    EXPECT_EQ(Count(strLog, "Lumo：线程宕机"), 2u) << strLog;
    EXPECT_EQ(Count(strLog, "成功保存到"), 2u);
    // One report after the other: the second report's stars start after the first one's closed.
    EXPECT_TRUE(InOrder(strLog, {"CallStack:", "CrashBySegv", kStars, "Lumo：线程宕机", "成功保存到", "CallStack:",
                                 "CrashBySegv", kStars, "Lumo：线程宕机", "成功保存到"}));
}

TEST(CrashTool, UploadSendsTheDumpAndTheLogAndDropsTheCopy) {
    ScopedTempDir tmp;
    LoopbackServer server(LoopbackServer::Mode::Answer, "HTTP/1.1 201 Created\r\nContent-Length: 0\r\n\r\n");
    const std::string strBase = "http://127.0.0.1:" + std::to_string(server.Port()) + "/dumps/";
    const CrashRun run = RunCrashingTool(tmp.Path(), {"crash", "segv", "--upload-url", strBase});
    ASSERT_TRUE(run.bFinished);
    EXPECT_EQ(run.nSignal, SIGSEGV);
    const std::vector<std::string> vecDumps = ListFiles(tmp / "save");
    ASSERT_EQ(vecDumps.size(), 1u);
    const std::string& strName = vecDumps[0];
    EXPECT_TRUE(ListFiles(tmp / "save/crash_log").empty());

    const std::vector<std::string> vecRequests = server.Requests();
    ASSERT_EQ(vecRequests.size(), 2u);
    const std::string strDump = ReadTestFile(tmp / ("save/" + strName));
    ASSERT_FALSE(strDump.empty());
    EXPECT_EQ(vecRequests[0].rfind("PUT /dumps/" + strName + " HTTP/1.1\r\n", 0), 0u) << vecRequests[0];
    const size_t uBody = vecRequests[0].find("\r\n\r\n");
    ASSERT_NE(uBody, std::string::npos);
    EXPECT_TRUE(vecRequests[0].substr(uBody + 4) == strDump) << "the dump arrived changed";
    const std::string strLogName = strName.substr(0, strName.size() - 3) + "log";
    EXPECT_EQ(vecRequests[1].rfind("PUT /dumps/" + strLogName + " HTTP/1.1\r\n", 0), 0u) << vecRequests[1];
    EXPECT_NE(vecRequests[1].find("CallStack:"), std::string::npos);
    EXPECT_EQ(ReadCrashLog(tmp.Path()).find("Fail uploading DMP File"), std::string::npos);
}
