// The logger's line format, filtering, cut, file naming and rolling, sinks and concurrency.
#include "common/NcTest_Logger.h"
#include "common/NcTest_MessageBox.h"
#include "common/NcTest_TempDir.h"

#include "KX_Platform/KXPlatform_FileSystem.h"
#include "KX_Platform/KXPlatform_Process.h"

#include <gtest/gtest.h>

#include <boost/thread/thread.hpp>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

class LoggerTest : public ::testing::Test {
protected:
    LoggerTest() : m_dir(true), m_clock(2026, 12, 4, 14, 5, 9) { std::filesystem::create_directory("log"); }

    void SetUp() override { CArkLogger::Instance().SetSink(0, &m_sink); }

    std::vector<std::string> LogFiles() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator("log")) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string FileName(int month, int day, int hour, int minute, int second) const {
        char name[96];
        std::snprintf(name, sizeof(name), "NetCheck_%02d_%02d(%02d_%02d_%02d)_%u.log", month, day, hour, minute, second,
                      KXPlatform::GetProcessId());
        return name;
    }

    ScopedTempDir m_dir;
    ScopedLoggerReset m_reset{"NetCheck"};
    ScopedFakeLogClock m_clock;
    RecordingLogSink m_sink;
};

TEST_F(LoggerTest, LineFormatWithAndWithoutTimeStamp) {
    const int n = ArkLog(WL_VERBOSE, M_Logic, "hello %d", 42);
    const std::string expected = "[12/04/26 14:05:09] [WL_VERBOSE] [M_Logic]hello 42\r\n";
    EXPECT_EQ(n, static_cast<int>(expected.size()) + 1);

    CArkLogger::Instance().SetTimeStamp(false);
    ArkLog(WL_ERROR, M_Common, "x");
    ArkLog(WL_MUST, M_Serious, "%s", "crash");

    const auto lines = m_sink.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], expected);
    EXPECT_EQ(lines[1], " [WL_ERROR] [M_Common]x\r\n");
    EXPECT_EQ(lines[2], " [WL_MUST] [严重]crash\r\n");

    // The file receives the same bytes, GBK and CR LF untouched.
    const auto files = LogFiles();
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0], FileName(12, 4, 14, 5, 9));
    EXPECT_EQ(ReadTestFile("log/" + files[0]), lines[0] + lines[1] + lines[2]);
}

TEST_F(LoggerTest, FilteredMessagesWriteNothingAndReturnZero) {
    EXPECT_EQ(ArkLog(WL_ERROR, M_NoModule, "dropped"), 0);
    EXPECT_EQ(ArkLog(6, M_Common, "dropped"), 0);
    EXPECT_EQ(ArkLog(-1, M_Common, "dropped"), 0);

    CArkLogger::Instance().SetEnabled(false);
    EXPECT_EQ(ArkLog(WL_MUST, M_Common, "dropped"), 0);
    CArkLogger::Instance().SetEnabled(true);

    // Below both the file level and the console level: dropped before formatting.
    CArkLogger::Instance().SetFileLevel(WL_ERROR);
    CArkLogger::Instance().SetConsoleLevel(WL_ERROR);
    EXPECT_EQ(ArkLog(WL_WARNING, M_Common, "dropped"), 0);
    // Reaching the console level only: formatted and counted, but the file does not receive it.
    CArkLogger::Instance().SetConsoleLevel(WL_WARNING);
    EXPECT_GT(ArkLog(WL_WARNING, M_Common, "console only"), 0);
    EXPECT_GT(ArkLog(WL_ERROR, M_Common, "kept"), 0);

    const auto lines = m_sink.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("kept"), std::string::npos);
}

TEST_F(LoggerTest, ConsoleOutputFollowsModuleLevelsAndConsoleModule) {
    CArkLogger& logger = CArkLogger::Instance();
    logger.SetModuleConsoleLevel(M_Logic, WL_VERBOSE);
    logger.SetModuleConsoleLevel(M_UI, WL_VERBOSE);

    testing::internal::CaptureStdout();
    ArkLog(WL_VERBOSE, M_Logic, "shown");
    ArkLog(WL_UNKNOWN, M_Logic, "below the module level");
    ArkLog(WL_ERROR, M_Common, "module console level is above every level");
    logger.SetConsoleModule(M_UI);
    ArkLog(WL_ERROR, M_Logic, "not the console module");
    ArkLog(WL_ERROR, M_UI, "the console module");
    const std::string out = testing::internal::GetCapturedStdout();

    // Not a terminal: the bytes go out as they are, without colour sequences.
    EXPECT_EQ(out, "[12/04/26 14:05:09] [WL_VERBOSE] [M_Logic]shown\r\n"
                   "[12/04/26 14:05:09] [WL_ERROR] [M_UI]the console module\r\n");
    EXPECT_EQ(m_sink.Lines().size(), 5u);
}

TEST_F(LoggerTest, LongMessagesAreCutAndStillEndWithCrLf) {
    const std::string text(9000, 'a');
    const int n = ArkLog(WL_ERROR, M_Common, "%s", text.c_str());
    EXPECT_EQ(n, static_cast<int>(CArkLogger::kLineBufferSize) - 4 + 2 + 1);
    const auto lines = m_sink.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), CArkLogger::kLineBufferSize - 2);
    EXPECT_EQ(lines[0].substr(lines[0].size() - 3), "a\r\n");

    // A message that fits exactly (text + CR LF NUL fill the buffer) is not cut.
    m_sink.Clear();
    CArkLogger::Instance().SetTimeStamp(false);
    const std::string prefix = " [WL_ERROR] [M_Common]";
    const std::string fits(CArkLogger::kLineBufferSize - prefix.size() - 3, 'b');
    ArkLog(WL_ERROR, M_Common, "%s", fits.c_str());
    EXPECT_EQ(m_sink.Lines().at(0), prefix + fits + "\r\n");
    m_sink.Clear();
    ArkLog(WL_ERROR, M_Common, "%s", (fits + "c").c_str());
    EXPECT_EQ(m_sink.Lines().at(0).size(), CArkLogger::kLineBufferSize - 2);
}

TEST_F(LoggerTest, FilesRollOnEveryNewHourOnly) {
    ArkLog(WL_ERROR, M_Common, "first");
    m_clock.Set(2026, 12, 4, 14, 59, 59);
    ArkLog(WL_ERROR, M_Common, "same hour");
    m_clock.Set(2026, 12, 4, 15, 0, 0);
    ArkLog(WL_ERROR, M_Common, "next hour");
    // Only the hour is compared: the same hour a day later keeps the file.
    m_clock.Set(2026, 12, 5, 15, 30, 0);
    ArkLog(WL_ERROR, M_Common, "next day");

    const auto files = LogFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0], FileName(12, 4, 14, 5, 9));
    EXPECT_EQ(files[1], FileName(12, 4, 15, 0, 0));
    const std::string first = ReadTestFile("log/" + files[0]);
    const std::string second = ReadTestFile("log/" + files[1]);
    EXPECT_NE(first.find("same hour"), std::string::npos);
    EXPECT_EQ(first.find("next hour"), std::string::npos);
    EXPECT_NE(second.find("next hour"), std::string::npos);
    EXPECT_NE(second.find("next day"), std::string::npos);
    EXPECT_EQ(CArkLogger::Instance().GetLogFilePath(), "./log/" + files[1]);
}

TEST_F(LoggerTest, FileOpenFailureShowsOneMessagePerHourAndKeepsTheConsole) {
    std::filesystem::remove_all("log");
    ScopedMessageBoxRecorder boxes(KXPlatform::MsgBoxAnswer::Ok);
    EXPECT_GT(ArkLog(WL_ERROR, M_Common, "lost"), 0);
    EXPECT_GT(ArkLog(WL_ERROR, M_Common, "lost too"), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].strCaption, "提示");
    EXPECT_EQ(boxes.Shown()[0].eButtons, KXPlatform::MsgBoxButtons::Ok);
    EXPECT_FALSE(boxes.Shown()[0].bOwnedByActiveWindow) << "a plain box without an owner window";
    EXPECT_EQ(boxes.Shown()[0].strText, "日志模块打开文件失败 ./log/" + FileName(12, 4, 14, 5, 9));
    EXPECT_TRUE(m_sink.Lines().empty());

    std::filesystem::create_directory("log");
    m_clock.Set(2026, 12, 4, 15, 0, 1);
    ArkLog(WL_ERROR, M_Common, "found");
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(m_sink.Lines().size(), 1u);
}

TEST_F(LoggerTest, LongLogNameNeverOpensAFile) {
    CArkLogger::Instance().Init("a_log_name_of_21_char");
    ScopedMessageBoxRecorder boxes;
    EXPECT_GT(ArkLog(WL_ERROR, M_Common, "x"), 0);
    EXPECT_TRUE(LogFiles().empty());
    EXPECT_EQ(boxes.Count(), 0u);
}

void LogFromThreads(int nThreads, int nLines) {
    std::vector<boost::thread> threads;
    for (int t = 0; t < nThreads; ++t) {
        threads.emplace_back([t, nLines] {
            for (int i = 0; i < nLines; ++i) ArkLog(WL_INFO, M_Logic, "thread %d line %d %s", t, i, "payload-payload");
        });
    }
    for (auto& thread : threads) thread.join();
}

void ExpectWholeLines(const std::string& content, int nThreads, int nLines) {
    std::set<std::string> seen;
    size_t start = 0;
    while (start < content.size()) {
        const size_t end = content.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = content.substr(start, end - start);
        ASSERT_EQ(line.find("[12/04/26 14:05:09] [WL_INFO] [M_Logic]thread "), 0u) << line;
        ASSERT_NE(line.find(" payload-payload"), std::string::npos) << line;
        seen.insert(line);
        start = end + 2;
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(nThreads * nLines));
}

TEST_F(LoggerTest, ConcurrentLinesAreNeverTorn) {
    LogFromThreads(4, 500);
    const auto files = LogFiles();
    ASSERT_EQ(files.size(), 1u);
    ExpectWholeLines(ReadTestFile("log/" + files[0]), 4, 500);
}

TEST_F(LoggerTest, AsynchronousModeWritesEveryLineInOrderPerThread) {
    CArkLogger& logger = CArkLogger::Instance();
    ScopedMessageBoxRecorder boxes;
    ASSERT_TRUE(logger.StartAsync());
    EXPECT_FALSE(logger.StartAsync());
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].strText, "Log异步输出线程不可重复启动。");
    EXPECT_EQ(boxes.Shown()[0].strCaption, "KXKernal MessageBox");
    EXPECT_TRUE(boxes.Shown()[0].bOwnedByActiveWindow);

    // Two threads, fewer lines than the queue bound, so nothing is dropped.
    LogFromThreads(2, 300);
    EXPECT_TRUE(logger.StopAsync());
    EXPECT_FALSE(logger.StopAsync());

    const auto files = LogFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::string content = ReadTestFile("log/" + files[0]);
    ExpectWholeLines(content, 2, 300);
    // Lines of one thread keep their order.
    EXPECT_LT(content.find("thread 0 line 10 "), content.find("thread 0 line 11 "));
}

}  // namespace
